// Telling what a text is: a SICOVAM code (with or without a prefix) or an
// ISIN-shaped text, and the ISIN check digit. Rules that need no table, so the
// generator of the built-in table checks its data with the program's own rule.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/text.h"

namespace quelvane {

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

// The number of a code as nearly every file writes it: one to nine digits after
// the prefix and nothing else. Such a text reads as ReadSicovamNumber reads it,
// and holds nothing but its code; any other text gives nothing here.
inline std::optional<std::int32_t> ReadPlainSicovamNumber(std::string_view text,
                                                          std::string_view prefix) {
  if (!prefix.empty()) {
    if (text.size() < prefix.size() ||
        !EqualsFoldingAsciiLetters(text.substr(0, prefix.size()), prefix)) {
      return std::nullopt;
    }
    text.remove_prefix(prefix.size());
  }
  if (text.empty() || text.size() > 9) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : text) {
    const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
    if (digit > 9) return std::nullopt;
    value = value * 10 + static_cast<std::int32_t>(digit);
  }
  return value;
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

}  // namespace quelvane
