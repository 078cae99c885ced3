// What the quick conversion shows for what a user types, with the built-in table
// only: the one table that the engine's tests and the dialog's tests both walk.
#pragma once

#include <string_view>

namespace quelvane::testing {

struct QuickCase {
  enum class Box { kNone, kComputedIsin, kNotACode };
  std::string_view typed;  // Windows-1252, as the dialog hands it over
  Box box;
  std::string_view sicovamLine, isinLine;  // UTF-8; empty for a refused text
};

inline constexpr QuickCase kQuickCases[] = {
    {"", QuickCase::Box::kNotACode, "", ""},
    {"0", QuickCase::Box::kNotACode, "", ""},
    {"-5", QuickCase::Box::kNotACode, "", ""},
    {"99999999", QuickCase::Box::kNotACode, "", ""},
    {"X12345", QuickCase::Box::kNotACode, "", ""},
    {"\"\"", QuickCase::Box::kNotACode, "", ""},
    {"\"", QuickCase::Box::kNotACode, "", ""},
    {"\"\"12345\"\"", QuickCase::Box::kNotACode, "", ""},   // one pair of quotes only
    {"\"FR0000123457", QuickCase::Box::kNotACode, "", ""},  // a quote that does not close
    {"abc", QuickCase::Box::kNotACode, "", ""},
    {"99999998", QuickCase::Box::kComputedIsin, "SICOVAM : '99999998'", "ISIN : 'FR0999999982'"},
    {"12345", QuickCase::Box::kComputedIsin, "SICOVAM : '12345'", "ISIN : 'FR0000123457'"},
    {"10728", QuickCase::Box::kNone, "SICOVAM : '10728'", "ISIN : 'FR0000003402'"},
    // Blanks and one pair of quotes around a pasted code are not part of it.
    {" 42", QuickCase::Box::kComputedIsin, "SICOVAM : '42'", "ISIN : 'FR0000000424'"},
    {"FR0000123457 ", QuickCase::Box::kNone, "SICOVAM : '12345'", "ISIN : 'FR0000123457'"},
    {"\t\"FR0000123457\" ", QuickCase::Box::kNone, "SICOVAM : '12345'", "ISIN : 'FR0000123457'"},
    {"\" 12345 \"", QuickCase::Box::kComputedIsin, "SICOVAM : '12345'", "ISIN : 'FR0000123457'"},
    {"42abc", QuickCase::Box::kComputedIsin, "SICOVAM : '42abc'", "ISIN : 'FR0000000424'"},
    {"FR0000123457", QuickCase::Box::kNone, "SICOVAM : '12345'", "ISIN : 'FR0000123457'"},
    {"fr0000123457", QuickCase::Box::kNone, "SICOVAM : '12345'", "ISIN : 'fr0000123457'"},
    {"FR0000123450", QuickCase::Box::kNone, "SICOVAM : '12345'", "ISIN : 'FR0000123450'"},
    {"GB00B03MLX29", QuickCase::Box::kNone, "SICOVAM : 'B03MLX2'", "ISIN : 'GB00B03MLX29'"},
    {"FR0000000000", QuickCase::Box::kNone, "SICOVAM : ''", "ISIN : 'FR0000000000'"},
    {"FR0000003402", QuickCase::Box::kNone, "SICOVAM : '10728'", "ISIN : 'FR0000003402'"},
    // Windows-1252 text is shown in UTF-8.
    {"FR\xE9"
     "000000000",
     QuickCase::Box::kNone,
     "SICOVAM : '\xC3\xA9"
     "00000000'",
     "ISIN : 'FR\xC3\xA9"
     "000000000'"},
    {"7\xE9t\xE9", QuickCase::Box::kComputedIsin, "SICOVAM : '7\xC3\xA9t\xC3\xA9'",
     "ISIN : 'FR0000000077'"},
};

}  // namespace quelvane::testing
