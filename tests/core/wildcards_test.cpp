// File-name patterns: the match of * and ?, and the expansion against a real
// folder, on every system.
#include "core/wildcards.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "os/os.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

TEST(WildcardsTest, PatternsMatchAsWindowsMatchesThem) {
  struct Case {
    std::string_view pattern;
    std::string_view name;
    bool want;
  };
  constexpr Case kCases[] = {
      {"*.PRN", "COURS.PRN", true},
      {"*.PRN", "COURS.PRN.NEW", false},
      {"*.PRN", ".PRN", true},
      {"*", "A", true},
      {"A*B*C", "AXXBYYBZC", true},
      {"A*B*C", "AXXBYYBZ", false},
      {"*A*A", "AAAAAAAAAB", false},
      {"C?URS.TXT", "COURS.TXT", true},
      {"C?URS.TXT", "CURS.TXT", false},
      {"?", "\xC3\x89", true},  // one character, two bytes
      {"??", "\xC3\x89", false},
      {"*.*", "README", true},
      {"*.*", "A.B", true},
      {"COURS.*", "COURS", true},
      {"COURS.*", "COURSES", false},
      {"*.", "README", true},
      {"*.", "A.B", false},
      {"", "A", false},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(std::string(c.pattern) + " " + std::string(c.name));
    EXPECT_EQ(MatchesWildcard(c.pattern, c.name), c.want);
  }
}

TEST(WildcardsTest, FileArgumentsExpandInNameOrderAndNoMatchStays) {
  testing::ScratchFolder work;
  for (const char* name : {"b.prn", "a.prn", "c.txt", "a.prn.new"}) {
    testing::WriteFile(work.Path() / name, "3007\r\n");
  }
  std::filesystem::create_directories(work.Path() / "dossier.prn");
  const std::string folder = JoinPath(Utf8FromPath(work.Path()), "");
  const std::vector<std::string> files = {folder + "*.prn", "x*.prn", folder + "c.txt",
                                          folder + "?.prn"};
  const std::vector<std::string> want = {folder + "a.prn", folder + "b.prn", "x*.prn",
                                         folder + "c.txt", folder + "?.prn"};
  // The last one was written in quotes.
  EXPECT_EQ(ExpandFileArguments(files, {true, true, true, false}), want);
  // Letters compare as the system compares names; only the name is a pattern.
  EXPECT_EQ(ExpandWildcard(folder + "*.PRN").size(), testing::kOnWindows ? 2u : 0u);
  EXPECT_TRUE(ExpandWildcard(JoinPath(folder + "d*", "a.prn")).empty());
}

}  // namespace
}  // namespace quelvane
