#include "core/code_tables.h"

#include <gtest/gtest.h>

#include <random>

#include "core/text.h"
#include "tests/support/table_lookups.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

using testing::FindUserByCode;
using testing::FindUserByIsin;
using testing::ScratchFolder;

std::vector<CodeEntry> LoadText(std::string_view text) {
  ScratchFolder folder;
  UserCodeFile table = ReadUserCodeFile(folder.Write("table.txt", text));
  EXPECT_FALSE(table.failure);
  return std::move(table.entries);
}

TEST(ReadUserCodeFile, EachLineStoresAtMostOnePair) {
  const struct {
    std::string line;
    std::optional<CodeEntry> stored;
  } cases[] = {
      {"10728;FR0000003402", CodeEntry{10728, "FR0000003402"}},
      {"10728\tFR0000003402\tTOTAL", CodeEntry{10728, "FR0000003402"}},
      {"10728\tFR0000003402 \r", CodeEntry{10728, "FR0000003402"}},
      {"10728\tFR0000003402 \r\n", CodeEntry{10728, "FR0000003402"}},
      {"\t\t10728\t\tFR0000003402", CodeEntry{10728, "FR0000003402"}},
      {"10728 FR0000003402", std::nullopt},
      {"10728", std::nullopt},
      {";10728\tFR0000003402", std::nullopt},
      {"  ;note", CodeEntry{0, "note"}},
      {"\t;10728\tX", CodeEntry{10728, "X"}},  // a ';' after a tab is a delimiter, not a comment
      {"Code_Sicovam\tCode_ISIN", CodeEntry{0, "Code_ISIN"}},
      {"10728\tFR0000003402  \tTOTAL", CodeEntry{10728, "FR0000003402  "}},
      {"123\t" + std::string(40, 'A'), CodeEntry{123, std::string(29, 'A')}},
      {"99999999999999999999\tBIG", CodeEntry{2147483647, "BIG"}},
      {"-99999999999999999999\tSMALL", CodeEntry{-2147483647 - 1, "SMALL"}},
      {"", std::nullopt},
      {"\t;\t", std::nullopt},
      {std::string("12\tAB\0CD", 8), CodeEntry{12, "AB"}},  // the line ends at a zero byte
      // As spreadsheets save a table: quoted cells, a UTF-8 mark before the first line.
      {"\"10728\";\"FR0000003402\";\"TOTAL, SA\"", CodeEntry{10728, "FR0000003402"}},
      {"\"\"\tX", CodeEntry{0, "X"}},
      {"\"10728\tFR0000003402", CodeEntry{0, "FR0000003402"}},  // a quote that does not close
      {"\xEF\xBB\xBF"
       "10728;FR0000003402",
       CodeEntry{10728, "FR0000003402"}},
      {"\xEF\xBB\xBF;10728\tFR0000003402", std::nullopt},  // a comment after the mark
      {"1;\xEF\xBB\xBF", CodeEntry{1, "\xEF\xBB\xBF"}},    // only at the file's start
  };
  for (const auto& c : cases) {
    const auto entries = LoadText(std::string(c.line) + "\n");
    if (!c.stored) {
      EXPECT_TRUE(entries.empty()) << c.line;
      continue;
    }
    ASSERT_EQ(entries.size(), 1u) << c.line;
    EXPECT_EQ(entries[0].code, c.stored->code) << c.line;
    EXPECT_EQ(entries[0].isin, c.stored->isin) << c.line;
  }
}

TEST(ReadUserCodeFile, AUtf16TableIsReadAsTheTextItHolds) {
  const std::string text = "10728\tFR0000003402\r\n\"3007\";\"FR0000030074\"\r\n";
  for (const bool bigEndian : {false, true}) {
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char c : text) {
      bytes += bigEndian ? '\0' : c;
      bytes += bigEndian ? c : '\0';
    }
    const auto entries = LoadText(bytes);
    ASSERT_EQ(entries.size(), 2u) << bigEndian;
    EXPECT_EQ(entries[0].code, 10728);
    EXPECT_EQ(entries[0].isin, "FR0000003402");
    EXPECT_EQ(entries[1].code, 3007);
    EXPECT_EQ(entries[1].isin, "FR0000030074");
  }
}

// A table that starts as UTF-16 and is not (an odd byte at its end, half of a
// surrogate pair) is no table: none of its pairs is kept, and the reason is said.
TEST(ReadUserCodeFile, ATableThatIsNotTheUtf16ItStartsAsIsRefusedWhole) {
  for (const std::string_view bytes : {std::string_view("\xFF\xFE"
                                                        "1\0\t\0X\0\n\0"
                                                        "2",
                                                        11),
                                       std::string_view("\xFF\xFE"
                                                        "1\0\t\0X\0\n\0"
                                                        "\x00\xD8",
                                                        12)}) {
    SCOPED_TRACE(bytes.size());
    ScratchFolder folder;
    const UserCodeFile table = ReadUserCodeFile(folder.Write("table.txt", bytes));
    EXPECT_EQ(table.failure, OpenFailure::kNotUtf16);
    EXPECT_TRUE(table.entries.empty());
    CodeTables tables;
    EXPECT_FALSE(tables.LoadUserCodeTable(folder.Path() / "table.txt"));
    EXPECT_EQ(tables.UserPairCount(), 0u);
  }
}

TEST(ReadUserCodeFile, LongLinesAreReadWholeAndNotCutIntoPairs) {
  // A second field far past the old 998-character line buffer.
  std::string line = "55\tFR0000000550\t" + std::string(5000, 'n') + "\t66\tXX\n";
  line += std::string(2000, ' ') + "7\tLATE\n";
  const auto entries = LoadText(line);
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[0].code, 55);
  EXPECT_EQ(entries[1].code, 7);
  EXPECT_EQ(entries[1].isin, "LATE");
}

TEST(LoadUserCodeTable, MissingFileLeavesTheTableAsItWas) {
  ScratchFolder folder;
  CodeTables tables;
  EXPECT_FALSE(tables.LoadUserCodeTable(folder.Path() / "absent.txt"));
  ASSERT_TRUE(tables.HasUserCodeTable());
  EXPECT_EQ(tables.UserPairCount(), 0u);
  EXPECT_FALSE(tables.IsUserTableIsin("---FIN---"));
  EXPECT_EQ(FindUserByCode(tables, 10728), nullptr);

  EXPECT_TRUE(tables.LoadUserCodeTable(folder.Write("empty.txt", "")));
  EXPECT_EQ(tables.UserPairCount(), 0u);
}

TEST(LoadUserCodeTable, ReadsTableTxtOfTheCurrentFolderByDefault) {
  ScratchFolder folder;
  folder.Write("table.txt", "321\tFR0000003210\n");
  const auto previous = std::filesystem::current_path();
  std::filesystem::current_path(folder.Path());
  CodeTables tables;
  const bool loaded = static_cast<bool>(tables.LoadUserCodeTable());
  std::filesystem::current_path(previous);
  EXPECT_TRUE(loaded);
  EXPECT_NE(FindUserByCode(tables, 321), nullptr);
}

TEST(LoadUserCodeTable, MinusOneHidesItselfAndEveryLaterPair) {
  ScratchFolder folder;
  CodeTables tables;
  ASSERT_TRUE(tables.LoadUserCodeTable(
      folder.Write("table.txt", "1\tAAA\n1\tBBB\n2\tAAA\n-1\tXX\n3\tCCC\n")));
  EXPECT_EQ(FindUserByCode(tables, 1)->isin, "AAA");  // first wins by code
  EXPECT_EQ(FindUserByIsin(tables, "aaa")->code, 1);  // first wins by ISIN
  EXPECT_EQ(FindUserByCode(tables, 3), nullptr);
  EXPECT_FALSE(tables.IsUserTableIsin("XX"));
  EXPECT_FALSE(tables.IsUserTableIsin("CCC"));

  // Another load gives the table that file's pairs alone.
  ASSERT_TRUE(tables.LoadUserCodeTable(folder.Write("more.txt", "4\tDDD\n")));
  EXPECT_EQ(FindUserByCode(tables, 4)->isin, "DDD");
  EXPECT_EQ(FindUserByCode(tables, 1), nullptr);
  // The ISIN index, made at the first ISIN lookup, is made anew after a change.
  EXPECT_EQ(FindUserByIsin(tables, "ddd")->code, 4);

  tables.FreeUserCodeTable();
  EXPECT_FALSE(tables.HasUserCodeTable());
  EXPECT_EQ(FindUserByCode(tables, 1), nullptr);
  EXPECT_EQ(tables.FindByIsin("DDD").entry, nullptr);
  EXPECT_EQ(tables.FindByIsin("FR0000030074").entry->code, 3007);
}

TEST(LoadUserCodeTable, HasNoFixedCapacity) {
  std::string text;
  for (int code = 1; code <= 20'000; ++code)
    text += std::to_string(code) + "\tU" + std::to_string(code) + "\n";
  ScratchFolder folder;
  CodeTables tables;
  ASSERT_TRUE(tables.LoadUserCodeTable(folder.Write("table.txt", text)));
  EXPECT_EQ(tables.UserPairCount(), 20'000u);
  EXPECT_EQ(FindUserByIsin(tables, "u20000")->code, 20'000);
}

TEST(BuiltinTable, IsinLookupsGiveTheFirstRowAndFoldCase) {
  const CodeTables tables;
  EXPECT_EQ(BuiltinCodeTable().FindByIsin("ANN757371433")->code, 12210);
  EXPECT_EQ(BuiltinCodeTable().FindByIsin("fr0000003402")->code, 10728);
  EXPECT_EQ(BuiltinCodeTable().FindByIsin("FR0000003402 "), nullptr);  // whole texts compare
  EXPECT_EQ(BuiltinCodeTable().FindByCode(603727)->isin, "NL0000102101");
  EXPECT_EQ(BuiltinCodeTable().FindByCode(-1), nullptr);
}

// The indexes must answer exactly what a scan from the first entry answers.
const CodeEntry* ScanByCode(const std::vector<CodeEntry>& entries, std::int32_t code) {
  for (const auto& e : entries) {
    if (e.code == kEndMarkerCode) return nullptr;
    if (e.code == code) return &e;
  }
  return nullptr;
}
const CodeEntry* ScanByIsin(const std::vector<CodeEntry>& entries, std::string_view isin) {
  for (const auto& e : entries) {
    if (e.code == kEndMarkerCode) return nullptr;
    if (EqualsFoldingAsciiLetters(e.isin, isin)) return &e;
  }
  return nullptr;
}

TEST(CodeTable, IndexesAnswerWhatAFirstMatchScanAnswers) {
  std::mt19937 random(20031113);
  // Beside A to Z: the bytes next to them, and upper-half letters whose low seven
  // bits are those of a to z.
  const std::string alphabet = "aAbB0\xe9\xc9-zZ`{@[\xe1\xfa";
  const auto randomText = [&](std::size_t maxLength) {
    std::string text(random() % (maxLength + 1), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    return text;
  };
  for (int round = 0; round < 200; ++round) {
    std::vector<CodeEntry> entries(random() % 40);
    for (auto& e : entries) {
      e = {static_cast<std::int32_t>(random() % 12) - 2, randomText(random() % 4 == 0 ? 14 : 3)};
    }
    const CodeTable table(entries);
    for (std::int32_t code = -3; code < 12; ++code) {
      EXPECT_EQ(table.FindByCode(code), ScanByCode(table.Entries(), code)) << code;
    }
    for (int probe = 0; probe < 30; ++probe) {
      const std::string text = randomText(4);
      const CodeEntry* expected = ScanByIsin(table.Entries(), text);
      EXPECT_EQ(table.FindByIsin(text), expected) << "'" << text << "'";
    }
    // Every text again with the case of its letters changed here and there: the
    // index folds eight bytes at a time, and must fold a letter at any place.
    for (const CodeEntry& e : table.Entries()) {
      std::string text = e.isin;
      for (char& c : text) {
        if (((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) && random() % 2 == 0) c ^= 0x20;
      }
      EXPECT_EQ(table.FindByIsin(text), ScanByIsin(table.Entries(), text)) << "'" << text << "'";
    }
  }
}

TEST(CodeTables, UserLookupsAnswerWhatAScanOfTheUserPairsAnswers) {
  // Random tables whose codes and ISINs collide with each other and with built-in
  // pairs (3007, FR0000030074), with -1 lines here and there.
  std::mt19937 random(13112003);
  const std::vector<std::string> isins = {"FR0000030074", "fr0000030074", "AAA", "aaa", "B",
                                          "\xE9"};
  ScratchFolder folder;
  for (int round = 0; round < 100; ++round) {
    std::string text;
    for (std::size_t line = random() % 30; line > 0; --line) {
      const int code = static_cast<int>(random() % 6) - 1 + (random() % 3 == 0 ? 3000 : 0);
      text += std::to_string(code) + "\t" + isins[random() % isins.size()] + "\n";
    }
    const auto path = folder.Write("table.txt", text);
    CodeTables tables;
    ASSERT_TRUE(tables.LoadUserCodeTable(path));
    const auto entries = ReadUserCodeFile(path).entries;
    for (std::int32_t code = -1; code < 3010; code += (code == 6 ? 2994 : 1)) {
      const CodeEntry* expected = ScanByCode(entries, code);
      const CodeEntry* found = FindUserByCode(tables, code);
      ASSERT_EQ(found == nullptr, expected == nullptr) << code << "\n" << text;
      if (found) {
        EXPECT_EQ(found->isin, expected->isin) << code << "\n" << text;
      }
    }
    for (const std::string& isin : isins) {
      const CodeEntry* expected = ScanByIsin(entries, isin);
      const CodeEntry* found = FindUserByIsin(tables, isin);
      ASSERT_EQ(found == nullptr, expected == nullptr) << isin << "\n" << text;
      if (found) {
        EXPECT_EQ(found->code, expected->code) << isin << "\n" << text;
      }
    }
  }
}

}  // namespace
}  // namespace quelvane
