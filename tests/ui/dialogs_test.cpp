// The quick conversion, help and About dialogs, driven through their real widgets.
#include "core/builtin_table_count.h"
#include "core/code_tables.h"
#include "core/text.h"
#include "platform/dialog_probes.h"
#include "res/box_texts.h"
#include "res/help_text.h"
#include "res/resource_ids.h"
#include "run/run_texts.h"
#include "tests/platform/gui_test_support.h"
#include "tests/run/quick_convert_cases.h"
#include "tests/ui/main_window_fixture.h"
#include "ui/about_dlg.h"
#include "ui/help_dlg.h"
#include "ui/quick_convert_dlg.h"

namespace quelvane::testing {
namespace {

using namespace quelvane::res;

const std::string kComputedBox(res::kComputedIsinBox.text);
const std::string kRefusedBox(res::kNotACodeBox.text);

// Types a code into the quick dialog's edit and presses "Convertir".
void Convert(CQuickConvertDlg& dialog, const std::string& text) {
  dialog.SetDlgItemText(kIdcTypedCode, text);
  ClickItem(dialog, kIdcConvert);
}

// The dialog shows what the quick conversion gives, for every case of its table.
TEST(QuickConvertDialog, ShowsTheLinesAndBoxesOfEachCase) {
  const CodeTables tables;
  for (const QuickCase& c : kQuickCases) {
    if (c.box == QuickCase::Box::kNotACode) continue;  // see the next test
    const std::string typed = Cp1252ToUtf8(c.typed);
    SCOPED_TRACE(typed);
    BoxRecorder boxes;
    CQuickConvertDlg dialog(tables);
    dialog.Create();
    Convert(dialog, typed);
    EXPECT_EQ(boxes.Texts(), c.box == QuickCase::Box::kComputedIsin ? std::vector{kComputedBox}
                                                                    : std::vector<std::string>{});
    EXPECT_EQ(dialog.GetDlgItemText(kIdcSicovamLine), c.sicovamLine);
    EXPECT_EQ(dialog.GetDlgItemText(kIdcIsinLine), c.isinLine);
    for (const MessageBoxRequest& box : boxes.Boxes()) {
      EXPECT_EQ(box.owner, &dialog);
      EXPECT_EQ(box.type, BoxType::kInformation);
      EXPECT_EQ(box.caption, "Attention !");
    }
    dialog.DestroyWindow();
  }
}

TEST(QuickConvertDialog, ARefusedTextLeavesThePreviousResult) {
  const CodeTables tables;
  CQuickConvertDlg dialog(tables);
  dialog.Create();
  Convert(dialog, "10728");
  for (const QuickCase& c : kQuickCases) {
    if (c.box != QuickCase::Box::kNotACode) continue;
    const std::string typed = Cp1252ToUtf8(c.typed);
    SCOPED_TRACE(typed);
    BoxRecorder boxes;
    Convert(dialog, typed);
    EXPECT_EQ(boxes.Texts(), std::vector{kRefusedBox});
    ASSERT_EQ(boxes.Boxes().size(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].caption, "Attention");
    EXPECT_EQ(dialog.GetDlgItemText(kIdcSicovamLine), "SICOVAM : '10728'");
    EXPECT_EQ(dialog.GetDlgItemText(kIdcIsinLine), "ISIN : 'FR0000003402'");
  }
  dialog.DestroyWindow();
}

TEST(QuickConvertDialog, TheWarningShowsWhileTheLinesStillHoldThePreviousResult) {
  const CodeTables tables;
  CQuickConvertDlg dialog(tables);
  dialog.Create();
  Convert(dialog, "3007");
  BoxRecorder boxes;
  std::vector<std::string> linesDuringBox;
  boxes.OnBox([&](const MessageBoxRequest&) {
    linesDuringBox = {dialog.GetDlgItemText(kIdcSicovamLine), dialog.GetDlgItemText(kIdcIsinLine)};
  });
  Convert(dialog, "12345");
  EXPECT_EQ(linesDuringBox,
            (std::vector<std::string>{"SICOVAM : '3007'", "ISIN : 'FR0000030074'"}));
  EXPECT_EQ(dialog.GetDlgItemText(kIdcIsinLine), "ISIN : 'FR0000123457'");
  dialog.DestroyWindow();
}

TEST(QuickConvertDialog, UsesTheUserPairsAndJudgesOnlyTheFirst99Characters) {
  TempFolder folder;
  CodeTables tables;
  ASSERT_TRUE(tables.LoadUserCodeTable(folder.Write("table.txt", "12345\tSPECIAL-CODE-1\n")));
  CQuickConvertDlg dialog(tables);
  dialog.Create();
  BoxRecorder boxes;
  Convert(dialog, "12345");
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_EQ(dialog.GetDlgItemText(kIdcIsinLine), "ISIN : 'SPECIAL-CODE-1'");

  Convert(dialog, std::string(99, ' ') + "7");
  EXPECT_EQ(boxes.Texts(), std::vector{kRefusedBox});
  Convert(dialog, "7" + std::string(120, 'z'));
  EXPECT_EQ(dialog.GetDlgItemText(kIdcSicovamLine), "SICOVAM : '7" + std::string(98, 'z') + "'");
  dialog.DestroyWindow();
}

TEST(QuickConvertDialog, FocusStartsOnFermerEnterConvertsAndEscapeCloses) {
  const CodeTables tables;
  CQuickConvertDlg dialog(tables);
  BoxRecorder boxes;
  std::string focusedAtStart, sicovamLine;
  WhenModal([&](ScreenWindow window) {
    focusedAtStart = FocusedButtonText(window);
    GotoDlgCtrl(dialog, kIdcTypedCode);
    TypeKeys(dialog, kIdcTypedCode, "3007");
    PressKey(window, Key::kReturn);
    sicovamLine = dialog.GetDlgItemText(kIdcSicovamLine);
    PressKey(window, Key::kEscape);
  });
  EXPECT_EQ(dialog.DoModal(), kIdCancel);
  EXPECT_EQ(focusedAtStart, "&Fermer");
  EXPECT_EQ(sicovamLine, "SICOVAM : '3007'");
  EXPECT_TRUE(boxes.Texts().empty());
}

TEST(QuickConvertDialog, ScreenshotOfAConversionShowsBothResultLinesWhole) {
  const CodeTables tables;
  CQuickConvertDlg dialog(tables);
  dialog.Create();
  Convert(dialog, "10728");
  ShowAndWaitDrawn(dialog);
  EXPECT_EQ(TextsNotShownWhole(dialog), std::vector<std::string>{})
      << "every text, the result lines included, is shown whole";
  EXPECT_TRUE(SaveScreenshot(dialog, "quick_dialog.png"));
  dialog.DestroyWindow();
}

TEST(QuickConvertDialog, EachOpeningStartsEmpty) {
  const CodeTables tables;
  for (int opening = 0; opening < 2; ++opening) {
    CQuickConvertDlg dialog(tables);
    dialog.Create();
    EXPECT_EQ(dialog.GetDlgItemText(kIdcTypedCode), "");
    EXPECT_EQ(dialog.GetDlgItemText(kIdcSicovamLine), "");
    EXPECT_EQ(dialog.GetDlgItemText(kIdcIsinLine), "");
    Convert(dialog, "3007");
    dialog.DestroyWindow();
  }
}

// Lines the help text must hold whole, in this order.
const std::vector<std::string_view> kQuotedHelpLines = {
    "Cet utilitaire permet de convertir des codes SICOVAM en codes ISIN, ou inversement, et ce à "
    "l'intérieur de fichiers textes tels que des fichiers de cotations par exemple.",
    "Son utilisation est très simple :",
    "1) Sélectionnez les fichiers à traiter en cliquant sur le bouton \"Fichiers à traiter\".",
    "2) Choisissez les options de conversion.",
    "Sens de conversion : choisissez le sens de conversion.",
    "3) Cliquez sur le bouton \"Traiter les fichiers\".",
    "Note : vous pouvez aussi obtenir la correspondance d'un code en cliquant sur le bouton\r\n"
    "\"Sico <-> Isin\" en haut à droite.",
    "Fonctionnement de la conversion :",
    "Si le code recherché ne figure pas dans la table, le code destination est alors calculé selon "
    "le principe suivant.",
    "SICOVAM vers ISIN :",
    "ISIN vers SICOVAM :",
    "Les deux premiers caractères sont ignorés, ainsi que le dernier. Les 9 caractères restant "
    "sont "
    "alors considérés comme représentant le code SICOVAM (règle adoptée par EURONEXT).",
    "Fichier \"TABLE.CSV\" :",
    "Il contient des couples Code_Sicovam Code_ISIN, séparés par une tabulation.",
    "Vous pouvez ajouter à la suite une tabulation suivie du nom de la valeur.",
    "Les lignes commençant par un ';' ne sont pas traitées.",
    "Ce fichier permet d'ajouter des codes au logiciel de conversion.",
    "Historique :",
    "Version " QUELVANE_VERSION " - " QUELVANE_RELEASE_DATE,
    "Version 1.04 - 06/07/2003",
    "Le fichier 'TABLE.CSV' est renommé en 'TABLE.TXT' pour éviter les confusions avec le "
    "format.CSV d'Excel.",
    "Version 1.03 - 04/07/2003",
    "Mise à jour des codes.",
    "Ajout du fichier 'TABLE.CSV' permettant d'ajouter des codes.",
    "Ajout de l'option 'Ne pas recopier les valeurs ignorées'.",
    "Les fichiers créés ne sont plus des '.new', mais des '.new.txt'.",
    "Version 1.02 - 30/06/2003",
    "Mise à jour des codes.",
    "Le code ISIN est D'ABORD cherché dans la table.",
    "Version 1.01 - 11/06/2003",
};

TEST(HelpText, HoldsEveryQuotedLineWholeInOrder) {
  const std::string text = CHelpDlg::HelpText();
  std::size_t from = 0;
  for (const std::string_view line : kQuotedHelpLines) {
    // Whole lines: a line break (or the start) before, a line break after.
    const std::string needle = std::string(line) + "\r\n";
    std::size_t at = text.find(needle, from);
    while (at != std::string::npos && at != 0 && text[at - 1] != '\n')
      at = text.find(needle, at + 1);
    ASSERT_NE(at, std::string::npos) << "missing or out of order: " << line;
    from = at + needle.size();
  }
}

// The help says what the shipped table holds (the tests convert with a table of
// their own), and where table.txt is read.
TEST(HelpText, CountsTheBuiltInPairsAndSaysWhereTableTxtIsRead) {
  const std::string text = CHelpDlg::HelpText();
  const std::string count = std::string(QUELVANE_BUILTIN_PAIR_COUNT) + " couples";
  EXPECT_NE(text.find("table interne du programme : " + count), std::string::npos) << count;
  EXPECT_EQ(text.find("toutes les valeurs de la"), std::string::npos);
  EXPECT_NE(text.find("lit le fichier \"table.txt\" du dossier depuis lequel il est lancé"),
            std::string::npos);
}

TEST(HelpText, PiecesFollowTheOutlineAndEndWithTheAboutLines) {
  EXPECT_TRUE(kHelpTextPieces[0].starts_with("Cet utilitaire permet"));
  EXPECT_TRUE(kHelpTextPieces[1].starts_with("3) Cliquez sur le bouton"));
  EXPECT_NE(kHelpTextPieces[2].find("Fonctionnement de la conversion :"), std::string_view::npos);
  EXPECT_TRUE(kHelpTextPieces[3].starts_with("Version 1.03 - 04/07/2003"));
  const std::string ending = "Version 1.01 - 11/06/2003\r\n\r\n\r\n" + std::string(kPublisherLine) +
                             "\r\n" + std::string(kDocumentationLine) + "\r\n";
  EXPECT_TRUE(kHelpTextPieces[3].ends_with(ending));
  for (const std::string_view piece : kHelpTextPieces) {
    EXPECT_TRUE(piece.ends_with("\r\n"));
    // Every line break is CR LF.
    for (std::size_t i = 0; i < piece.size(); ++i) {
      if (piece[i] == '\n') {
        EXPECT_TRUE(i > 0 && piece[i - 1] == '\r');
      }
    }
  }
}

TEST(HelpDialog, ShowsTheTextWithTheFocusOnFermerAndForgetsEdits) {
  for (int opening = 0; opening < 2; ++opening) {
    CHelpDlg dialog;
    std::string shown, focused;
    bool selected = true;
    WhenModal([&](ScreenWindow window) {
      shown = dialog.GetDlgItemText(kIdcHelpText);
      selected = HasSelectedText(dialog, kIdcHelpText);
      focused = FocusedButtonText(window);
      EXPECT_FALSE(IsReadOnly(dialog, kIdcHelpText));
      if (opening == 0) {
        EXPECT_TRUE(SaveScreenshot(dialog, "help_dialog.png"));
      }
      GotoDlgCtrl(dialog, kIdcHelpText);
      TypeKeys(dialog, kIdcHelpText, "texte en plus");  // forgotten at the next opening
      PressKey(window, Key::kEscape);
    });
    EXPECT_EQ(dialog.DoModal(), kIdCancel);
    EXPECT_EQ(shown, CHelpDlg::HelpText()) << opening;
    EXPECT_FALSE(selected);
    EXPECT_EQ(focused, "&Fermer");
  }
}

TEST(HelpDialog, EnterClosesIt) {
  CHelpDlg dialog;
  WhenModal([](ScreenWindow window) { PressKey(window, Key::kReturn); });
  EXPECT_EQ(dialog.DoModal(), kIdOk);
}

TEST(AboutDialog, ShowsVersionPublisherAndDocumentationAndClosesWithEscapeOrEnter) {
  for (const Key key : {Key::kEscape, Key::kReturn}) {
    CAboutDlg dialog;
    std::vector<std::string> texts;
    std::string title;
    WhenModal([&](ScreenWindow window) {
      title = WindowTitle(window);
      for (std::size_t index : {0u, 1u, 3u}) {  // the three lines, in template order
        texts.push_back(ShownTextAt(dialog, index));
      }
      if (key == Key::kEscape) {
        EXPECT_TRUE(SaveScreenshot(dialog, "about_dialog.png"));
      }
      PressKey(window, key);
    });
    EXPECT_EQ(dialog.DoModal(), key == Key::kEscape ? kIdCancel : kIdOk);
    EXPECT_EQ(title, "A propos de QUELVANE");
    EXPECT_EQ(texts,
              (std::vector<std::string>{std::string(kAboutVersionLine), std::string(kPublisherLine),
                                        std::string(kDocumentationLine)}));
  }
}

TEST_F(MainWindowTest, TheSystemMenuAboutItemOpensTheAboutDialog) {
  CConverterDlg& window = Open();
  std::string title;
  WhenModal([&](ScreenWindow dialog) {
    title = WindowTitle(dialog);
    PressKey(dialog, Key::kEscape);
  });
  if (!ChooseSystemMenuItem(window, kIdmAbout)) {
    GTEST_SKIP() << "this desktop gives windows no system menu";
  }
  EXPECT_EQ(title, "A propos de QUELVANE");
}

// The desktop's own boxes, answered with the keyboard.
TEST(MessageBoxes, RealBoxesShowTheirTextAndAnswerAsTheirKeysSay) {
  struct Case {
    BoxType type;
    Key key;
    BoxAnswer answer;
  };
  const Case cases[] = {
      // "Oui" is the default. Escape on a question answers No with Qt and does
      // nothing on Windows, whose Yes/No boxes cannot be escaped.
      {BoxType::kQuestion, Key::kReturn, BoxAnswer::kYes},
      {BoxType::kInformation, Key::kReturn, BoxAnswer::kOk},
      {BoxType::kStop, Key::kEscape, BoxAnswer::kOk},
      {BoxType::kOk, Key::kReturn, BoxAnswer::kOk},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.type));
    std::string shown;
    WhenModal([&](ScreenWindow box) {
      shown = MessageBoxText(box);
      PressKey(box, c.key);
    });
    EXPECT_EQ(ShowMessageBox(nullptr, "Paramètre inconnu.", "Attention", c.type), c.answer);
    EXPECT_EQ(shown, "Paramètre inconnu.");
  }
}

TEST_F(MainWindowTest, TheQuickDialogUsesTheWindowsTableTxtButNotItsOptions) {
  Folder().Write("table.txt", "12345\tSPECIAL-CODE-1\n");
  Open();
  Click(kIdcPrefix);  // the prefix option is for files only
  CQuickConvertDlg dialog(Window().Tables());
  dialog.Create();
  BoxRecorder boxes;
  Convert(dialog, "12345");
  EXPECT_TRUE(boxes.Texts().empty());
  EXPECT_EQ(dialog.GetDlgItemText(kIdcIsinLine), "ISIN : 'SPECIAL-CODE-1'");
  Convert(dialog, "X12345");
  EXPECT_EQ(boxes.Texts(), std::vector{kRefusedBox});
  dialog.DestroyWindow();
}

}  // namespace
}  // namespace quelvane::testing
