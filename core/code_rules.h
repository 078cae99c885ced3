// The conversions between SICOVAM codes and ISIN codes, which consult the user
// table, then the built-in table, and compute the counterpart by rule only when
// neither knows the code. Telling what a text is comes from core/recognition.h.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/recognition.h"
#include "core/text.h"

namespace quelvane {

class CodeTables;

// How a conversion obtained its result. Callers compare the numbers.
enum class MatchKind : int { FoundBuiltin = 1, Computed = 2, FoundUser = 3 };

struct IsinConversion {
  std::string isin;
  MatchKind kind;
};
struct SicovamConversion {
  std::string code;
  MatchKind kind;
};

// Nothing only when the text does not begin with the prefix. Callers check the
// text with IsSicovamCode first; the number's range is not checked here.
std::optional<IsinConversion> SicovamToIsin(const CodeTables& tables, std::string_view text,
                                            std::string_view prefix = {});

// An ISIN where it is kept: in a table, or in the caller's ComputedIsin.
struct IsinView {
  std::string_view isin;
  MatchKind kind;
};
using ComputedIsin = std::array<char, 12>;

// SicovamToIsin for a text IsSicovamCode accepts, nothing for any other: the
// number is read once, and a computed ISIN is written into `computed`, as a run
// does for every line.
std::optional<IsinView> SicovamCodeToIsin(const CodeTables& tables, std::string_view text,
                                          std::string_view prefix, ComputedIsin& computed);

// Always converts. Callers pass an ISIN-shaped text or a user-table ISIN; the
// computed rule takes characters 3 to 11 without their leading '0's.
SicovamConversion IsinToSicovam(const CodeTables& tables, std::string_view isin);

// What the rule of a code column makes of one token: whether it is a code of
// the column's type, and what it converts to. The text lives in whoever made the
// result (a table, the caller's ComputedIsin, a run's memo).
struct CodeResult {
  bool recognised = false;  // a code of the source type
  MatchKind kind = MatchKind::Computed;
  std::string_view text;      // the converted code, when recognised
  bool moreThanCode = false;  // the token holds text the converted code does not keep
};

}  // namespace quelvane
