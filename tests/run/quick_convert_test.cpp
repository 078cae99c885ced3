#include "run/quick_convert.h"

#include <gtest/gtest.h>

#include "core/code_tables.h"
#include "run/run_texts.h"
#include "tests/core/test_files.h"

namespace quelvane {
namespace {

struct QuickCase {
  std::string typed;
  std::optional<std::string_view> box;  // the box text, if a box shows
  std::optional<std::string> sicovamLine, isinLine;
};

TEST(QuickConvert, LinesAndBoxesForWhatTheUserTypes) {
  const CodeTables tables;
  const std::string_view computed = run_texts::kComputedIsinBox.text;
  const std::string_view refused = run_texts::kNotACodeBox.text;
  const QuickCase cases[] = {
      {"", refused, {}, {}},
      {"0", refused, {}, {}},
      {"-5", refused, {}, {}},
      {"99999999", refused, {}, {}},
      {"X12345", refused, {}, {}},
      {"FR0000123457 ", refused, {}, {}},
      {"99999998", computed, "SICOVAM : '99999998'", "ISIN : 'FR0999999982'"},
      {"12345", computed, "SICOVAM : '12345'", "ISIN : 'FR0000123457'"},
      {"10728", {}, "SICOVAM : '10728'", "ISIN : 'FR0000003402'"},
      {" 42", computed, "SICOVAM : ' 42'", "ISIN : 'FR0000000424'"},
      {"42abc", computed, "SICOVAM : '42abc'", "ISIN : 'FR0000000424'"},
      {"FR0000123457", {}, "SICOVAM : '12345'", "ISIN : 'FR0000123457'"},
      {"fr0000123457", {}, "SICOVAM : '12345'", "ISIN : 'fr0000123457'"},
      {"FR0000123450", {}, "SICOVAM : '12345'", "ISIN : 'FR0000123450'"},
      {"GB00B03MLX29", {}, "SICOVAM : 'B03MLX2'", "ISIN : 'GB00B03MLX29'"},
      {"FR0000000000", {}, "SICOVAM : ''", "ISIN : 'FR0000000000'"},
      {"FR0000003402", {}, "SICOVAM : '10728'", "ISIN : 'FR0000003402'"},
      // Windows-1252 text is shown in UTF-8.
      {"FR\xE9"
       "000000000",
       {},
       "SICOVAM : '\xC3\xA9"
       "00000000'",
       "ISIN : 'FR\xC3\xA9"
       "000000000'"},
      {"7\xE9t\xE9", computed, "SICOVAM : '7\xC3\xA9t\xC3\xA9'", "ISIN : 'FR0000000077'"},
  };
  for (const auto& c : cases) {
    const QuickConversion result = QuickConvert(tables, c.typed);
    EXPECT_EQ(result.recognised, c.box != refused) << c.typed;
    EXPECT_EQ(result.box ? std::optional(result.box->text) : std::nullopt, c.box) << c.typed;
    EXPECT_EQ(result.sicovamLine, c.sicovamLine) << c.typed;
    EXPECT_EQ(result.isinLine, c.isinLine) << c.typed;
  }
}

TEST(QuickConvert, IsinLineIsSetFirstOnlyInTheIsinDirection) {
  const CodeTables tables;
  EXPECT_FALSE(QuickConvert(tables, "12345").isinLineFirst);
  EXPECT_TRUE(QuickConvert(tables, "FR0000123457").isinLineFirst);
}

TEST(QuickConvert, BoxesHaveTheirCaptionsAndInformationIcon) {
  const CodeTables tables;
  const auto computed = QuickConvert(tables, "12345").box;
  ASSERT_TRUE(computed);
  EXPECT_EQ(computed->caption, "Attention !");
  EXPECT_EQ(computed->type, BoxType::kInformation);
  const auto refused = QuickConvert(tables, "abc").box;
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->caption, "Attention");
  EXPECT_EQ(refused->type, BoxType::kInformation);
}

TEST(QuickConvert, OnlyTheFirst99CharactersCount) {
  const CodeTables tables;
  // 99 blanks leave no digit to read; the 100th character is not looked at.
  EXPECT_FALSE(QuickConvert(tables, std::string(99, ' ') + "5").recognised);
  const auto echoed = QuickConvert(tables, "5" + std::string(150, 'z'));
  EXPECT_EQ(echoed.sicovamLine, "SICOVAM : '5" + std::string(98, 'z') + "'");
}

TEST(QuickConvert, UserPairsNeedNoWarning) {
  testing::ScratchFolder folder;
  CodeTables tables;
  ASSERT_TRUE(tables.LoadUserCodeTable(folder.Write("table.txt", "12345\tSPECIAL-12345\n")));
  const auto result = QuickConvert(tables, "12345");
  EXPECT_FALSE(result.box);
  EXPECT_EQ(result.isinLine, "ISIN : 'SPECIAL-12345'");
}

}  // namespace
}  // namespace quelvane
