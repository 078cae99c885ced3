#include "core/code_rules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "core/code_tables.h"
#include "tests/support/test_files.h"

namespace quelvane {
namespace {

struct SicovamCase {
  std::string_view text;
  std::string_view prefix;
  bool isCode;
};

TEST(IsSicovamCode, AcceptsNumbersFromOneTo99999998AsAtoiReadsThem) {
  const SicovamCase cases[] = {
      {"42", "", true},         {" 42", "", true},
      {"\t42", "", true},       {"+42", "", true},
      {"00012345", "", true},   {"123abc", "", true},
      {"12.5", "", true},       {"20031113", "", true},
      {"99999998", "", true},   {"99999999", "", false},
      {"0", "", false},         {"-5", "", false},
      {"abc", "", false},       {"", "", false},
      {"- 5", "", false},       {"99999999999999999999", "", false},  // saturates, so not a code
      {"X123", "X", true},      {"x123", "X", true},
      {"123", "X", false},      {"X", "X", false},
      {"XX123", "X", false},    {"X 123", "X", true},
      {"X00012345", "X", true}, {"AbC7", "aBc", true},
      {"", "X", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsSicovamCode(c.text, c.prefix), c.isCode)
        << "'" << c.text << "' prefix '" << c.prefix << "'";
  }
}

// Codes written as nearly every file writes them are read at once; those give
// what the general reader gives, and any other text is left to it.
TEST(ReadPlainSicovamNumber, OneToNineDigitsAfterThePrefixAndNothingElse) {
  using namespace std::string_view_literals;
  const struct {
    std::string_view text, prefix;
    std::optional<std::int32_t> number;
  } cases[] = {
      {"42", "", 42},
      {"00012345", "", 12345},
      {"0", "", 0},
      {"999999999", "", 999'999'999},
      {"000000000", "", 0},
      {"1234567890", "", std::nullopt},  // ten digits
      {"", "", std::nullopt},
      {" 42", "", std::nullopt},
      {"+42", "", std::nullopt},
      {"-5", "", std::nullopt},
      {"42 ", "", std::nullopt},
      {"123abc", "", std::nullopt},
      {"12.5", "", std::nullopt},
      {"4\0"sv, "", std::nullopt},
      {"\xB2", "", std::nullopt},  // a superscript two is no digit
      {"/", "", std::nullopt},     // the bytes either side of the digits
      {":", "", std::nullopt},
      {"X123", "X", 123},
      {"x123", "X", 123},
      {"AbC7", "aBc", 7},
      {"X", "X", std::nullopt},
      {"X 123", "X", std::nullopt},
      {"XX123", "X", std::nullopt},
      {"123", "X", std::nullopt},
      {"X1234567890", "X", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE("'" + std::string(c.text) + "' prefix '" + std::string(c.prefix) + "'");
    EXPECT_EQ(ReadPlainSicovamNumber(c.text, c.prefix), c.number);
    if (c.number) {
      EXPECT_EQ(ReadSicovamNumber(c.text, c.prefix), c.number);
    }
  }
}

// The digits read four at a time give what reading them one by one gives: every
// length up to ten, digits at every place, and at every place the bytes either
// side of '0' to '9', one further in their column of sixteen ('?'), one with a
// digit's low half ('I'), and one of the upper half.
TEST(ReadPlainSicovamNumber, WordsGiveWhatDigitByDigitGives) {
  for (std::size_t size = 1; size <= 10; ++size) {
    std::vector<std::string> texts;
    for (std::size_t at = 0; at < size; ++at) {
      for (const char c : {'0', '1', '5', '9', '/', ':', '?', 'I', ' ', '\xB0'}) {
        std::string text(size, '7');
        text[at] = c;
        texts.push_back(text);
      }
    }
    for (const std::string& text : texts) {
      SCOPED_TRACE(text);
      EXPECT_EQ(ReadPlainSicovamNumber(text, ""), ReadPlainSicovamDigits(text));
      EXPECT_EQ(ReadPlainSicovamNumber("X" + text, "X"), ReadPlainSicovamDigits(text));
    }
  }
}

TEST(IsSicovamCode, LooksAtNoMoreThan199CharactersOfTheNumber) {
  EXPECT_TRUE(IsSicovamCode(std::string(198, ' ') + "7"));
  EXPECT_FALSE(IsSicovamCode(std::string(199, ' ') + "7"));
  EXPECT_TRUE(IsSicovamCode("X" + std::string(198, ' ') + "7", "X"));
}

TEST(IsIsinShape, TwoLettersThenTenLettersOrDigits) {
  const std::pair<std::string_view, bool> cases[] = {
      {"FR0000120271", true},
      {"fr0000120271", true},
      {"FR000012027", false},
      {"FR00001202711", false},
      {"1R0000120271", false},
      {"F10000120271", false},
      {"FR00001202-1", false},
      {"FR\xE9"
       "000120271",
       true},  // accented letter, Windows-1252
      {"\xC9"
       "R0000120271",
       true},
      {"FR0000 20271", false},
      {"FR\xD7"
       "000120271",
       false},
      {"", false},
  };
  for (const auto& [text, shape] : cases) EXPECT_EQ(IsIsinShape(text), shape) << text;
}

TEST(ComputeIsinCheckDigit, FollowsIso6166) {
  const std::pair<std::string_view, char> cases[] = {
      {"FR000003007", '4'}, {"FR000012345", '7'}, {"FR000000001", '0'}, {"FR020031113", '4'},
      {"FR099999998", '2'}, {"US037833100", '5'}, {"GB00B03MLX2", '9'}, {"DE000A0D655", '4'},
      {"fr000003007", '4'},  // lower-case letters count like upper-case ones
  };
  for (const auto& [body, digit] : cases) EXPECT_EQ(ComputeIsinCheckDigit(body), digit) << body;
  EXPECT_EQ(ComputeIsinCheckDigit("FR00000300-"), std::nullopt);
  EXPECT_EQ(ComputeIsinCheckDigit("FR\xE9"
                                  "00003007"),
            std::nullopt);
}

TEST(BuiltinData, EveryRowKeepsTheDataSetRules) {
  const CodeTable& table = BuiltinCodeTable();
  ASSERT_GT(table.VisibleCount(), 0u);
  EXPECT_EQ(table.VisibleCount(), table.Entries().size());
  for (const CodeEntry& entry : table.Entries()) {
    EXPECT_GE(entry.code, 1);
    EXPECT_LE(entry.code, 999'999);
    ASSERT_EQ(entry.isin.size(), 12u) << entry.isin;
    EXPECT_EQ(ComputeIsinCheckDigit(std::string_view(entry.isin).substr(0, 11)), entry.isin[11])
        << entry.isin;
    EXPECT_EQ(table.FindByCode(entry.code), &entry) << "codes are unique";
  }
}

TEST(SicovamToIsin, TableFirstThenComputed) {
  const CodeTables tables;
  const struct {
    std::string_view text, prefix, isin;
    MatchKind kind;
  } cases[] = {
      {"3007", "", "FR0000030074", MatchKind::FoundBuiltin},
      {"10728", "", "FR0000003402", MatchKind::FoundBuiltin},  // not the computed FR0000107286
      {"12345", "", "FR0000123457", MatchKind::Computed},
      {"1", "", "FR0000000010", MatchKind::Computed},
      {"20031113", "", "FR0200311134", MatchKind::Computed},
      {"99999998", "", "FR0999999982", MatchKind::Computed},
      {"X00012345", "X", "FR0000123457", MatchKind::Computed},
      // Numbers no SICOVAM code has (IsSicovamCode refuses them) give no ISIN.
      {"-5", "", "FR-000000050", MatchKind::Computed},
      {"1000000000", "", "FR10000000000", MatchKind::Computed},
      {"x3007", "X", "FR0000030074", MatchKind::FoundBuiltin},
  };
  for (const auto& c : cases) {
    const auto result = SicovamToIsin(tables, c.text, c.prefix);
    ASSERT_TRUE(result) << c.text;
    EXPECT_EQ(result->isin, c.isin) << c.text;
    EXPECT_EQ(result->kind, c.kind) << c.text;
  }
  EXPECT_EQ(SicovamToIsin(tables, "12345", "X"), std::nullopt);

  // A computed ISIN comes from a table per group of three digits. Each group adds
  // to the sum independently of the others, so agreeing with the general rule
  // for every value of every group means agreeing for every number.
  for (std::int32_t place = 1; place <= 1'000'000; place *= 1000) {
    for (std::int32_t group = 1; group <= 999; ++group) {
      const std::string text = std::to_string(group * place);
      const auto result = SicovamToIsin(tables, text);
      ASSERT_TRUE(result) << text;
      const std::string body = result->isin.substr(0, 11);
      EXPECT_EQ(result->isin, body + *ComputeIsinCheckDigit(body)) << text;
    }
  }
}

TEST(IsinToSicovam, TableFirstThenCharactersThreeToEleven) {
  const CodeTables tables;
  const struct {
    std::string_view isin, code;
    MatchKind kind;
  } cases[] = {
      {"FR0000030074", "3007", MatchKind::FoundBuiltin},
      {"fr0000003402", "10728", MatchKind::FoundBuiltin},
      {"ANN757371433", "12210", MatchKind::FoundBuiltin},  // first of three rows
      {"NL0000289783", "5774", MatchKind::FoundBuiltin},
      {"FR0000123457", "12345", MatchKind::Computed},
      {"FR0000123450", "12345", MatchKind::Computed},  // check digit not verified
      {"US0378331005", "37833100", MatchKind::Computed},
      {"DE000A0D6554", "A0D655", MatchKind::Computed},
      {"de000a0d6554", "a0d655", MatchKind::Computed},  // case kept
      {"XS0123456789", "12345678", MatchKind::Computed},
      {"FR0000000000", "", MatchKind::Computed},
  };
  for (const auto& c : cases) {
    const auto result = IsinToSicovam(tables, c.isin);
    EXPECT_EQ(result.code, c.code) << c.isin;
    EXPECT_EQ(result.kind, c.kind) << c.isin;
  }
}

TEST(Conversions, UserPairsComeBeforeBuiltinOnes) {
  testing::ScratchFolder folder;
  CodeTables tables;
  ASSERT_TRUE(tables.LoadUserCodeTable(
      folder.Write("table.txt",
                   "3007\tFR9999999999\n-42\tQS0000000001\n777\tSPECIAL-CODE-14\n"
                   "-2147483648\tQS0000000002\n")));

  const auto isin = SicovamToIsin(tables, "3007");
  ASSERT_TRUE(isin);
  EXPECT_EQ(isin->isin, "FR9999999999");
  EXPECT_EQ(isin->kind, MatchKind::FoundUser);

  const auto code = IsinToSicovam(tables, "qs0000000001");
  EXPECT_EQ(code.code, "-42");  // plain decimal, sign included
  EXPECT_EQ(code.kind, MatchKind::FoundUser);
  // The longest code a table holds fits where a run keeps it.
  SicovamDigits digits;
  const SicovamView longest = IsinToSicovamCode(tables, "QS0000000002", digits);
  EXPECT_EQ(longest.code, "-2147483648");
  EXPECT_EQ(longest.kind, MatchKind::FoundUser);

  EXPECT_TRUE(tables.IsUserTableIsin("special-code-14"));
  EXPECT_EQ(IsinToSicovam(tables, "SPECIAL-CODE-14").code, "777");
  // The built-in pair of the ISIN still answers by ISIN.
  EXPECT_EQ(IsinToSicovam(tables, "FR0000030074").code, "3007");

  // Once the user table is freed, only the built-in pairs and the rules answer.
  tables.FreeUserCodeTable();
  EXPECT_EQ(SicovamToIsin(tables, "3007")->kind, MatchKind::FoundBuiltin);
  EXPECT_EQ(IsinToSicovam(tables, "QS0000000001").code, "");  // computed: nine zeros
}

}  // namespace
}  // namespace quelvane
