// The file layer under the signals that end a program: the earlier file stays
// whole and no temporary file is left, whichever path the file took.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "os/os.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

using testing::EntryCount;
using testing::TemporaryEntriesWhileWriting;

// Opens a replacement of `path` in a child process, writes to it, and returns
// the child once it is writing; the child then waits for its signal.
pid_t ChildWriting(const std::string& path) {
  int ready[2];
  if (::pipe(ready) != 0) return -1;
  const pid_t child = ::fork();
  if (child == 0) {
    ::close(ready[0]);
    PrepareProcess();
    AtomicReplacement replacement(path);
    const bool writing =
        replacement.Open() && WriteAll(replacement.Handle(), std::string(100000, 'x'));
    const char state = writing ? 'w' : 'f';
    if (::write(ready[1], &state, 1) != 1 || !writing) ::_exit(1);
    for (;;) ::pause();
  }
  ::close(ready[1]);
  char state = 0;
  const bool writing = child > 0 && ::read(ready[0], &state, 1) == 1 && state == 'w';
  ::close(ready[0]);
  return writing ? child : -1;
}

TEST(AtomicReplacementTest, ASignalWhileWritingLeavesTheEarlierFileAndNoTemporary) {
  std::vector<int> signals = {SIGINT, SIGTERM, SIGHUP};
  // Nothing can remove a named file after kill -9: only an unnamed one leaves none.
  if (TemporaryEntriesWhileWriting() == 0) signals.push_back(SIGKILL);
  for (const int signalNumber : signals) {
    SCOPED_TRACE("signal " + std::to_string(signalNumber));
    testing::ScratchFolder folder;
    const auto path = folder.Write("out.new", "earlier");
    const pid_t child = ChildWriting(path.string());
    ASSERT_GT(child, 0);
    EXPECT_EQ(EntryCount(folder.Path()), 1u + TemporaryEntriesWhileWriting());
    ASSERT_EQ(::kill(child, signalNumber), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(WTERMSIG(status), signalNumber) << "the program still ends by its signal";
    EXPECT_EQ(EntryCount(folder.Path()), 1u);
    EXPECT_EQ(testing::ReadFile(path), "earlier");
  }
}

}  // namespace
}  // namespace quelvane
