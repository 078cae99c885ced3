// The file layer's promise, "complete or absent", against whichever
// implementation the build chose. On POSIX these tests run twice: as the machine
// gives files (unnamed where the file system allows it) and with
// QUELVANE_NAMED_TEMPORARIES set, through the named temporary file.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "os/os.h"
#include "tests/support/test_files.h"
#include "tests/support/test_system.h"

namespace quelvane {
namespace {

using testing::EntryCount;
using testing::ReadFile;
using testing::TemporaryEntriesWhileWriting;

TEST(AtomicReplacementTest, TheFinalFileChangesOnlyOnACommitThatSucceeds) {
  struct Case {
    const char* name;
    bool earlier;  // a file of the final name exists before
    bool commit;
    bool durable;
  };
  constexpr Case kCases[] = {
      {"new, committed", false, true, false},
      {"new, committed durably", false, true, true},
      {"new, discarded", false, false, false},
      {"replacing, committed", true, true, false},
      {"replacing, committed durably", true, true, true},
      {"replacing, discarded", true, false, false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.name);
    testing::ScratchFolder folder;
    const auto path = folder.Path() / "out.new";
    if (c.earlier) {
      folder.Write("out.new", "earlier");
      if (!testing::kOnWindows) std::filesystem::permissions(path, std::filesystem::perms(0640));
    }
    const std::string bytes = std::string(100000, 'x') + "end";
    {
      AtomicReplacement replacement(path.string());
      ASSERT_TRUE(replacement.Open());
      ASSERT_TRUE(WriteAll(replacement.Handle(), bytes));
      // Until the commit, the folder holds the earlier file (if any) and at most
      // the temporary one, which has no name where the system allows it.
      EXPECT_EQ(EntryCount(folder.Path()), (c.earlier ? 1u : 0u) + TemporaryEntriesWhileWriting());
      if (c.earlier) {
        EXPECT_EQ(ReadFile(path), "earlier");
      }
      if (c.commit) {
        ASSERT_TRUE(replacement.Commit(c.durable));
        EXPECT_EQ(replacement.Failure(), ReplaceFailure::kNone);
        EXPECT_EQ(replacement.Handle(), OsHandle::kNone);
      }
    }  // what was not committed is discarded when the object goes
    EXPECT_EQ(EntryCount(folder.Path()), c.earlier || c.commit ? 1u : 0u);
    if (c.commit) {
      EXPECT_EQ(ReadFile(path), bytes);
    } else if (c.earlier) {
      EXPECT_EQ(ReadFile(path), "earlier");
    }
    // Replacing a file keeps its permissions (Windows has none of these).
    if (c.earlier && !testing::kOnWindows) {
      EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
    }
  }
}

TEST(AtomicReplacementTest, ADiscardAfterWritingLeavesNothingAndTheObjectServesAgain) {
  testing::ScratchFolder folder;
  const auto path = folder.Path() / "out.new";
  AtomicReplacement replacement(path.string());
  ASSERT_TRUE(replacement.Open());
  ASSERT_TRUE(WriteAll(replacement.Handle(), "first"));
  replacement.Discard();
  EXPECT_EQ(EntryCount(folder.Path()), 0u);
  ASSERT_TRUE(replacement.Open());
  ASSERT_TRUE(WriteAll(replacement.Handle(), "second"));
  ASSERT_TRUE(replacement.Commit());
  EXPECT_EQ(ReadFile(path), "second");
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
  EXPECT_FALSE(replacement.Commit()) << "nothing is open any more";
}

TEST(AtomicReplacementTest, NoFileIsMadeInAMissingFolder) {
  testing::ScratchFolder folder;
  AtomicReplacement replacement((folder.Path() / "no" / "out.new").string());
  EXPECT_FALSE(replacement.Open());
  EXPECT_EQ(replacement.Handle(), OsHandle::kNone);
  EXPECT_FALSE(replacement.Commit());
  EXPECT_EQ(EntryCount(folder.Path()), 0u);
}

// Standard input copied to be read twice: the copy lives in no folder.
TEST(CopyToUnnamedFileTest, GivesTheBytesBackFromTheStartAndLeavesNothingInItsFolder) {
  testing::ScratchFolder folder;
  const std::string bytes = std::string(200000, 'q') + "\r\nend";
  const auto source = folder.Write("in.txt", bytes);
  testing::EnvironmentOverride environment;
  environment.Set("TMPDIR", folder.Path().string());
  OpenedFile original = OpenRegularFile(source.string());
  ASSERT_TRUE(original.file);
  CopiedInput copied = CopyToUnnamedFile(HandleOf(original.file.get()));
  const OpenedFile& copy = copied.copy;
  ASSERT_TRUE(copy.file);
  EXPECT_EQ(copied.failure, CopyFailure::kNone);
  EXPECT_EQ(copied.leftBehind, "");
  EXPECT_EQ(copy.identity.size, bytes.size());
  std::string read(bytes.size() + 1, '\0');
  EXPECT_EQ(std::fread(read.data(), 1, read.size(), copy.file.get()), bytes.size());
  read.resize(bytes.size());
  EXPECT_EQ(read, bytes);
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

}  // namespace
}  // namespace quelvane
