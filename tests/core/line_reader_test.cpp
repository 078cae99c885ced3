#include "core/line_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <memory>

#include "tests/core/line_reader_support.h"
#include "tests/support/test_files.h"

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

// The blocks are small so that the LF, or its absence, lies beyond the first.
TEST(LineReader, LinesEndInACrAloneOnlyWhenTheFileHoldsNoLf) {
  struct Case {
    std::string text;
    bool crAlone;
    std::vector<std::string> lines;  // as read from the start afterwards
  };
  const Case cases[] = {
      {"a\rb\r", true, {"a\r", "b\r"}},
      {"\r", true, {"\r"}},
      {"abcdefgh\rij", true, {"abcdefgh\r", "ij"}},
      {"a\r\nb\rc\r\n", false, {"a\r\n", "b\rc\r\n"}},
      {"abcdefgh\rijklmnop\n", false, {"abcdefgh\rijklmnop\n"}},  // the LF far on
      {"abc", false, {"abc"}},
      {"", false, {}},
  };
  testing::ScratchFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.text));
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(folder.Write("in.txt", c.text).string().c_str(), "rb"), std::fclose);
    LineReader reader(file.get(), 4);
    EXPECT_EQ(reader.HoldsCrButNoLf(), c.crAlone);
    if (c.crAlone) reader.SetLineEnd('\r');
    EXPECT_EQ(ReadAll(reader), c.lines);
    EXPECT_EQ(reader.Offset(), c.text.size());
  }
}

std::string Utf16Le(std::u16string_view text) {
  std::string bytes;
  for (const char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

// The reads of a UTF-16 file may end inside a character or a surrogate pair.
TEST(LineReader, DecodesUtf16WhereverItsReadsEnd) {
  const std::u16string longLine = u"a" + std::u16string(32767, u'b') + u"\U0001F600\u00E9\n";
  const std::string longUtf8 = "a" + std::string(32767, 'b') + "\xF0\x9F\x98\x80\xC3\xA9\n";
  struct Case {
    std::string bytes;
    std::vector<std::string> lines;
    bool notUtf16;
  };
  const Case cases[] = {
      {"\xFF\xFE" + Utf16Le(longLine + u"x\r\n"), {longUtf8, "x\r\n"}, false},
      {std::string("\xFE\xFF\x00x\x20\xAC", 6), {"x\xE2\x82\xAC"}, false},
      {"\xFF\xFE", {}, false},
      {"\xFF\xFE" + Utf16Le(u"ab") + "c", {"ab"}, true},  // an odd byte count
      {"\xFF\xFE" + Utf16Le(u"a\xDC00"
                            u"b"),
       {"a"},
       true},  // a second half alone
      {"\xFF\xFE" + Utf16Le(u"a\xD800"
                            u"b\n"),
       {"a"},
       true},  // a first half alone
      {"\xFF\xFE" + Utf16Le(longLine) + Utf16Le(u"\xD83D"), {longUtf8}, true},
  };
  testing::ScratchFolder folder;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.bytes.size());
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> file(
        std::fopen(folder.Write("in.txt", c.bytes).string().c_str(), "rb"), std::fclose);
    LineReader reader(file.get(), 4);
    reader.DecodeUtf16(c.bytes[0] == '\xFE');
    EXPECT_EQ(ReadAll(reader), c.lines);
    EXPECT_EQ(reader.NotUtf16(), c.notUtf16);
    EXPECT_EQ(reader.Failed(), c.notUtf16);
    if (!c.notUtf16) {
      EXPECT_EQ(reader.Offset(), c.bytes.size());
    }
    ASSERT_TRUE(reader.Rewind());
    EXPECT_EQ(ReadAll(reader), c.lines) << "after rewind";
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
