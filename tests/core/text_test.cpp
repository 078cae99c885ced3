#include "core/text.h"

#include <gtest/gtest.h>

namespace quelvane {
namespace {

TEST(ReadAtoi, ReadsAsTheCLibraryDoesAndSaturates) {
  const std::pair<std::string_view, std::int32_t> cases[] = {
      {"42", 42},
      {"  \t\n\v\f\r42", 42},
      {"+42", 42},
      {"-42", -42},
      {"0042x", 42},
      {"x42", 0},
      {"", 0},
      {"+", 0},
      {"- 4", 0},
      {"--4", 0},
      {"12.5", 12},
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", -2147483647 - 1},
      {"000000000000000000000000007", 7},
      {"123456789012345678901234567890", 2147483647},
  };
  for (const auto& [text, value] : cases) EXPECT_EQ(ReadAtoi(text), value) << text;
}

TEST(EqualsFoldingAsciiLetters, FoldsOnlyAToZ) {
  EXPECT_TRUE(EqualsFoldingAsciiLetters("fr0000003402", "FR0000003402"));
  EXPECT_FALSE(EqualsFoldingAsciiLetters("\xE9", "\xC9"));  // é and É stay distinct
  EXPECT_FALSE(EqualsFoldingAsciiLetters("FR", "FR "));
  EXPECT_FALSE(EqualsFoldingAsciiLetters("[", "{"));  // not a case pair
}

TEST(Encodings, Windows1252AndUtf8) {
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9 \x80 \x9C"), "caf\xC3\xA9 \xE2\x82\xAC \xC5\x93");
  EXPECT_EQ(Utf8ToCp1252("caf\xC3\xA9 \xE2\x82\xAC \xC5\x93"), "caf\xE9 \x80 \x9C");
  EXPECT_EQ(Utf8ToCp1252("\xE4\xB8\xAD"), "?");  // no Windows-1252 form
  EXPECT_EQ(Utf8ToCp1252("a\xFF"
                         "b"),
            "a?b");  // broken UTF-8
  for (int byte = 0; byte < 256; ++byte) {
    const std::string one(1, static_cast<char>(byte));
    EXPECT_EQ(Utf8ToCp1252(Cp1252ToUtf8(one)), one) << byte;
    EXPECT_EQ(EncodeCp1252(Cp1252ToUtf8(one)), one) << byte;
  }
  // Where Utf8ToCp1252 puts a '?', EncodeCp1252 refuses the whole text.
  EXPECT_EQ(EncodeCp1252("caf\xC3\xA9 \xE2\x82\xAC"), "caf\xE9 \x80");
  EXPECT_EQ(EncodeCp1252("a\xE4\xB8\xAD"), std::nullopt);
  EXPECT_EQ(EncodeCp1252("a\xFF"), std::nullopt);
}

TEST(Encodings, DisplayTextKeepsValidUtf8AndDecodesTheRest) {
  EXPECT_EQ(DisplayText("d\xC3\xA9j\xC3\xA0"), "d\xC3\xA9j\xC3\xA0");
  EXPECT_EQ(DisplayText("d\xE9j\xE0"), "d\xC3\xA9j\xC3\xA0");
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
  EXPECT_TRUE(IsValidUtf8("\xF0\x9F\x98\x80"));
}

TEST(StripTrailingLineEndsTest, RemovesEveryTrailingCrAndLfOnly) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"\r\n", ""},     {"a\r\n\r\n", "a"}, {"a\n\r\r", "a"}, {"a\rb\r\n", "a\rb"},
      {"a\nb", "a\nb"}, {"", ""},           {"a \r\n", "a "},
  };
  for (const auto& [text, stripped] : cases) EXPECT_EQ(StripTrailingLineEnds(text), stripped);
}

}  // namespace
}  // namespace quelvane
