#include "run/delimiter_runs.h"

#include <gtest/gtest.h>

#include <string>

namespace quelvane {
namespace {

// The rule itself, spelled out: no delimiter beside another, none at the end.
bool Expected(const std::string& rest) {
  if (rest.empty()) return true;
  if (rest.back() == ';') return false;
  return rest.find(";;") == std::string::npos;
}

// The sixteen-byte look (where the compiler has vector types) and the plain one
// for compilers without them give the rule's answer: a run at every place, a
// delimiter at the end, lone delimiters, in rests up to four blocks long, and
// across the blocks' seams.
TEST(DelimiterRuns, BlocksAndBytesFollowTheRule) {
  for (std::size_t size = 0; size <= 66; ++size) {
    std::vector<std::string> rests;
    rests.emplace_back(size, 'a');
    if (size >= 2) {
      for (std::size_t i = 0; i + 1 < size; ++i) {
        std::string run(size, 'a');
        run[i] = run[i + 1] = ';';
        rests.push_back(run);
      }
      std::string spaced(size, 'a');
      for (std::size_t i = 0; i + 1 < size; i += 2) spaced[i] = ';';
      rests.push_back(spaced);
    }
    if (size >= 1) {
      std::string last(size, 'a');
      last.back() = ';';
      rests.push_back(last);
    }
    for (const std::string& rest : rests) {
      SCOPED_TRACE(rest);
      EXPECT_EQ(IsPlainlyJoinedByteByByte(rest, ';'), Expected(rest));
      EXPECT_EQ(IsPlainlyJoinedByBlocks(rest, ';'), Expected(rest));
      EXPECT_EQ(IsPlainlyJoined(rest, ';'), Expected(rest));
    }
  }
}

}  // namespace
}  // namespace quelvane
