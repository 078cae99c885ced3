#include "run/quick_convert.h"

#include <gtest/gtest.h>

#include "core/code_tables.h"
#include "res/box_texts.h"
#include "run/run_texts.h"
#include "tests/run/quick_convert_cases.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

using testing::kQuickCases;
using testing::QuickCase;

TEST(QuickConvert, LinesAndBoxesForWhatTheUserTypes) {
  const CodeTables tables;
  for (const QuickCase& c : kQuickCases) {
    SCOPED_TRACE(c.typed);
    const QuickConversion result = QuickConvert(tables, c.typed);
    EXPECT_EQ(result.recognised, c.box != QuickCase::Box::kNotACode);
    const QuickNote note = c.box == QuickCase::Box::kComputedIsin ? QuickNote::kComputedIsin
                           : c.box == QuickCase::Box::kNotACode   ? QuickNote::kNotACode
                                                                  : QuickNote::kNone;
    EXPECT_EQ(result.note, note);
    if (result.recognised) {
      EXPECT_EQ(result.sicovamLine, c.sicovamLine);
      EXPECT_EQ(result.isinLine, c.isinLine);
    } else {
      EXPECT_FALSE(result.sicovamLine);
      EXPECT_FALSE(result.isinLine);
    }
  }
}

TEST(QuickConvert, IsinLineIsSetFirstOnlyInTheIsinDirection) {
  const CodeTables tables;
  EXPECT_FALSE(QuickConvert(tables, "12345").isinLineFirst);
  EXPECT_TRUE(QuickConvert(tables, "FR0000123457").isinLineFirst);
}

TEST(QuickConvert, BoxesHaveTheirCaptionsAndInformationIcon) {
  const CodeTables tables;
  const BoxMessage* computed = res::QuickNoteBox(QuickConvert(tables, "12345").note);
  ASSERT_TRUE(computed);
  EXPECT_EQ(computed->caption, "Attention !");
  EXPECT_EQ(computed->type, BoxType::kInformation);
  const BoxMessage* refused = res::QuickNoteBox(QuickConvert(tables, "abc").note);
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
  EXPECT_EQ(result.note, QuickNote::kNone);
  EXPECT_EQ(result.isinLine, "ISIN : 'SPECIAL-12345'");
}

}  // namespace
}  // namespace quelvane
