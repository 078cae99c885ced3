// The Qt application object: Qt's own options on the program's command line
// reach Qt not at all, and a held Return presses a button once. Qt alone reads
// options from the command line, and only X repeats a key without marking it as
// Windows does, so these tests have no counterpart on Windows.
#include <QApplication>
#include <QDialog>
#include <QKeyEvent>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/dialog_probes.h"
#include "platform/qt/access.h"
#include "res/resource_ids.h"
#include "tests/platform/qt_test_support.h"
#include "tests/ui/main_window_fixture.h"

namespace quelvane::testing {
namespace {

// CTest starts these tests with "-reverse -style windows" after the program's
// name, and their main builds the program's Application from that command line.
TEST(ApplicationTest, QtsOwnOptionsOnTheCommandLineDoNothing) {
  std::string commandLine = ReadFile("/proc/self/cmdline");
  std::replace(commandLine.begin(), commandLine.end(), '\0', ' ');
  if (commandLine.find(" -reverse -style windows") == std::string::npos) {
    GTEST_SKIP() << "started without Qt's options: " << commandLine;
  }
  EXPECT_EQ(QGuiApplication::layoutDirection(), Qt::LeftToRight);
  EXPECT_NE(QApplication::style()->name(), "windows");
  EXPECT_EQ(QCoreApplication::arguments().size(), 1);
}

using namespace quelvane::res;

std::vector<std::string> ListLines(const CConverterDlg& window, int id) {
  std::vector<std::string> lines;
  for (int i = 0; i < window.ListGetCount(id); ++i) lines.push_back(ListGetText(window, id, i));
  return lines;
}

// Sends one Return key event as the window system gives it: at a time, and
// marked as a repeat or not (a repeat Qt fails to mark comes at its release's time).
void SendReturn(QWidget* target, QEvent::Type type, std::uint64_t time, bool markedRepeat) {
  QKeyEvent event(type, Qt::Key_Return, Qt::NoModifier, QString(), markedRepeat);
  event.setTimestamp(time);
  QApplication::sendEvent(target, &event);
}

TEST_F(MainWindowTest, AHeldReturnClosesTheBoxAfterARunOnceAndStartsNoOtherRun) {
  // The header line draws a warning: the run ends with the "Attention" box, a
  // real one, answered by Return. The key stays down: its repeats reach the
  // window, whose focus is on "Traiter les fichiers".
  const std::string file = Folder().Write("a.txt", "Code\tNom\r\n10728\t1\r\n").string();
  FileSelectionScript script;
  script.Select({file});
  CConverterDlg& window = Open();
  DialogWindow(window)->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(DialogWindow(window)));
  Click(kIdcSelectFiles);
  QWidget* process = DlgItemWidget(window, kIdcProcessFiles);
  process->setFocus();

  // Boxes of further runs are closed rather than waited on.
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal->isVisible()) PressWidgetKey(modal, Qt::Key_Escape);
  });
  WhenModalWidget([&](QWidget* box) {
    SendReturn(box->focusWidget(), QEvent::KeyPress, 1000, false);
    closer.start(5);
    QTimer::singleShot(0, process, [&] {
      for (const auto& [time, marked] :
           {std::pair<std::uint64_t, bool>{1040, false}, {1080, true}, {1120, false}}) {
        SendReturn(process, QEvent::KeyRelease, time, marked);
        SendReturn(process, QEvent::KeyPress, time, marked);
      }
    });
  });
  Click(kIdcProcessFiles);
  QTest::qWait(50);
  closer.stop();
  const std::vector<std::string> log = ListLines(window, kIdcLog);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Bilan global :"), 1);

  // A Return pressed afresh still presses the focused button.
  WhenModalWidget([](QWidget* box) { PressWidgetKey(box, Qt::Key_Return); });
  SendReturn(process, QEvent::KeyRelease, 1200, false);
  SendReturn(process, QEvent::KeyPress, 1300, false);
  const std::vector<std::string> after = ListLines(window, kIdcLog);
  EXPECT_EQ(std::count(after.begin(), after.end(), "Bilan global :"), 2);
}

}  // namespace
}  // namespace quelvane::testing
