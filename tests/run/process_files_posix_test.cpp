// The run under faults that only POSIX systems can make on demand.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include "tests/run/process_files_fixture.h"

namespace quelvane {
namespace {

using testing::Names;
using testing::ProcessFilesTest;
using testing::ReadFile;

// A write that fails half-way (here, past the file size limit) keeps the output
// of an earlier run as it was and leaves no temporary file.
TEST_F(ProcessFilesTest, AWriteThatFailsHalfWayKeepsTheEarlierOutput) {
  std::string lines;
  while (lines.size() < (std::size_t{3} << 20)) lines += "3007\t20240102\t12.5\t13.0\r\n";
  folder_.Write("big.txt", lines);
  folder_.Write("big.txt.new.txt", "earlier output");
  options_.ExtensionDestination = OutputExtension::kNewTxt;

  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous = signal(SIGXFSZ, SIG_IGN);
  rlimit limited = saved;
  limited.rlim_cur = std::size_t{1} << 20;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &limited), 0);
  const RunTotals totals = Run({Path("big.txt")});
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, previous);

  EXPECT_EQ(totals.warnings, 1);
  EXPECT_EQ(reporter_.log[3],
            "  WARNING -> Impossible d'écrire le fichier '" + Path("big.txt.new.txt") + "' !");
  EXPECT_EQ(ReadFile(Path("big.txt.new.txt")), "earlier output");
  EXPECT_EQ(Names(folder_.Path()), (std::vector<std::string>{"big.txt", "big.txt.new.txt"}));
}

}  // namespace
}  // namespace quelvane
