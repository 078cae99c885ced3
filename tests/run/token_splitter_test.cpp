#include "run/token_splitter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelvane {
namespace {

std::vector<std::string> Split(std::string_view line, std::string_view separators) {
  const DelimiterSet delimiters(separators);
  TokenCursor cursor(line, delimiters);
  std::vector<std::string> tokens;
  while (const auto token = cursor.Next()) tokens.emplace_back(*token);
  return tokens;
}

TEST(TokenCursorTest, SplitsLikeStrtokWithASetOfDelimiters) {
  using Tokens = std::vector<std::string>;
  struct Case {
    std::string line;
    std::string separators;
    Tokens tokens;
  };
  const Case cases[] = {
      {"A;;B", ";", {"A", "B"}},
      {";;A;B;;", ";", {"A", "B"}},
      {";;;", ";", {}},
      {"", ";", {}},
      {"a;b,c", ";,", {"a", "b", "c"}},
      {"a;,;b", ";,", {"a", "b"}},
      {"a;b", "", {"a;b"}},
      {" a b ", "", {" a b "}},
      {"a\tb c", "\t", {"a", "b c"}},
      {std::string("a\0b;c", 5), ";", {std::string("a\0b", 3), "c"}},
      {std::string("a\0b;c", 5), std::string(1, '\0'), {"a", "b;c"}},
      {"x\xE9y\xE9z", "\xE9", {"x", "y", "z"}},
      {"a\rb", ";", {"a\rb"}},
      // Quoted fields: their delimiters do not split, when the quote closes
      // before a delimiter or the line's end.
      {"\"12027\";\"02/01/2003\";\"70,50\"", ";,", {"\"12027\"", "\"02/01/2003\"", "\"70,50\""}},
      {"\"TOTAL, SA\",FR0000120271,\"1,234.50\"",
       ",",
       {"\"TOTAL, SA\"", "FR0000120271", "\"1,234.50\""}},
      {"\"a \"\"b\"\", c\",d", ",", {"\"a \"\"b\"\", c\"", "d"}},
      {"\"\";x", ";", {"\"\"", "x"}},
      {"\"a;b", ";", {"\"a", "b"}},                    // never closes
      {"\"a;b\"c;d", ";", {"\"a", "b\"c", "d"}},       // closes, but not before a delimiter
      {"5\"1/4;\"x;y\"", ";", {"5\"1/4", "\"x;y\""}},  // a quote inside a token
      {"\"a;;b\";;c", ";", {"\"a;;b\"", "c"}},
      {"\"a\"\";b\"", ";", {"\"a\"\";b\""}},  // a doubled quote is no close
      {"\"\"\";x", ";", {"\"\"\"", "x"}},     // nor is the last of three
      {"\"a b\"", "", {"\"a b\""}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Split(c.line, c.separators), c.tokens)
        << ::testing::PrintToString(c.line) << " / " << ::testing::PrintToString(c.separators);
  }
}

TEST(TokenCursorTest, RestIsWhatFollowsTheLastToken) {
  const DelimiterSet delimiters(";");
  TokenCursor cursor("a;;b;", delimiters);
  cursor.Next();
  EXPECT_EQ(cursor.Rest(), ";;b;");
  cursor.Next();
  EXPECT_EQ(cursor.Rest(), ";");
}

TEST(FieldValueTest, AQuotedFieldNamesWhatStandsBetweenItsQuotes) {
  struct Case {
    std::string_view token;
    bool quoted;
    std::string_view text;
  };
  const Case cases[] = {
      {"\"12027\"", true, "12027"},
      {"\"\"", true, ""},
      {"\"a\"\"b\"", true, "a\"b"},
      {"\"\"\"\"", true, "\""},
      {"\"", false, "\""},
      {"\"\"\"", false, "\"\"\""},
      {"\"a\"b\"", false, "\"a\"b\""},  // the splitter would not have closed it
      {"\"12027", false, "\"12027"},
      {"12027\"", false, "12027\""},
      {"12027", false, "12027"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.token);
    const FieldValue value(c.token);
    EXPECT_EQ(value.Quoted(), c.quoted);
    EXPECT_EQ(value.Text(), c.text);
  }
}

}  // namespace
}  // namespace quelvane
