// The option handlers: each control updates its option at once, and the edge
// cases of the controls that depend on each other.
#include <sstream>

#include "cli/cli.h"
#include "cli/convert_command.h"
#include "os/os.h"
#include "platform/dialog_probes.h"
#include "tests/ui/main_window_fixture.h"

namespace quelvane::testing {
namespace {

using namespace quelvane::res;

TEST_F(MainWindowTest, CheckBoxesToggleTheirOptions) {
  Open();
  Click(kIdcKnownValuesOnly);
  Click(kIdcSkipIgnored);
  EXPECT_EQ(Window().Options().ValeursConnuesOnly, 0);
  EXPECT_EQ(Checked(kIdcKnownValuesOnly), 0);
  EXPECT_EQ(Window().Options().NePasRecopierValeursIgnorees, 1);
  EXPECT_EQ(Checked(kIdcSkipIgnored), 1);
  Click(kIdcPrefix);
  EXPECT_EQ(Window().Options().PrefixeSicovam, "X");
  Click(kIdcPrefix);
  EXPECT_EQ(Window().Options().PrefixeSicovam, "");
}

TEST_F(MainWindowTest, SeparatorButtonsAndTheirEdits) {
  struct Side {
    int tab, other, text;
    const std::string& (*option)(const ConversionOptions&);
  };
  const Side sides[] = {
      {kIdcSourceTab, kIdcSourceOther, kIdcSourceText,
       [](const ConversionOptions& o) -> const std::string& { return o.SeparateurSource; }},
      {kIdcDestinationTab, kIdcDestinationOther, kIdcDestinationText,
       [](const ConversionOptions& o) -> const std::string& { return o.SeparateurDestination; }},
  };
  Open();
  for (const Side& side : sides) {
    SCOPED_TRACE(side.text);
    Click(side.other);  // the edit was never filled: the separator is empty at once
    EXPECT_EQ(side.option(Window().Options()), "");
    EXPECT_EQ(Checked(side.tab), 0);
    EXPECT_TRUE(Enabled(side.text));
    Type(side.text, "abcdefghijkl");
    EXPECT_EQ(side.option(Window().Options()), "abcdefghi") << "nine characters of twelve";
    Type(side.text, "\u2192\u00A7\u20AC");  // an arrow Windows-1252 does not have
    EXPECT_EQ(Text(side.text), "\u00A7\u20AC");
    EXPECT_EQ(side.option(Window().Options()), "\xA7\x80");
    Type(side.text, "é;");
    EXPECT_EQ(side.option(Window().Options()), "\xE9;") << "quote files are Windows-1252";
    Click(side.tab);
    EXPECT_EQ(side.option(Window().Options()), "\t");
    EXPECT_EQ(Checked(side.other), 0);
    EXPECT_FALSE(Enabled(side.text));
    EXPECT_EQ(Text(side.text), "é;") << "the text stays, disabled";
    Click(side.tab);  // a click on a checked radio button leaves it checked
    EXPECT_EQ(Checked(side.tab), 1);
  }
  Close();
  // Back to Tabulation: "separateurs" holds the tab, so the typed text is not restored.
  Open();
  EXPECT_EQ(Text(kIdcSourceText), "");
  EXPECT_EQ(Text(kIdcDestinationText), "");
}

TEST_F(MainWindowTest, DirectionDisablesOrRestoresTheFixedLengthControls) {
  Open();
  Click(kIdcIsinToSicovam);
  EXPECT_EQ(Checked(kIdcSicovamToIsin), 0);
  EXPECT_EQ(Window().Options().Direction(), ConversionDirection::kIsinToSicovam);
  EXPECT_TRUE(Enabled(kIdcFixedLength));
  EXPECT_FALSE(Enabled(kIdcLengthText)) << "box 1033 unchecked";

  Click(kIdcFixedLength);
  EXPECT_EQ(Window().Options().LgSicoFixe, 1);
  EXPECT_TRUE(Enabled(kIdcLengthText));
  Click(kIdcSicovamToIsin);
  EXPECT_EQ(Window().Options().Direction(), ConversionDirection::kSicovamToIsin);
  EXPECT_FALSE(Enabled(kIdcFixedLength));
  EXPECT_FALSE(Enabled(kIdcLengthText));
  EXPECT_EQ(Checked(kIdcFixedLength), 1) << "state and option stay";
  EXPECT_EQ(Window().Options().LgSicoFixe, 1);
}

TEST_F(MainWindowTest, LengthIsReadAsANumberAndWrittenBackByTheButtonsThatShowIt) {
  Open();
  Click(kIdcIsinToSicovam);
  Click(kIdcFixedLength);
  Type(kIdcLengthText, "abc");
  EXPECT_EQ(Window().Options().NbCharSico, 0);
  Click(kIdcFixedLength);  // off
  Click(kIdcFixedLength);  // on again: 0 is not written into the edit
  EXPECT_EQ(Text(kIdcLengthText), "abc");
  Click(kIdcIsinToSicovam);  // the direction button writes it whatever it is
  EXPECT_EQ(Text(kIdcLengthText), "0");

  Type(kIdcLengthText, "-2");
  EXPECT_EQ(Window().Options().NbCharSico, -2);
  Click(kIdcFixedLength);
  Click(kIdcFixedLength);
  EXPECT_EQ(Text(kIdcLengthText), "-2");
  Type(kIdcLengthText, "07");
  Click(kIdcFixedLength);
  Click(kIdcFixedLength);
  EXPECT_EQ(Text(kIdcLengthText), "7");
  Type(kIdcLengthText, "-2");
  Close();
  EXPECT_NE(ProfileText().find("NbCharSico=-2\n"), std::string::npos);
}

TEST_F(MainWindowTest, FixedLengthEditFollowsItsBoxAtStart) {
  WriteProfile("[General]\nLgSicoFixe=1\nNbCharSico=5\n");
  Open();
  EXPECT_EQ(Checked(kIdcFixedLength), 1);
  EXPECT_TRUE(Enabled(kIdcFixedLength)) << "SICOVAM ==> ISIN at start does not disable it";
  EXPECT_TRUE(Enabled(kIdcLengthText));
  EXPECT_EQ(Text(kIdcLengthText), "5");
}

TEST_F(MainWindowTest, ExtensionButtonsUncheckEachOther) {
  WriteProfile("[General]\nExtensionDestination=.autre\n");
  Open();
  EXPECT_EQ(Checked(kIdcExtensionNewTxt), 1);
  Click(kIdcExtensionNew);
  EXPECT_EQ(Checked(kIdcExtensionNewTxt), 0);
  EXPECT_EQ(Window().Options().ExtensionDestination, OutputExtension::kNew);
  Click(kIdcExtensionNewTxt);
  EXPECT_EQ(Checked(kIdcExtensionNew), 0);
  EXPECT_EQ(Window().Options().ExtensionDestination, OutputExtension::kNewTxt);
  Close();
  EXPECT_NE(ProfileText().find("ExtensionDestination=.new.txt\n"), std::string::npos);
}

// The window and "quelvane-cli convert --profile" read a saved profile alike,
// option for option, however awkward the profile, and convert a file alike.
TEST_F(MainWindowTest, TheWindowAndQuelvaneCliReadAProfileAlike) {
  const std::string profiles[] = {
      "",  // no key at all
      "[General]\nValeursConnuesOnly=abc\nNbCharSico=99999999999\nLgSicoFixe= 1x\n"
      "PrefixeSicovam=X\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\xE9\nExtensionDestination=.NEW\n"
      "SensDeConversion=4\nCodeSource=2\nCodeDestination=1\n"
      "[Separateur Source]\ntabulation=0\nseparateurs=\xA7\xE9;\xE9\xE9\xE9\xE9\xE9\xE9\xE9\n"
      "[Separateur Destination]\ntabulation=2\nseparateurs=\xE9\n",
      "[general]\r\nnePasRecopierValeursIgnorees=-1\r\nExtensionDestination=.new\r\n"
      "[SEPARATEUR SOURCE]\r\ntabulation=1\r\nseparateurs=;\r\n",
  };
  for (const std::string& profile : profiles) {
    SCOPED_TRACE(profile);
    WriteProfile(profile);
    const ConversionOptions window = Open().Options();
    Close();
    WriteProfile(profile);
    ConvertArgs args;
    args.profile = (Folder().Path() / "quelvane.ini").string();
    std::ostringstream out, err;
    Console console{out, err};
    EXPECT_EQ(ResolveOptions(args, console), window);
  }

  // Separators typed as "§" and "é" in a Windows-1252 quote file.
  WriteProfile(
      "[Separateur Source]\ntabulation=0\nseparateurs=\xA7\n"
      "[Separateur Destination]\ntabulation=0\nseparateurs=\xE9\n");
  const std::string input = Folder()
                                .Write("cours.txt",
                                       "3007\xA7"
                                       "1\xA7"
                                       "2\r\n")
                                .string();
  FileSelectionScript script;
  script.Select({input});
  BoxRecorder boxes;
  Open();
  Click(kIdcSelectFiles);
  Click(kIdcProcessFiles);
  const std::string fromWindow = ReadFile(input + ".new");
  EXPECT_EQ(fromWindow,
            "FR0000030074\xE9"
            "1\xE9"
            "2\r\n");
  std::filesystem::remove(input + ".new");
  const std::string profileArgument = "--profile=" + (Folder().Path() / "quelvane.ini").string();
  const char* argv[] = {"quelvane-cli", "convert", profileArgument.c_str(), input.c_str()};
  std::ostringstream out, err;
  Console console{out, err};
  EXPECT_EQ(RunCli(argv, console), kExitOk);
  EXPECT_EQ(ReadFile(input + ".new"), fromWindow);
}

// The same profile, table and quote file give the same bytes and the same log
// through the window and through "quelvane-cli convert --profile", on every
// system: both are held to one stored result, which the Linux and the Windows
// suites share. QUELVANE_UPDATE_GOLDEN=1 rewrites it from the window's run.
TEST_F(MainWindowTest, TheWindowAndQuelvaneCliGiveTheStoredBytesAndLog) {
  const std::filesystem::path golden =
      std::filesystem::path(QUELVANE_TEST_DATA) / "window" / "profile_run";
  for (const char* name : {"quelvane.ini", "table.txt", "cours.txt"}) {
    Folder().Write(name, ReadFile(golden / "in" / name));
  }
  const std::string input = Utf8FromPath(Folder().Path() / "cours.txt");
  const std::filesystem::path output = Folder().Path() / "cours.txt.new.txt";
  // The log names the file by its full path, which differs from run to run.
  const auto logText = [&](std::string log) {
    for (std::size_t at = 0; (at = log.find(input, at)) != std::string::npos;) {
      log.replace(at, input.size(), "<FICHIER>");
    }
    return log;
  };

  FileSelectionScript script;
  script.Select({input});
  BoxRecorder boxes;
  CConverterDlg& window = Open();
  Click(kIdcSelectFiles);
  Click(kIdcProcessFiles);
  std::string windowLog;
  for (int i = 0; i < window.ListGetCount(kIdcLog); ++i) {
    windowLog += ListGetText(window, kIdcLog, i) + "\n";
  }
  const std::string windowBytes = ReadFile(output);
  if (std::getenv("QUELVANE_UPDATE_GOLDEN") != nullptr) {
    WriteFile(golden / "expected" / "cours.txt.new.txt", windowBytes);
    WriteFile(golden / "log", logText(windowLog));
  }
  const std::string expectedBytes = ReadFile(golden / "expected" / "cours.txt.new.txt");
  const std::string expectedLog = ReadFile(golden / "log");
  EXPECT_EQ(windowBytes, expectedBytes);
  EXPECT_EQ(logText(windowLog), expectedLog);

  std::filesystem::remove(output);
  const char* argv[] = {"quelvane-cli", "convert", "--profile", input.c_str()};
  std::ostringstream out, err;
  Console console{out, err};
  EXPECT_EQ(RunCli(argv, console), kExitWarnings);
  EXPECT_EQ(ReadFile(output), expectedBytes);
  EXPECT_EQ(logText(out.str()), expectedLog);
}

}  // namespace
}  // namespace quelvane::testing
