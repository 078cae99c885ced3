// The operating-system layer's rules that are text alone, checked in every
// build: a Windows rule broken on Linux is broken for the Windows build too.
#include "os/text_rules.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quelvane {
namespace {

TEST(TextRulesTest, PathsSplitAtTheSystemsSeparators) {
  struct Case {
    std::string_view path;
    std::string_view posixFolder;
    std::string_view windowsFolder;
  };
  constexpr Case kCases[] = {
      {"cours.prn", "", ""},
      {"/data/cours.prn", "/data/", "/data/"},
      {"/", "/", "/"},
      {R"(C:\Bourse\cours.prn)", "", R"(C:\Bourse\)"},
      {R"(C:\Bourse/cours.prn)", "C:\\Bourse/", R"(C:\Bourse/)"},
      {"C:cours.prn", "", "C:"},  // the current folder of drive C
      {"C:", "", "C:"},
      {"1:cours.prn", "", ""},  // no drive letter: a name with a colon
      {R"(\\serveur\partage\a.txt)", "", R"(\\serveur\partage\)"},
      {R"(dossier\)", "", R"(dossier\)"},
  };
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.path);
    for (const auto& [parts, folder] : {std::pair{SplitPosixPath(c.path), c.posixFolder},
                                        std::pair{SplitWindowsPath(c.path), c.windowsFolder}}) {
      EXPECT_EQ(parts.folder, folder);
      EXPECT_EQ(std::string(parts.folder) + std::string(parts.name), c.path);
    }
  }
}

TEST(TextRulesTest, DeviceNamesAreWindowsOwnInEveryCaseAndFolder) {
  struct Case {
    std::string_view path;
    bool device;
  };
  constexpr Case kCases[] = {
      {"CON", true},         {"con", true},       {"nul.txt", true},     {"NUL .txt", true},
      {R"(C:\a\aux)", true}, {"d/Prn.prn", true}, {"CONIN$", true},      {"conout$.log", true},
      {"COM1", true},        {"lpt9.txt", true},  {"COM\xC2\xB9", true}, {"LPT\xC2\xB3.prn", true},
      {"COM0", false},       {"COM10", false},    {"COM", false},        {"LPT\xC2\xB4", false},
      {"CONSOLE", false},    {"xcon", false},     {"NUL_2.txt", false},  {R"(CON\a)", false},
      {"", false},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(IsWindowsDeviceName(c.path), c.device) << c.path;
  }
}

TEST(TextRulesTest, LongPathsTakeThePrefixedFullForm) {
  const std::wstring deep = LR"(C:\)" + std::wstring(kClassicPathLimit, L'a');
  const std::wstring share = LR"(\\srv\share\)" + std::wstring(kClassicPathLimit, L'b');
  struct Case {
    std::wstring written;
    std::wstring full;
    std::wstring want;
  };
  const Case cases[] = {
      {L"a.txt", LR"(C:\Bourse\a.txt)", L"a.txt"},
      {LR"(..\a.txt)", LR"(C:\a.txt)", LR"(..\a.txt)"},
      // A short name in a folder deep enough: the full form is what counts.
      {L"a.txt", deep + LR"(\a.txt)", LR"(\\?\)" + deep + LR"(\a.txt)"},
      {deep, deep, LR"(\\?\)" + deep},
      {share, share, LR"(\\?\UNC\srv\share\)" + std::wstring(kClassicPathLimit, L'b')},
      // Written with a prefix, a path is taken as it is.
      {LR"(\\?\C:\a\..\b.txt)", LR"(\\?\C:\a\..\b.txt)", LR"(\\?\C:\a\..\b.txt)"},
      {LR"(\\.\COM1)", LR"(\\.\COM1)", LR"(\\.\COM1)"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(WindowsCallPath(c.written, c.full), c.want) << c.written.size();
  }
  const std::wstring justShort(kClassicPathLimit - 1, L'c');
  EXPECT_EQ(WindowsCallPath(justShort, justShort), justShort);
  EXPECT_EQ(WindowsCallPath(justShort + L"c", justShort + L"c"), LR"(\\?\)" + justShort + L"c");
}

TEST(TextRulesTest, Utf8IsCutOnlyBetweenWholeCharacters) {
  struct Case {
    std::string_view bytes;
    std::size_t whole;
  };
  constexpr Case kCases[] = {
      {"", 0},
      {"abc", 3},
      {"caf\xC3\xA9", 5},
      {"caf\xC3", 3},   // é waits for its second byte
      {"\xE2\x82", 0},  // € waits for its third
      {"x\xE2\x82\xAC", 4},
      {"x\xF0\x9F\x98", 1},  // four bytes, three came
      {"x\xF0\x9F\x98\x80", 5},
      {"\x80\x80\x80", 3},  // stray continuation bytes pass as they are
      {"\xFFz", 2},
  };
  for (const Case& c : kCases) {
    EXPECT_EQ(WholeUtf8Length(c.bytes), c.whole) << c.bytes.size();
  }
  // Written piece by piece, a text comes out whole whatever the cuts.
  const std::string text = "Valeur \xE2\x82\xAC caf\xC3\xA9 \xF0\x9F\x98\x80";
  for (std::size_t piece = 1; piece <= 4; ++piece) {
    std::string pending;
    std::string written;
    for (std::size_t at = 0; at < text.size(); at += piece) {
      const std::string bytes = pending + text.substr(at, piece);
      const std::size_t whole = WholeUtf8Length(bytes);
      written += bytes.substr(0, whole);
      pending = bytes.substr(whole);
    }
    EXPECT_EQ(written, text) << piece;
    EXPECT_TRUE(pending.empty()) << piece;
  }
}

TEST(TextRulesTest, TemporaryNamesAreShortHiddenAndVaried) {
  std::set<std::string> names;
  for (std::uint64_t seed = 0; seed < 1000; ++seed) {
    const std::string name = TemporaryNameIn("dossier/", seed * 0x9E3779B97F4A7C15U);
    ASSERT_EQ(name.size(), std::string_view("dossier/.q123456").size()) << name;
    EXPECT_TRUE(name.starts_with("dossier/.q")) << name;
    EXPECT_EQ(name.find_first_not_of("abcdefghijklmnopqrstuvwxyz0123456789", 10), std::string::npos)
        << name;
    names.insert(name);
  }
  EXPECT_GT(names.size(), 990U);
  EXPECT_EQ(TemporaryNameIn("", 0).substr(0, 2), ".q");
}

TEST(TextRulesTest, CommandLineSplitsAsWindowsSplitsIt) {
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

}  // namespace
}  // namespace quelvane
