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
// Twelve characters, in a buffer of sixteen: written in one store.
inline constexpr std::size_t kIsinLength = 12;
using ComputedIsin = std::array<char, 16>;

// SicovamToIsin for a text IsSicovamCode accepts, nothing for any other: the
// number is read once, and a computed ISIN is written into `computed`, as a run
// does for every line.
std::optional<IsinView> SicovamCodeToIsin(const CodeTables& tables, std::string_view text,
                                          std::string_view prefix, ComputedIsin& computed);

// SicovamCodeToIsin once the number is read: for a number from 0 to 999,999,999
// (every number IsSicovamNumber accepts), which always has an ISIN.
IsinView SicovamNumberToIsin(const CodeTables& tables, std::int32_t number, ComputedIsin& computed);

// Always converts. Callers pass an ISIN-shaped text or a user-table ISIN; the
// computed rule takes characters 3 to 11 without their leading '0's.
SicovamConversion IsinToSicovam(const CodeTables& tables, std::string_view isin);

// A SICOVAM code where it is kept: in the caller's SicovamDigits for a code
// from a table, or in the ISIN itself for a computed one.
struct SicovamView {
  std::string_view code;
  MatchKind kind;
};
using SicovamDigits = std::array<char, 12>;  // a sign and ten digits fit

// IsinToSicovam without a string of its own, as a run does for every line: the
// code is kept in `digits` or in `isin`.
SicovamView IsinToSicovamCode(const CodeTables& tables, std::string_view isin,
                              SicovamDigits& digits);

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
