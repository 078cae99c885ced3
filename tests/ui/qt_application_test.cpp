// The Qt application object: Qt's own options on the program's command line
// reach Qt not at all. Qt alone reads options from the command line, so this
// test has no counterpart on Windows.
#include <QApplication>
#include <QStyle>
#include <algorithm>

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

}  // namespace
}  // namespace quelvane::testing
