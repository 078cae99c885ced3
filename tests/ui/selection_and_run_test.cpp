// File selection and whole runs through the window: what the list shows, what the
// run walks, the question about the separator, what a run writes and logs.
#include <functional>

#include "platform/dialog_probes.h"
#include "res/box_texts.h"
#include "run/process_files.h"
#include "tests/ui/main_window_fixture.h"

namespace quelvane::testing {
namespace {

using namespace quelvane::res;

constexpr std::string_view kNothingSelected =
    "Vous devez sélectionner un ou plusieurs fichiers\nà traiter en cliquant sur le bouton :\n"
    "Fichiers à traiter";

std::vector<std::string> ListLines(const CConverterDlg& window, int id) {
  std::vector<std::string> lines;
  for (int i = 0; i < window.ListGetCount(id); ++i) lines.push_back(ListGetText(window, id, i));
  return lines;
}

// A run's reports as the window shows them, recorded.
class RecordingReporter : public res::WindowReport {
 public:
  void SetStatusLines(const std::optional<std::string>&, const std::optional<std::string>&,
                      const std::optional<std::string>&,
                      const std::optional<std::string>&) override {}
  void AddLogLine(std::string_view text) override { log.emplace_back(text); }
  void SetLogRedraw(bool) override {}
  void ScrollLogToEnd() override {}
  BoxAnswer MessageBox(std::string_view text, std::string_view, BoxType) override {
    boxes.emplace_back(text);
    return BoxAnswer::kYes;
  }
  std::vector<std::string> log;
  std::vector<std::string> boxes;
};

TEST_F(MainWindowTest, TheListShowsTheLastSelectionAndTheRunWalksTheSame) {
  const std::string a = Folder().Write("a.txt", "x").string();
  const std::string b = Folder().Write("b.prn", "x").string();
  const std::string c = Folder().Write("c.asc", "x").string();
  FileSelectionScript script;
  script.Select({a});
  script.Select({a, b, c});
  script.Cancel();
  BoxRecorder boxes(BoxAnswer::kNo);
  CConverterDlg& window = Open();

  Click(kIdcSelectFiles);
  EXPECT_EQ(ListLines(window, kIdcFileList), std::vector<std::string>{a});
  Click(kIdcSelectFiles);
  EXPECT_EQ(ListLines(window, kIdcFileList), (std::vector<std::string>{a, b, c}));
  ASSERT_EQ(script.Requests().size(), 2u);
  EXPECT_EQ(script.Requests()[1].initialFileName, a) << "starts from the previous selection";
  EXPECT_EQ(script.Requests()[0].filters.front().description, "Fichiers textes (*.txt)");
  EXPECT_EQ(script.Requests()[0].owner, &window);

  // The run walks the selection: the files lack the tab, so it asks; No ends it.
  Click(kIdcProcessFiles);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, "Allo ?");
  EXPECT_NE(boxes.Boxes()[0].text.find("Le fichier '" + a + "'"), std::string::npos);

  // A cancelled dialog empties the list, and the run then finds nothing selected.
  Click(kIdcSelectFiles);
  EXPECT_TRUE(ListLines(window, kIdcFileList).empty());
  Click(kIdcProcessFiles);
  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[1].text, kNothingSelected);
}

TEST_F(MainWindowTest, ASelectionTooLargeForTheBufferIsToldAndLeavesTheListEmpty) {
  std::vector<std::string> many;
  for (int i = 0; i < 2000; ++i)
    many.push_back((Folder().Path() / ("cours-" + std::to_string(100000 + i) + ".txt")).string());
  FileSelectionScript script;
  script.Select(many);
  BoxRecorder boxes;
  CConverterDlg& window = Open();
  Click(kIdcSelectFiles);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kTooManyFilesBox.text);
  EXPECT_EQ(boxes.Boxes()[0].caption, "Attention");
  EXPECT_EQ(boxes.Boxes()[0].owner, &window);
  EXPECT_TRUE(ListLines(window, kIdcFileList).empty());
}

TEST_F(MainWindowTest, WithNothingSelectedOnlyTheBoxShows) {
  BoxRecorder boxes;
  CConverterDlg& window = Open();
  window.AddLogLine("avant\r\n");
  window.SetStatusLines("1/1 fichiers traités", std::nullopt, std::nullopt, std::nullopt);
  Click(kIdcProcessFiles);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text, kNothingSelected);
  EXPECT_EQ(boxes.Boxes()[0].caption, "Attention");
  EXPECT_EQ(boxes.Boxes()[0].type, BoxType::kInformation);
  EXPECT_EQ(boxes.Boxes()[0].owner, &window);
  for (int id : {kIdcStatusLine1, kIdcStatusLine2, kIdcStatusLine3, kIdcStatusLine4}) {
    EXPECT_EQ(Text(id), "");
  }
  EXPECT_EQ(ListLines(window, kIdcLog), std::vector<std::string>{"avant"});
}

TEST_F(MainWindowTest, AFixedLengthBelowFiveRefusesTheRunInEitherDirection) {
  const std::string file = Folder().Write("cours.txt", "10728\t1\r\n").string();
  FileSelectionScript script;
  script.Select({file});
  BoxRecorder boxes;
  Open();
  Click(kIdcSelectFiles);
  Click(kIdcIsinToSicovam);
  Click(kIdcFixedLength);
  Type(kIdcLengthText, "4");
  Click(kIdcSicovamToIsin);
  Click(kIdcProcessFiles);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].caption, "Saisie incohérente");
  EXPECT_EQ(boxes.Boxes()[0].type, BoxType::kStop);
  EXPECT_FALSE(std::filesystem::exists(file + ".new"));

  Click(kIdcIsinToSicovam);
  Type(kIdcLengthText, "5");
  Click(kIdcSicovamToIsin);
  Click(kIdcProcessFiles);
  EXPECT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(ReadFile(file + ".new"), "FR0000003402\t1\r\n");
}

TEST_F(MainWindowTest, ARunFromTheWindowWritesAndLogsWhatTheRunItselfDoes) {
  const std::string isinQuotes =
      "<TICKER>;<DTYYYYMMDD>;<CLOSE>\n"
      "FR0000003402;20240102;116.99\n"
      "\n"
      "fr0000030074;;20240102;134.89\n"
      "FR0000123457;20240102;1.5\n"
      ";;;\n"
      "GB00B03MLX29;20240102;2.5\n";
  const std::string first = Folder().Write("cours.txt", isinQuotes).string();
  const std::string second = Folder().Write("autres.prn", "FR0000030124;x\n").string();
  // As a spreadsheet saves it: a UTF-8 mark, quoted fields holding the separator.
  const std::string third =
      Folder().Write("tableur.csv", "\xEF\xBB\xBF\"A; B\";\"FR0000003402\";\"1;5\"\r\n").string();
  Folder().Write("table.txt", "777\tGB00B03MLX29\n");
  FileSelectionScript script;
  script.Select({first, second, third});
  BoxRecorder boxes;
  CConverterDlg& window = Open();

  Click(kIdcSelectFiles);
  Click(kIdcSourceOther);
  Type(kIdcSourceText, ";");
  Click(kIdcDestinationOther);
  Type(kIdcDestinationText, " | ");
  Click(kIdcIsinToSicovam);
  Click(kIdcPrefix);
  Click(kIdcFixedLength);
  Type(kIdcLengthText, "7");
  Click(kIdcKnownValuesOnly);  // off: computed codes are written too
  Click(kIdcExtensionNewTxt);
  Click(kIdcProcessFiles);

  const std::string byWindow = ReadFile(first + ".new.txt");
  const std::string secondByWindow = ReadFile(second + ".new.txt");
  const std::string thirdByWindow = ReadFile(third + ".new.txt");
  EXPECT_EQ(thirdByWindow, "\xEF\xBB\xBF\"A; B\" | \"X0010728\" | \"1;5\"\r\n");
  EXPECT_EQ(byWindow.substr(0, 33), "<TICKER> | <DTYYYYMMDD> | <CLOSE>");
  EXPECT_NE(byWindow.find("X0000777 | 20240102 | 2.5\r\n"), std::string::npos)
      << "the user table, read from the working folder";
  const std::vector<std::string> windowLog = ListLines(window, kIdcLog);
  const std::vector<std::string> windowBoxes = boxes.Texts();

  ConversionOptions options;
  options.SeparateurSource = ";";
  options.SeparateurDestination = " | ";
  options.SetDirection(ConversionDirection::kIsinToSicovam);
  options.PrefixeSicovam = "X";
  options.LgSicoFixe = 1;
  options.NbCharSico = 7;
  options.ValeursConnuesOnly = 0;
  options.ExtensionDestination = OutputExtension::kNewTxt;
  CodeTables tables;
  tables.LoadUserCodeTable(Folder().Path() / "table.txt");
  RecordingReporter direct;
  ProcessFiles(options, {first, second, third}, tables, direct);

  EXPECT_EQ(ReadFile(first + ".new.txt"), byWindow);
  EXPECT_EQ(ReadFile(second + ".new.txt"), secondByWindow);
  EXPECT_EQ(ReadFile(third + ".new.txt"), thirdByWindow);
  EXPECT_EQ(windowLog, direct.log);
  EXPECT_EQ(windowBoxes, direct.boxes);
  EXPECT_EQ(Text(kIdcStatusLine1), "3/3 fichiers traités");
  EXPECT_EQ(Text(kIdcStatusLine2), "");
}

TEST_F(MainWindowTest, AnsweringNoForTheSecondOfThreeFilesAbandonsTheRun) {
  const std::string a = Folder().Write("a.txt", "10728\t1\r\nabc\t2\r\n").string();
  const std::string b = Folder().Write("b.txt", "10728;1\r\n").string();
  const std::string c = Folder().Write("c.txt", "10728\t1\r\n").string();
  FileSelectionScript script;
  script.Select({a, b, c});
  BoxRecorder boxes;
  boxes.Answer(BoxAnswer::kNo);
  CConverterDlg& window = Open();
  Click(kIdcSelectFiles);
  Click(kIdcProcessFiles);

  ASSERT_EQ(boxes.Boxes().size(), 2u);
  EXPECT_EQ(boxes.Boxes()[0].caption, "Allo ?");
  EXPECT_EQ(boxes.Boxes()[0].type, BoxType::kQuestion);
  EXPECT_EQ(boxes.Boxes()[0].owner, &window);
  EXPECT_EQ(boxes.Boxes()[1].text,
            "Attention, il y a eu 1 warnings.\nConsultez le log dans le bas de la fenêtre.");
  const std::vector<std::string> log = ListLines(window, kIdcLog);
  ASSERT_GE(log.size(), 2u);
  EXPECT_EQ(log.back(), "--------- ABANDON ----------");
  EXPECT_EQ(log[log.size() - 2],
            "Le fichier ne semble pas contenir le séparateur de colonne sélectionné.");
  EXPECT_EQ(std::count(log.begin(), log.end(), "Bilan global :"), 0);
  EXPECT_EQ(Text(kIdcStatusLine1), "1/3 fichiers traités");
  EXPECT_FALSE(std::filesystem::exists(c + ".new"));
  EXPECT_TRUE(std::filesystem::exists(a + ".new"));
}

TEST_F(MainWindowTest, StatusLinesArePaintedWhileTheRunHoldsTheThread) {
  std::vector<std::string> paths;
  for (const char* name : {"a.txt", "b.txt", "c.txt"}) {
    paths.push_back(Folder().Write(name, "10728\t1\r\n").string());
  }
  FileSelectionScript script;
  script.Select(paths);
  CConverterDlg& window = Open();
  ShowAndWaitDrawn(window);
  Click(kIdcSelectFiles);
  const PaintCounter counter(window, kIdcStatusLine2);
  Click(kIdcProcessFiles);  // returns after the run; no event loop ran meanwhile
  EXPECT_GE(counter.Paints(), 3) << "one paint per file path at least";
}

TEST_F(MainWindowTest, InputPostedDuringARunActsOnlyOnceTheRunHasEnded) {
  // The first file lacks the tab: the run asks, and while its question is up a
  // click and a key reach the window; the second file's progress points follow.
  const std::string a = Folder().Write("a.txt", "10728\r\n").string();
  const std::string b = Folder().Write("b.txt", "10728\t1\r\n").string();
  FileSelectionScript script;
  script.Select({a, b});
  BoxRecorder boxes(BoxAnswer::kYes);
  CConverterDlg& window = Open();
  ShowAndWaitDrawn(window);
  Click(kIdcSelectFiles);
  window.EnableDlgItem(kIdcLengthText, true);
  std::function<bool()> stillThere;
  boxes.OnBox([&](const MessageBoxRequest&) {
    PostClick(window, kIdcKnownValuesOnly);
    PostChar(window, kIdcLengthText, '9');
    stillThere = PostDeletion();
  });
  bool ran = false;
  // The run starts from an event, as it does in the program.
  RunFromEventLoop([&] {
    Click(kIdcProcessFiles);
    ran = true;
    EXPECT_EQ(Checked(kIdcKnownValuesOnly), 1) << "the click waited";
    EXPECT_EQ(Text(kIdcLengthText), "6") << "the key waited";
    EXPECT_TRUE(stillThere && stillThere()) << "nothing is deleted under the run";
  });
  ASSERT_TRUE(ran);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(ReadFile(b + ".new"), "FR0000003402\t1\r\n") << "the run went on past the question";
  ProcessEvents();
  EXPECT_EQ(Checked(kIdcKnownValuesOnly), 0) << "the click acts after the run";
  EXPECT_EQ(Text(kIdcLengthText), "69");
}

TEST_F(MainWindowTest, TheThreeDialogButtonsOpenModalDialogsThatChangeNothing) {
  const std::string file = Folder().Write("a.txt", "x").string();
  FileSelectionScript script;
  script.Select({file});
  CConverterDlg& window = Open();
  Click(kIdcSelectFiles);
  window.AddLogLine("ligne\r\n");
  const ConversionOptions before = Window().Options();
  for (const auto& [id, caption] : std::vector<std::pair<int, std::string>>{
           {kIdcHelp, "Aide"},
           {kIdcAbout, "A propos de QUELVANE"},
           {kIdcQuickConvert, "Conversion de code SICOVAM <-> ISIN"}}) {
    std::string shown;
    WhenModal([&shown](ScreenWindow dialog) {
      shown = WindowTitle(dialog);
      PressKey(dialog, Key::kEscape);
    });
    Click(id);
    EXPECT_EQ(shown, caption);
    EXPECT_FALSE(ModalWindowShown()) << "closed with Escape";
  }
  EXPECT_EQ(Window().Options().SeparateurSource, before.SeparateurSource);
  EXPECT_EQ(Window().Options().ValeursConnuesOnly, before.ValeursConnuesOnly);
  EXPECT_EQ(ListLines(window, kIdcFileList), std::vector<std::string>{file});
  EXPECT_EQ(ListLines(window, kIdcLog), std::vector<std::string>{"ligne"});
}

}  // namespace
}  // namespace quelvane::testing
