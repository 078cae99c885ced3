#include "core/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "tests/core/line_reader_support.h"
#include "tests/core/test_files.h"

namespace quelvane {
namespace {

using testing::ReadAll;

TEST(LineReader, HandsOutWholeLinesWhateverTheBlockSize) {
  const std::string text = std::string("a\r\n\nbb\0b\n", 9) + std::string(100, 'x') + "\nlast";
  testing::ScratchFolder folder;
  const auto path = folder.Write("in.txt", text);
  for (std::size_t block : {1u, 2u, 3u, 7u, 64u, 65536u}) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.string().c_str(), "rb"),
                                                         std::fclose);
    LineReader reader(file.get(), block);
    const std::vector<std::string> expected = {"a\r\n", "\n", std::string("bb\0b\n", 5),
                                               std::string(100, 'x') + "\n", "last"};
    EXPECT_EQ(ReadAll(reader), expected) << block;
    EXPECT_EQ(reader.Offset(), text.size());
    EXPECT_FALSE(reader.Failed());
    ASSERT_TRUE(reader.Rewind());
    EXPECT_EQ(ReadAll(reader), expected) << "after rewind, block " << block;
  }
}

TEST(LineReader, ALimitHandsOutLongLinesInPiecesWithinBoundedMemory) {
  testing::ScratchFolder folder;
  const auto path = folder.Write("in.txt", "abcdefghij\nxyzw\nq");
  for (std::size_t block : {1u, 3u, 64u}) {
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(std::fopen(path.string().c_str(), "rb"),
                                                         std::fclose);
    LineReader reader(file.get(), block, 4);
    const std::vector<std::string> expected = {"abcd", "efgh", "ij\n", "xyzw", "\n", "q"};
    EXPECT_EQ(ReadAll(reader), expected) << block;
  }
}

TEST(LineReader, EmptyFileHasNoLine) {
  testing::ScratchFolder folder;
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
      std::fopen(folder.Write("empty.txt", "").string().c_str(), "rb"), std::fclose);
  LineReader reader(file.get());
  EXPECT_EQ(reader.Next(), std::nullopt);
}

}  // namespace
}  // namespace quelvane
