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

}  // namespace
}  // namespace quelvane
