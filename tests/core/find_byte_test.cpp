#include "core/find_byte.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quelvane {
namespace {

// The inline look, sixteen bytes at a time, gives memchr's answer: no hit, a
// hit at every place (either side of each block's seam, past the inline 64
// bytes, in the tail shorter than a block), the first of several, in texts up to
// six blocks long, for a plain byte and for bytes of the upper half.
TEST(FindByte, BlocksGiveMemchrsAnswer) {
  for (const char wanted : {'\t', '\n', '\xE9', '\x80', '\xFF'}) {
    for (std::size_t size = 0; size <= 96; ++size) {
      std::vector<std::string> texts;
      texts.emplace_back(size, 'a');
      for (std::size_t i = 0; i < size; ++i) {
        std::string one(size, 'a');
        one[i] = wanted;
        texts.push_back(one);
        std::string two = one;
        if (i + 17 < size) two[i + 17] = wanted;
        texts.push_back(two);
      }
      for (const std::string& text : texts) {
        SCOPED_TRACE(::testing::PrintToString(text));
        const std::size_t expected = text.find(wanted);
        EXPECT_EQ(FindByteByMemchr(text, wanted), expected);
        EXPECT_EQ(FindByteByBlocks(text, wanted), expected);
        EXPECT_EQ(FindByte(text, wanted), expected);
      }
    }
  }
  // A view of nothing may have no address at all.
  EXPECT_EQ(FindByte({}, '\n'), std::string_view::npos);
}

}  // namespace
}  // namespace quelvane
