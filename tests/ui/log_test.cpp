// The status lines and the log list as a run writes them.
#include "platform/dialog_probes.h"
#include "tests/ui/main_window_fixture.h"

namespace quelvane::testing {
namespace {

using namespace quelvane::res;

std::vector<std::string> LogLines(const CConverterDlg& window) {
  std::vector<std::string> lines;
  for (int i = 0; i < window.ListGetCount(kIdcLog); ++i) {
    lines.push_back(ListGetText(window, kIdcLog, i));
  }
  return lines;
}

TEST_F(MainWindowTest, LogLinesLoseEveryTrailingLineEndAndKeepInnerOnes) {
  CConverterDlg& window = Open();
  window.AddLogLine("\r\n");
  window.AddLogLine("Bilan global :\r\n\r\n");
  window.AddLogLine("a\rb\n\r");
  window.AddLogLine("sans fin");
  EXPECT_EQ(LogLines(window), (std::vector<std::string>{"", "Bilan global :", "a\rb", "sans fin"}));
}

TEST_F(MainWindowTest, StatusLinesAbsentLeaveEmptyClear) {
  CConverterDlg& window = Open();
  window.SetStatusLines("1/3 fichiers traités", "/tmp/a.txt", "trois", "quatre");
  window.SetStatusLines(std::nullopt, "", "", "");
  EXPECT_EQ(Text(kIdcStatusLine1), "1/3 fichiers traités");
  EXPECT_EQ(Text(kIdcStatusLine2), "");
  EXPECT_EQ(Text(kIdcStatusLine3), "");
  EXPECT_EQ(Text(kIdcStatusLine4), "");
}

TEST_F(MainWindowTest, AFullLogDropsItsOldestLinesToTakeANewOne) {
  CConverterDlg& window = Open();
  ListSetCapacity(window, kIdcLog, 3);
  for (const char* line : {"un\r\n", "deux\r\n", "trois\r\n", "quatre\r\n", "cinq\r\n"}) {
    window.AddLogLine(line);
  }
  EXPECT_EQ(LogLines(window), (std::vector<std::string>{"trois", "quatre", "cinq"}));

  // A list with no room even when empty cannot make any: the line is dropped.
  ListSetCapacity(window, kIdcLog, 0);
  window.ListResetContent(kIdcLog);
  window.AddLogLine("perdue\r\n");
  EXPECT_EQ(window.ListGetCount(kIdcLog), 0);
}

TEST_F(MainWindowTest, EndOfRunScrollShowsTheLastLineOnlyPastTenLines) {
  for (int count : {10, 11, 200}) {
    CConverterDlg& window = Open();
    ShowAndWaitDrawn(window);
    for (int i = 0; i < count; ++i) window.AddLogLine("ligne " + std::to_string(i) + "\r\n");
    window.ScrollLogToEnd();
    const int top = ListGetTopIndex(window, kIdcLog);
    if (count <= 10) {
      EXPECT_EQ(top, 0) << count;
    } else {
      EXPECT_GT(top, 0) << count;
      const int visible = VisibleListLines(window, kIdcLog);
      EXPECT_GE(top, count - visible) << "the last line is in view";
    }
    EXPECT_EQ(ListGetCurSel(window, kIdcLog), kListErr) << "no line stays selected";
    Close();
  }
}

// A line wider than the log list (a held output named with its folder) is read
// whole by scrolling sideways; lines added while the list is not drawn count
// too, and a list whose lines fit does not scroll.
TEST_F(MainWindowTest, ALogLineWiderThanTheListScrollsIntoView) {
  CConverterDlg& window = Open();
  ShowAndWaitDrawn(window);
  window.AddLogLine("==> Traitement fichier 'cours.prn'\r\n");
  SidewaysExtent extent = ListSidewaysExtent(window, kIdcLog);
  EXPECT_EQ(extent.lines, extent.view);

  const std::string held =
      "  WARNING -> Impossible de remplacer le fichier '" +
      JoinPath(JoinPath("Cotations", "2003"), "cours-2003-11-13.prn.new") +
      "' : il est ouvert dans un autre programme. Fermez-le puis recommencez !";
  window.SetDlgItemRedraw(kIdcLog, false);
  window.AddLogLine(held + "\r\n");
  window.AddLogLine("Bilan global :\r\n");
  window.SetDlgItemRedraw(kIdcLog, true);
  extent = ListSidewaysExtent(window, kIdcLog);
  EXPECT_GE(extent.lines, TextWidthIn(window, kIdcLog, held));
  EXPECT_GT(extent.lines, extent.view);

  const std::vector<std::uint32_t> before = ItemPicture(window, kIdcLog);
  ScrollListToRightEnd(window, kIdcLog);
  EXPECT_NE(ItemPicture(window, kIdcLog), before) << "the end of the line comes into view";
  EXPECT_TRUE(SaveScreenshot(window, "log_scrolled.png"));
}

TEST_F(MainWindowTest, ARunLoggingTwoMillionLinesKeepsTheNewestMillionInView) {
  std::string quotes = "10728\t1\n";
  for (int i = 0; i < 1'000'000; ++i) quotes += "abc\n";  // each: a warning of two lines
  const std::string file = Folder().Write("gros.txt", quotes).string();
  FileSelectionScript script;
  script.Select({file});
  BoxRecorder boxes;
  CConverterDlg& window = Open();
  ShowAndWaitDrawn(window);
  Click(kIdcSelectFiles);
  Click(kIdcProcessFiles);

  const int count = window.ListGetCount(kIdcLog);
  EXPECT_EQ(count, 1'000'000);
  EXPECT_EQ(ListGetText(window, kIdcLog, count - 1), "0 valeurs inconnues non traités");
  EXPECT_EQ(ListGetText(window, kIdcLog, count - 6), "1000001 lignes traitées (1000000 warnings)");
  EXPECT_GT(ListGetTopIndex(window, kIdcLog), count - 20);
  EXPECT_EQ(ListGetCurSel(window, kIdcLog), kListErr);
  ASSERT_EQ(boxes.Boxes().size(), 1u);
  EXPECT_EQ(boxes.Boxes()[0].text,
            "Attention, il y a eu 1000000 warnings.\nConsultez le log dans le bas de la fenêtre.");
}

}  // namespace
}  // namespace quelvane::testing
