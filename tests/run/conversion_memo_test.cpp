#include "run/conversion_memo.h"

#include <gtest/gtest.h>

#include <string>

namespace quelvane {
namespace {

TEST(ConversionMemoTest, GivesBackWhatWasStoredAndStopsStoringWhenHalfFull) {
  ConversionMemo memo;
  const auto text = [](int i) { return "R" + std::to_string(i); };
  for (int i = 0; i < 20000; ++i) {
    const std::string token = std::to_string(i);
    const std::string result = text(i);
    memo.Store(token, {i % 2 == 0, i % 3 == 0 ? MatchKind::Computed : MatchKind::FoundUser, result,
                       i % 5 == 0});
  }
  int remembered = 0;
  for (int i = 0; i < 20000; ++i) {
    CodeResult found;
    if (!memo.Find(std::to_string(i), found)) continue;
    ++remembered;
    EXPECT_EQ(found.recognised, i % 2 == 0);
    EXPECT_EQ(found.kind, i % 3 == 0 ? MatchKind::Computed : MatchKind::FoundUser);
    EXPECT_EQ(found.text, text(i));
    EXPECT_EQ(found.moreThanCode, i % 5 == 0);  // kept beside the kind
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
