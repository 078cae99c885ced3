#include "core/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "tests/core/test_files.h"

namespace quelvane {
namespace {

std::vector<std::string> ReadAll(LineReader& reader) {
  std::vector<std::string> lines;
  while (auto line = reader.Next()) lines.emplace_back(*line);
  return lines;
}

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

// A disk that fails half-way through a file: the lines before the failure come
// out, and the reader says it stopped on an error, not at the end.
TEST(LineReader, AReadErrorInTheMiddleIsNotTheEnd) {
  struct Source {
    std::string_view left = "one\ntwo\nthr";
  } source;
  cookie_io_functions_t io{};
  io.read = [](void* cookie, char* buffer, std::size_t size) -> ssize_t {
    auto* from = static_cast<Source*>(cookie);
    if (from->left.empty()) {
      errno = EIO;
      return -1;
    }
    const std::size_t n = std::min(size, from->left.size());
    std::copy_n(from->left.data(), n, buffer);
    from->left.remove_prefix(n);
    return static_cast<ssize_t>(n);
  };
  std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(fopencookie(&source, "r", io), std::fclose);
  LineReader reader(file.get(), 4);
  EXPECT_EQ(ReadAll(reader), (std::vector<std::string>{"one\n", "two\n", "thr"}));
  EXPECT_TRUE(reader.Failed());
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
