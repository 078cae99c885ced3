// The main window at start and at its end: the settings read into the controls,
// the fourteen keys written back, the window as a person sees it.
#include "os/os.h"
#include "tests/ui/main_window_fixture.h"

namespace quelvane::testing {
namespace {

using namespace quelvane::res;

TEST_F(MainWindowTest, FirstStartShowsTheDefaultsAndClosingWritesAllFourteenKeys) {
  Open();
  EXPECT_EQ(Checked(kIdcKnownValuesOnly), 1);
  EXPECT_EQ(Checked(kIdcSkipIgnored), 0);
  EXPECT_EQ(Checked(kIdcSourceTab), 1);
  EXPECT_EQ(Checked(kIdcSourceOther), 0);
  EXPECT_EQ(Text(kIdcSourceText), "");
  EXPECT_FALSE(Enabled(kIdcSourceText));
  EXPECT_EQ(Checked(kIdcSicovamToIsin), 1);
  EXPECT_EQ(Checked(kIdcIsinToSicovam), 0);
  EXPECT_EQ(Checked(kIdcDestinationTab), 1);
  EXPECT_EQ(Checked(kIdcDestinationOther), 0);
  EXPECT_EQ(Text(kIdcDestinationText), "");
  EXPECT_FALSE(Enabled(kIdcDestinationText));
  EXPECT_EQ(Checked(kIdcPrefix), 0);
  EXPECT_EQ(Checked(kIdcFixedLength), 0);
  EXPECT_TRUE(Enabled(kIdcFixedLength));
  EXPECT_EQ(Text(kIdcLengthText), "6");
  EXPECT_FALSE(Enabled(kIdcLengthText));
  EXPECT_EQ(Checked(kIdcExtensionNew), 1);
  EXPECT_EQ(Checked(kIdcExtensionNewTxt), 0);
  for (int id : {kIdcStatusLine1, kIdcStatusLine2, kIdcStatusLine3, kIdcStatusLine4}) {
    EXPECT_EQ(Text(id), "") << "the template's \"Static\" is replaced";
  }
  // The options and the file a first close writes are the settings schema's
  // defaults (tests/run/settings_test.cpp holds them to their values).
  EXPECT_EQ(Window().Options(), ConversionOptions{});
  Close();
  Profile defaults(Folder().Path() / "defaults.ini");
  ASSERT_TRUE(WriteSettings(defaults, Settings{}));
  EXPECT_EQ(ProfileText(), ReadFile(defaults.Path()));
}

TEST_F(MainWindowTest, StoredSettingsComeBackAndAreWrittenBackUnchanged) {
  const std::string stored =
      "[General]\n"
      "ValeursConnuesOnly=0\n"
      "NePasRecopierValeursIgnorees=1\n"
      "SensDeConversion=4\n"
      "CodeSource=2\n"
      "CodeDestination=1\n"
      "PrefixeSicovam=X\n"
      "LgSicoFixe=1\n"
      "NbCharSico=8\n"
      "ExtensionDestination=.new.txt\n"
      "CheminFichiersSource=/srv/cotations\n"
      "[Separateur Source]\n"
      "tabulation=0\n"
      "separateurs=;\xE9\xE9\xE9\xE9\xE9\xE9\n"  // Windows-1252, as a profile from Windows
      "[Separateur Destination]\n"
      "tabulation=0\n"
      "separateurs= | \n";
  WriteProfile(stored);
  Open();
  EXPECT_EQ(Checked(kIdcKnownValuesOnly), 0);
  EXPECT_EQ(Checked(kIdcSkipIgnored), 1);
  EXPECT_EQ(Checked(kIdcSourceOther), 1);
  EXPECT_EQ(Text(kIdcSourceText), ";éééééé");
  EXPECT_TRUE(Enabled(kIdcSourceText));
  EXPECT_EQ(Checked(kIdcIsinToSicovam), 1);
  EXPECT_EQ(Checked(kIdcPrefix), 1);
  EXPECT_EQ(Checked(kIdcDestinationOther), 1);
  EXPECT_EQ(Text(kIdcDestinationText), " | ");
  EXPECT_EQ(Checked(kIdcFixedLength), 1);
  EXPECT_EQ(Text(kIdcLengthText), "8");
  EXPECT_TRUE(Enabled(kIdcLengthText));
  EXPECT_EQ(Checked(kIdcExtensionNewTxt), 1);
  EXPECT_EQ(Window().Options().SeparateurDestination, " | ");
  EXPECT_EQ(Window().Options().CheminFichiersSource, "/srv/cotations");
  Close();
  EXPECT_EQ(ProfileText(), stored);
}

TEST_F(MainWindowTest, TextsLongerThanTheirFieldsAreCut) {
  WriteProfile("[General]\nPrefixeSicovam=XYZ0123456789\nExtensionDestination=." +
               std::string(120, 'e') + "\nCheminFichiersSource=/" + std::string(300, 'd') +
               "\n[Separateur Source]\ntabulation=0\nseparateurs=;;;;;;;;;;;;\n");
  Open();
  const ConversionOptions& options = Window().Options();
  EXPECT_EQ(options.PrefixeSicovam, "XYZ012345");
  EXPECT_EQ(options.CheminFichiersSource.size(), 259u);
  EXPECT_EQ(options.SeparateurSource, ";;;;;;;;;");
  Close();
  EXPECT_NE(ProfileText().find("ExtensionDestination=." + std::string(98, 'e') + "\n"),
            std::string::npos);
}

TEST_F(MainWindowTest, SourceTabulationZeroWithoutSeparatorsSelectsAnEmptyOther) {
  WriteProfile("[Separateur Source]\ntabulation=0\n");
  Open();
  EXPECT_EQ(Checked(kIdcSourceOther), 1);
  EXPECT_EQ(Checked(kIdcSourceTab), 0);
  EXPECT_TRUE(Enabled(kIdcSourceText));
  EXPECT_EQ(Text(kIdcSourceText), "");
  EXPECT_EQ(Window().Options().SeparateurSource, "");
}

TEST_F(MainWindowTest, DirectionButtonsAndCodeTypesAreReadApartAndWrittenTogether) {
  WriteProfile("[General]\nSensDeConversion=4\nCodeSource=1\nCodeDestination=2\n");
  Open();
  EXPECT_EQ(Checked(kIdcIsinToSicovam), 1);
  EXPECT_EQ(Checked(kIdcSicovamToIsin), 0);
  EXPECT_EQ(Window().Options().Direction(), ConversionDirection::kSicovamToIsin)
      << "until a direction button is clicked";
  EXPECT_TRUE(Enabled(kIdcFixedLength));
  Close();
  const std::string written = ProfileText();
  EXPECT_NE(written.find("SensDeConversion=4\nCodeSource=2\nCodeDestination=1\n"),
            std::string::npos)
      << written;
}

TEST_F(MainWindowTest, StoredPrefixAndExtensionKeepTheirTextUntilTheirButtonsAreClicked) {
  struct Case {
    std::string prefix;
    int prefixBox;
    std::string extension;
    int newTxtButton;
  };
  for (const Case& c :
       {Case{"XA", 1, ".new.txt", 1}, Case{"AX", 0, ".txt", 1}, Case{"", 0, ".new", 0}}) {
    WriteProfile("[General]\nPrefixeSicovam=" + c.prefix + "\nExtensionDestination=" + c.extension +
                 "\n");
    Open();
    EXPECT_EQ(Checked(kIdcPrefix), c.prefixBox) << c.prefix;
    EXPECT_EQ(Window().Options().PrefixeSicovam, c.prefix);
    EXPECT_EQ(Checked(kIdcExtensionNewTxt), c.newTxtButton) << c.extension;
    EXPECT_EQ(Checked(kIdcExtensionNew), 1 - c.newTxtButton) << c.extension;
    Close();
    const std::string written = ProfileText();
    EXPECT_NE(written.find("PrefixeSicovam=" + c.prefix + "\n"), std::string::npos) << written;
    EXPECT_NE(written.find("ExtensionDestination=" + c.extension + "\n"), std::string::npos)
        << written;
  }
}

TEST_F(MainWindowTest, ScreenshotShowsEveryTextWhole) {
  CConverterDlg& window = Open();
  // The picture shows in the README: paths as the user's system writes them.
  const std::string folder = PathSeparator() == '/'
                                 ? "/home/utilisateur/cotations"
                                 : "C:\\Users\\utilisateur\\Documents\\Cotations";
  // One file, the same in the list, the log and the status line.
  const std::string file = JoinPath(folder, "cours-2003-11-13.prn");
  window.ListAddString(kIdcFileList, file);
  window.AddLogLine("==> Traitement fichier '" + file + "'\r\n");
  window.AddLogLine("Code SICOVAM trouvé dans la colonne 1\r\n");
  window.SetStatusLines("1/1 fichiers traités", file, std::nullopt, std::nullopt);
  ShowAndWaitDrawn(window);
  EXPECT_EQ(TextsNotShownWhole(window), std::vector<std::string>{});
  EXPECT_TRUE(SaveScreenshot(window, "main_window.png"));
}

}  // namespace
}  // namespace quelvane::testing
