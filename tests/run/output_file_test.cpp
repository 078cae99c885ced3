#include "run/output_file.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "run/conversion_memo.h"
#include "tests/core/test_files.h"
#include "tests/core/test_system.h"

namespace quelvane {
namespace {

using testing::ReadFile;

std::size_t FileCount(const std::filesystem::path& folder) {
  return static_cast<std::size_t>(std::distance(std::filesystem::directory_iterator(folder),
                                                std::filesystem::directory_iterator()));
}

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
    EXPECT_EQ(FileCount(folder.Path()), testing::kOnWindows ? 2u : 1u);
    ASSERT_TRUE(output.Commit());
  }
  EXPECT_EQ(ReadFile(path), std::string(std::size_t{1000} * 1000, 'x'));
  EXPECT_EQ(FileCount(folder.Path()), 1u);
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
  EXPECT_EQ(FileCount(folder.Path()), 1u);
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

TEST(AtomicOutputFileTest, CannotBeCreatedInAMissingFolder) {
  testing::ScratchFolder folder;
  AtomicOutputFile output((folder.Path() / "no" / "out.new").string());
  EXPECT_FALSE(output.Open());
  EXPECT_FALSE(output.Commit());
}

TEST(ConversionMemoTest, GivesBackWhatWasStoredAndStopsStoringWhenHalfFull) {
  ConversionMemo memo;
  const auto text = [](int i) { return "R" + std::to_string(i); };
  for (int i = 0; i < 20000; ++i) {
    const std::string token = std::to_string(i);
    const std::string result = text(i);
    memo.Store(token,
               {i % 2 == 0, i % 3 == 0 ? MatchKind::Computed : MatchKind::FoundUser, result});
  }
  int remembered = 0;
  for (int i = 0; i < 20000; ++i) {
    CodeResult found;
    if (!memo.Find(std::to_string(i), found)) continue;
    ++remembered;
    EXPECT_EQ(found.recognised, i % 2 == 0);
    EXPECT_EQ(found.kind, i % 3 == 0 ? MatchKind::Computed : MatchKind::FoundUser);
    EXPECT_EQ(found.text, text(i));
  }
  EXPECT_EQ(remembered, 8192);
  CodeResult found;
  ASSERT_TRUE(memo.Find("0", found));
  EXPECT_EQ(found.text, "R0");
  EXPECT_FALSE(memo.Find("00", found));  // same number, other token
  const std::string longToken(31, '1');
  memo.Store(longToken, {true, MatchKind::Computed, "x"});
  EXPECT_FALSE(memo.Find(longToken, found));
}

// Tokens are compared a word at a time: one byte changed anywhere, at every
// length a token may have, is another token.
TEST(ConversionMemoTest, TellsTokensApartByAnyOneByte) {
  ConversionMemo memo;
  for (std::size_t size = 1; size <= ConversionMemo::kLongest; ++size) {
    const std::string token(size, 'a');
    memo.Store(token, {true, MatchKind::FoundUser, token});
    for (std::size_t i = 0; i < size; ++i) {
      std::string other = token;
      other[i] = 'b';
      SCOPED_TRACE(other);
      CodeResult found;
      EXPECT_FALSE(memo.Find(other, found));
      ASSERT_TRUE(memo.Find(token, found));
      EXPECT_EQ(found.text, token);
    }
  }
}

}  // namespace
}  // namespace quelvane
