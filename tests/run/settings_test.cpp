// The settings schema: what each key means, its default and its field, and that
// what is written reads back the same.
#include "run/settings.h"

#include <gtest/gtest.h>

#include "tests/core/test_files.h"

namespace quelvane {
namespace {

TEST(SettingsTest, FirstStartWithoutAProfile) {
  testing::ScratchFolder folder;
  const ConversionOptions options = ReadSettings(Profile(folder.Path() / "none.ini")).options;
  EXPECT_EQ(options.ValeursConnuesOnly, 1);
  EXPECT_EQ(options.NePasRecopierValeursIgnorees, 0);
  EXPECT_EQ(options.SeparateurSource, "\t");
  EXPECT_EQ(options.SeparateurDestination, "\t");
  EXPECT_EQ(options.CodeSource, 1);
  EXPECT_EQ(options.CodeDestination, 2);
  EXPECT_EQ(options.PrefixeSicovam, "");
  EXPECT_EQ(options.LgSicoFixe, 0);
  EXPECT_EQ(options.NbCharSico, 6);
  EXPECT_EQ(options.ExtensionDestination, ".new");
  EXPECT_EQ(options.OutputExtension, ".new");
  EXPECT_EQ(options.CheminFichiersSource, "");
}

TEST(SettingsTest, TakesEachKeyAsTheMainWindowDoes) {
  testing::ScratchFolder folder;
  const std::string folderPath(300, 'd');
  const ConversionOptions options =
      ReadSettings(
          Profile(folder.Write(
              "q.ini",
              "[General]\n"
              "ValeursConnuesOnly=0\n"
              "NePasRecopierValeursIgnorees=1\n"
              "SensDeConversion=4\n"  // the radio buttons only: the run reads the two types
              "CodeSource=1\n"
              "CodeDestination=2\n"
              "PrefixeSicovam=XYZ0123456789\n"
              "LgSicoFixe=1\n"
              "NbCharSico=-2\n"
              "ExtensionDestination=.NEW\n"
              "CheminFichiersSource=" +
                  folderPath +
                  "\n"
                  "[Separateur Source]\n"
                  "tabulation=0\n"
                  "[Separateur Destination]\n"
                  "tabulation=0\n"
                  "separateurs=;;;;;;;;;;;;\n")))
          .options;
  EXPECT_EQ(options.ValeursConnuesOnly, 0);
  EXPECT_EQ(options.NePasRecopierValeursIgnorees, 1);
  EXPECT_EQ(options.CodeSource, 1);
  EXPECT_EQ(options.CodeDestination, 2);
  EXPECT_EQ(options.PrefixeSicovam, "XYZ012345");
  EXPECT_EQ(options.SeparateurSource, "");  // "Autre :" with nothing typed
  EXPECT_EQ(options.SeparateurDestination, ";;;;;;;;;");
  EXPECT_EQ(options.LgSicoFixe, 1);
  EXPECT_EQ(options.NbCharSico, -2);
  EXPECT_EQ(options.ExtensionDestination, ".NEW");
  EXPECT_EQ(options.OutputExtension, ".new.txt");  // anything but ".new" exactly
  EXPECT_EQ(options.CheminFichiersSource, folderPath.substr(0, kFolderMaxLength));
}

TEST(SettingsTest, TabulationOneIgnoresTheStoredSeparators) {
  testing::ScratchFolder folder;
  const ConversionOptions options =
      ReadSettings(Profile(folder.Write("q.ini",
                                        "[Separateur Source]\ntabulation=1\nseparateurs=;\n"
                                        "[Separateur Destination]\ntabulation=2\nseparateurs=|\n")))
          .options;
  EXPECT_EQ(options.SeparateurSource, "\t");
  EXPECT_EQ(options.SeparateurDestination, "|");
}

TEST(SettingsTest, WhatIsWrittenReadsBackKeyForKey) {
  testing::ScratchFolder folder;
  Profile profile(folder.Path() / "sub" / "q.ini");
  Settings written;
  written.options.ValeursConnuesOnly = 0;
  written.options.NePasRecopierValeursIgnorees = 1;
  written.options.SeparateurSource = ";\xA7";  // Windows-1252 bytes, kept as they are
  written.options.SeparateurDestination = " ";
  written.options.CodeSource = 2;
  written.options.CodeDestination = 1;
  written.options.PrefixeSicovam = "X";
  written.options.LgSicoFixe = 1;
  written.options.NbCharSico = 8;
  written.options.ExtensionDestination = ".new.txt";
  written.options.OutputExtension = ".new.txt";
  written.options.CheminFichiersSource = "/d\xE9p\xF4t";
  written.sourceTabulation = false;
  written.destinationTabulation = false;
  written.sicovamToIsin = false;
  ASSERT_TRUE(WriteSettings(profile, written));

  const Settings read = ReadSettings(profile);
  EXPECT_EQ(read.options, written.options);
  EXPECT_FALSE(read.sourceTabulation);
  EXPECT_FALSE(read.destinationTabulation);
  EXPECT_FALSE(read.sicovamToIsin);
}

}  // namespace
}  // namespace quelvane
