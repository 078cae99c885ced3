// File-name patterns: the Windows command line split as Windows splits it, the
// match of * and ?, and the expansion against a real folder, on every system.
#include "core/wildcards.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "core/os.h"
#include "tests/core/test_files.h"

namespace quelvane {
namespace {

TEST(WildcardsTest, CommandLineSplitsAsWindowsSplitsIt) {
  struct Case {
    std::string_view line;
    std::vector<CommandLineWord> want;
  };
  const Case cases[] = {
      {R"(q.exe convert *.prn)", {{"q.exe"}, {"convert"}, {"*.prn"}}},
      {R"(q.exe "*.prn" a"*"b)", {{"q.exe"}, {"*.prn", true}, {"a*b", true}}},
      // The program's name runs to its closing quote, backslashes and all.
      {R"("C:\Program Files\q.exe" x)", {{R"(C:\Program Files\q.exe)", true}, {"x"}}},
      {R"("C:\a\"b c)", {{R"(C:\a\)", true}, {"b"}, {"c"}}},
      {"q.exe\t a \t b  ", {{"q.exe"}, {"a"}, {"b"}}},
      {R"(q.exe "" x)", {{"q.exe"}, {"", true}, {"x"}}},
      // Backslashes are literal unless a quote follows them.
      {R"(q.exe C:\dir\ a\\\b)", {{"q.exe"}, {R"(C:\dir\)"}, {R"(a\\\b)"}}},
      {R"(q.exe "C:\dir\\" x)", {{"q.exe"}, {R"(C:\dir\)", true}, {"x"}}},
      {R"(q.exe a\\\"b c)", {{"q.exe"}, {R"(a\"b)", true}, {"c"}}},
      {R"(q.exe a\\\\"b c" d)", {{"q.exe"}, {R"(a\\b c)", true}, {"d"}}},
      // A third quote in a row is a literal one and closes the quotes, as
      // CommandLineToArgvW has it (the C run-time differs since 2008).
      {R"(q.exe a"b"" c d)", {{"q.exe"}, {R"(ab")", true}, {"c"}, {"d"}}},
      {R"(q.exe "a b)", {{"q.exe"}, {"a b", true}}},
      {"q.exe \"\xC3\xA9t\xC3\xA9 *.txt\"", {{"q.exe"}, {"\xC3\xA9t\xC3\xA9 *.txt", true}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    const std::vector<CommandLineWord> words = SplitWindowsCommandLine(c.line);
    ASSERT_EQ(words.size(), c.want.size());
    for (std::size_t i = 0; i < words.size(); ++i) {
      EXPECT_EQ(words[i].text, c.want[i].text) << i;
      EXPECT_EQ(words[i].quoted, c.want[i].quoted) << i;
    }
  }
}

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
