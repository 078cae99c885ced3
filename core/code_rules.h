// Recognising SICOVAM codes and ISIN-shaped texts, the ISIN check digit, and the
// conversions between the two, which consult the user table, then the built-in
// table, and compute the counterpart by rule only when neither knows the code.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/text.h"

namespace quelvane {

class CodeTables;

// How a conversion obtained its result. Callers compare the numbers.
enum class MatchKind : int { FoundBuiltin = 1, Computed = 2, FoundUser = 3 };

// The number a SICOVAM code stands for: the text after the prefix (compared
// folding A to Z; an empty prefix means none), read as atoi reads it over at most
// 199 characters. Nothing when the text does not begin with the prefix. Inline:
// read on every line of a run, and an optional handed back through memory is
// read back before its flag's store has landed.
inline std::optional<std::int32_t> ReadSicovamNumber(std::string_view text,
                                                     std::string_view prefix) {
  constexpr std::size_t kNumberLookahead = 199;
  if (!prefix.empty()) {
    if (text.size() < prefix.size() ||
        !EqualsFoldingAsciiLetters(text.substr(0, prefix.size()), prefix)) {
      return std::nullopt;
    }
    text.remove_prefix(prefix.size());
  }
  return ReadAtoi(text.substr(0, kNumberLookahead));
}

// The numbers SICOVAM codes take.
constexpr bool IsSicovamNumber(std::int32_t number) {
  return number >= 1 && number <= 99'999'998;
}

// True when the number read is a SICOVAM number.
bool IsSicovamCode(std::string_view text, std::string_view prefix = {});

// Exactly 12 characters: two letters, then ten letters or digits (Windows-1252
// classes). Neither the check digit nor the case nor the country is checked.
bool IsIsinShape(std::string_view text);

// The ISO 6166 check digit of an ISIN body; nothing when the body holds a
// character other than A to Z, a to z or 0 to 9.
std::optional<char> ComputeIsinCheckDigit(std::string_view body);

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

}  // namespace quelvane
