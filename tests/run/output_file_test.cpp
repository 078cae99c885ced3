#include "run/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "tests/support/test_files.h"
#include "tests/support/test_system.h"

namespace quelvane {
namespace {

using testing::EntryCount;
using testing::ReadFile;

TEST(AtomicOutputFileTest, ReplacesTheFinalFileOnlyOnCommit) {
  testing::ScratchFolder folder;
  const auto path = folder.Write("out.new", "old");
  std::filesystem::permissions(path, std::filesystem::perms(0640));
  {
    AtomicOutputFile output(path.string());
    ASSERT_TRUE(output.Open());
    // More than a block, with a line taken back in the middle.
    const std::string line(1000, 'x');
    for (int i = 0; i < 2000; ++i) {
      const std::size_t mark = output.Mark();
      output.Put(line);
      if (i % 2 == 1) output.TakeBack(mark);
      ASSERT_TRUE(output.WriteIfFull());
    }
    EXPECT_EQ(ReadFile(path), "old");
    // The output has no name until it is complete (on Windows, a temporary one).
    EXPECT_EQ(EntryCount(folder.Path()), 1u + testing::TemporaryEntriesWhileWriting());
    ASSERT_TRUE(output.Commit());
  }
  EXPECT_EQ(ReadFile(path), std::string(std::size_t{1000} * 1000, 'x'));
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
  // Replacing a file keeps its permissions (Windows has none of these).
  if (!testing::kOnWindows) {
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
  }
}

TEST(AtomicOutputFileTest, WithoutCommitNothingIsLeft) {
  testing::ScratchFolder folder;
  const auto path = folder.Write("out.new", "old");
  {
    AtomicOutputFile output(path.string());
    ASSERT_TRUE(output.Open());
    output.PutRepeated('y', 3 * AtomicOutputFile::kBlockSize);  // one line past a block
    ASSERT_TRUE(output.WriteIfFull());
  }
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(EntryCount(folder.Path()), 1u);
}

TEST(AtomicOutputFileTest, FinalBytesKeepTheirOrderWhateverTheirSize) {
  testing::ScratchFolder folder;
  const auto path = folder.Path() / "out.new";
  std::string expected;
  {
    AtomicOutputFile output(path.string());
    ASSERT_TRUE(output.Open());
    for (const std::size_t size : {std::size_t{10}, AtomicOutputFile::kBlockSize - 3,
                                   std::size_t{3} * AtomicOutputFile::kBlockSize, std::size_t{7}}) {
      const std::string head = "line " + std::to_string(size) + ":";
      const std::string body(size, static_cast<char>('a' + size % 26));
      output.Put(head);
      ASSERT_TRUE(output.PutFinal(body));
      expected += head + body;
    }
    ASSERT_TRUE(output.Commit());
  }
  EXPECT_EQ(ReadFile(path), expected);
}

// Short pieces are copied as two blocks that may overlap: every size up to past
// the longest such copy lands whole, in its place, and touches nothing after it.
TEST(CopyBytes, EverySizeLandsWhole) {
  for (std::size_t size = 0; size <= 80; ++size) {
    std::string from(size, ' ');
    for (std::size_t i = 0; i < size; ++i) from[i] = static_cast<char>('!' + i);
    std::string to(size + 8, '.');
    CopyBytes(to.data(), from.data(), size);
    EXPECT_EQ(to, from + std::string(8, '.')) << size;
  }
}

// A character cut between two writes is written whole; text that is not UTF-8,
// or that ends inside a character, fails the file rather than be replaced.
TEST(AtomicOutputFileTest, WritesUtf8TextAsUtf16) {
  struct Case {
    bool bigEndian;
    std::string tail;  // put after a block less two bytes of 'a'
    std::string want;  // the UTF-16 of the tail; empty when the file fails
  };
  const Case cases[] = {
      {false, "\xF0\x9F\x98\x80\xC3\xA9", std::string("\x3D\xD8\x00\xDE\xE9\x00", 6)},
      {true, "\xF0\x9F\x98\x80\xC3\xA9", std::string("\xD8\x3D\xDE\x00\x00\xE9", 6)},
      {false, "\xE9", ""},          // a Windows-1252 byte
      {false, "\xF0\x9F\x98", ""},  // the text ends inside a character
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.tail);
    testing::ScratchFolder folder;
    const auto path = folder.Path() / "out.new";
    const std::size_t head = AtomicOutputFile::kBlockSize - 2;
    {
      AtomicOutputFile output(path.string());
      ASSERT_TRUE(output.Open());
      output.WriteAsUtf16(c.bigEndian);
      output.PutRepeated('a', head);
      output.Put(c.tail);
      const bool committed = output.WriteIfFull() && output.Commit();
      EXPECT_EQ(committed, !c.want.empty());
      EXPECT_EQ(output.NotUtf16(), c.want.empty());
    }
    if (c.want.empty()) {
      EXPECT_EQ(EntryCount(folder.Path()), 0u);
      continue;
    }
    const std::string a = c.bigEndian ? std::string("\0a", 2) : std::string("a\0", 2);
    std::string expected;
    for (std::size_t i = 0; i < head; ++i) expected += a;
    EXPECT_EQ(ReadFile(path), expected + c.want);
  }
}

TEST(AtomicOutputFileTest, CannotBeCreatedInAMissingFolder) {
  testing::ScratchFolder folder;
  AtomicOutputFile output((folder.Path() / "no" / "out.new").string());
  EXPECT_FALSE(output.Open());
  EXPECT_FALSE(output.Commit());
}

}  // namespace
}  // namespace quelvane
