// The settings schema: what each key means, its default and its field, how the
// profile spells the typed options, and that what is written reads back the same.
#include "run/settings.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "tests/support/test_files.h"

namespace quelvane {
namespace {

using testing::ReadFile;

TEST(SettingsTest, FirstStartWithoutAProfile) {
  testing::ScratchFolder folder;
  const ConversionOptions options =
      ReadSettings(Profile(folder.Path() / "none.ini")).settings.options;
  EXPECT_EQ(options.ValeursConnuesOnly, 1);
  EXPECT_EQ(options.NePasRecopierValeursIgnorees, 0);
  EXPECT_EQ(options.SeparateurSource, "\t");
  EXPECT_EQ(options.SeparateurDestination, "\t");
  EXPECT_EQ(options.CodeSource, CodeType::kSicovam);
  EXPECT_EQ(options.CodeDestination, CodeType::kIsin);
  EXPECT_EQ(options.PrefixeSicovam, "");
  EXPECT_EQ(options.LgSicoFixe, 0);
  EXPECT_EQ(options.NbCharSico, 6);
  EXPECT_EQ(options.ExtensionDestination, OutputExtension::kNew);
  EXPECT_EQ(options.CheminFichiersSource, "");
  EXPECT_EQ(options, ConversionOptions{}) << "the options' own defaults are the profile's";
}

// What a first start writes when the window closes at once: every key with its
// default, "separateurs" holding the tab of "Tabulation", the keys in the order
// the window writes them.
TEST(SettingsTest, ANewFileHoldsTheDefaultsInTheWindowsOrder) {
  testing::ScratchFolder folder;
  Profile profile(folder.Path() / "sub" / "q.ini");
  ASSERT_TRUE(WriteSettings(profile, Settings{}));
  EXPECT_EQ(ReadFile(profile.Path()),
            "[General]\n"
            "ValeursConnuesOnly=1\n"
            "NePasRecopierValeursIgnorees=0\n"
            "SensDeConversion=3\n"
            "CodeSource=1\n"
            "CodeDestination=2\n"
            "PrefixeSicovam=\n"
            "LgSicoFixe=0\n"
            "NbCharSico=6\n"
            "ExtensionDestination=.new\n"
            "CheminFichiersSource=\n"
            "\n"
            "[Separateur Source]\n"
            "tabulation=1\n"
            "separateurs=\t\n"
            "\n"
            "[Separateur Destination]\n"
            "tabulation=1\n"
            "separateurs=\t\n");
}

TEST(SettingsTest, TakesEachKeyAsTheMainWindowDoes) {
  testing::ScratchFolder folder;
  const std::string folderPath(300, 'd');
  const Settings settings =
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
          .settings;
  const ConversionOptions& options = settings.options;
  EXPECT_EQ(options.ValeursConnuesOnly, 0);
  EXPECT_EQ(options.NePasRecopierValeursIgnorees, 1);
  EXPECT_EQ(settings.direction, ConversionDirection::kIsinToSicovam);
  EXPECT_EQ(options.Direction(), ConversionDirection::kSicovamToIsin);
  EXPECT_EQ(options.PrefixeSicovam, "XYZ012345");
  EXPECT_EQ(options.SeparateurSource, "");  // "Autre :" with nothing typed
  EXPECT_EQ(options.SeparateurDestination, ";;;;;;;;;");
  EXPECT_EQ(options.LgSicoFixe, 1);
  EXPECT_EQ(options.NbCharSico, -2);
  EXPECT_EQ(options.ExtensionDestination, OutputExtension::kNewTxt);  // anything but ".new"
  EXPECT_EQ(settings.otherExtension, ".NEW");
  EXPECT_EQ(options.CheminFichiersSource, folderPath.substr(0, kFolderMaxLength));
}

TEST(SettingsTest, TabulationOneIgnoresTheStoredSeparators) {
  testing::ScratchFolder folder;
  const ConversionOptions options =
      ReadSettings(Profile(folder.Write("q.ini",
                                        "[Separateur Source]\ntabulation=1\nseparateurs=;\n"
                                        "[Separateur Destination]\ntabulation=2\nseparateurs=|\n")))
          .settings.options;
  EXPECT_EQ(options.SeparateurSource, "\t");
  EXPECT_EQ(options.SeparateurDestination, "|");
}

// The typed options against the numbers and texts of the profile, including
// what a profile edited by hand may hold: each value is read as it always was
// (integers as atoi reads them), and an extension text no button stands for is
// written back unchanged.
TEST(SettingsTest, TypedOptionsAgainstTheProfilesSpellings) {
  testing::ScratchFolder folder;
  const auto read = [&](const std::string& line) {
    return ReadSettings(Profile(folder.Write("q.ini", "[General]\n" + line + "\n"))).settings;
  };
  struct CodeTypeCase {
    std::string text;
    CodeType type;
  };
  for (const CodeTypeCase& c : {CodeTypeCase{"1", CodeType::kSicovam},
                                {"2", CodeType::kIsin},
                                {" 02x", CodeType::kIsin},
                                {"0", CodeType::kOther},
                                {"3", CodeType::kOther},
                                {"-1", CodeType::kOther},
                                {"4294967298", CodeType::kOther},
                                {"", CodeType::kOther},
                                {"abc", CodeType::kOther}}) {
    SCOPED_TRACE("code type " + c.text);
    EXPECT_EQ(read("CodeSource=" + c.text).options.CodeSource, c.type);
    EXPECT_EQ(read("CodeDestination=" + c.text).options.CodeDestination, c.type);
  }
  struct DirectionCase {
    std::string text;
    ConversionDirection direction;
  };
  for (const DirectionCase& c : {DirectionCase{"3", ConversionDirection::kSicovamToIsin},
                                 {" 3;", ConversionDirection::kSicovamToIsin},
                                 {"4", ConversionDirection::kIsinToSicovam},
                                 {"1", ConversionDirection::kIsinToSicovam},
                                 {"0", ConversionDirection::kIsinToSicovam},
                                 {"", ConversionDirection::kIsinToSicovam},
                                 {"trois", ConversionDirection::kIsinToSicovam}}) {
    SCOPED_TRACE("direction " + c.text);
    EXPECT_EQ(read("SensDeConversion=" + c.text).direction, c.direction);
  }
  struct ExtensionCase {
    std::string text;
    OutputExtension extension;
    bool kept;  // written back as it is, not as the button's text
  };
  for (const ExtensionCase& c : {ExtensionCase{".new", OutputExtension::kNew, false},
                                 {".new.txt", OutputExtension::kNewTxt, false},
                                 {".NEW", OutputExtension::kNewTxt, true},
                                 {".new ", OutputExtension::kNewTxt, true},
                                 {".txt", OutputExtension::kNewTxt, true},
                                 {"", OutputExtension::kNewTxt, true}}) {
    SCOPED_TRACE("extension '" + c.text + "'");
    Settings settings = read("ExtensionDestination=" + c.text);
    EXPECT_EQ(settings.options.ExtensionDestination, c.extension);
    EXPECT_EQ(settings.otherExtension, c.kept ? std::optional(c.text) : std::nullopt);
    Profile written(folder.Path() / "written.ini");
    ASSERT_TRUE(WriteSettings(written, settings));
    EXPECT_EQ(written.GetProfileString("General", "ExtensionDestination", "?"), c.text);
    // A click on an extension button makes it that button's text.
    settings.options.ExtensionDestination = OutputExtension::kNew;
    ASSERT_TRUE(WriteSettings(written, settings));
    EXPECT_EQ(written.GetProfileString("General", "ExtensionDestination", "?"), ".new");
  }

  // Written: each typed value as its number or text.
  Settings settings;
  settings.direction = ConversionDirection::kIsinToSicovam;
  settings.options.SetDirection(ConversionDirection::kIsinToSicovam);
  settings.options.ExtensionDestination = OutputExtension::kNewTxt;
  Profile written(folder.Path() / "typed.ini");
  ASSERT_TRUE(WriteSettings(written, settings));
  const std::string text = ReadFile(written.Path());
  EXPECT_NE(text.find("SensDeConversion=4\nCodeSource=2\nCodeDestination=1\n"), std::string::npos);
  EXPECT_NE(text.find("ExtensionDestination=.new.txt\n"), std::string::npos);
  settings.options.CodeSource = CodeType::kOther;  // a type no direction button sets
  ASSERT_TRUE(WriteSettings(written, settings));
  EXPECT_EQ(written.GetProfileInt("General", "CodeSource", -1), 0);
}

TEST(SettingsTest, WhatIsWrittenReadsBackKeyForKey) {
  testing::ScratchFolder folder;
  Profile profile(folder.Path() / "sub" / "q.ini");
  Settings written;
  written.options.ValeursConnuesOnly = 0;
  written.options.NePasRecopierValeursIgnorees = 1;
  written.options.SeparateurSource = ";\xA7";  // Windows-1252 bytes, kept as they are
  written.options.SeparateurDestination = " ";
  written.options.SetDirection(ConversionDirection::kIsinToSicovam);
  written.options.PrefixeSicovam = "X";
  written.options.LgSicoFixe = 1;
  written.options.NbCharSico = 8;
  written.options.ExtensionDestination = OutputExtension::kNewTxt;
  written.options.CheminFichiersSource = "/d\xE9p\xF4t";
  written.sourceTabulation = false;
  written.destinationTabulation = false;
  written.direction = ConversionDirection::kIsinToSicovam;
  ASSERT_TRUE(WriteSettings(profile, written));

  const Settings read = ReadSettings(profile).settings;
  EXPECT_EQ(read.options, written.options);
  EXPECT_FALSE(read.sourceTabulation);
  EXPECT_FALSE(read.destinationTabulation);
  EXPECT_EQ(read.direction, ConversionDirection::kIsinToSicovam);
}

}  // namespace
}  // namespace quelvane
