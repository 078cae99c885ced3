// Telling what a text is: a SICOVAM code (with or without a prefix) or an
// ISIN-shaped text, and the ISIN check digit. Rules that need no table, so the
// generator of the built-in table checks its data with the program's own rule.
#pragma once

#include <bit>
#include <cstdint>
#include <cstring>
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

// The number of one to nine digits and nothing else, read digit by digit;
// nothing for any other text.
inline std::optional<std::int32_t> ReadPlainSicovamDigits(std::string_view digits) {
  if (digits.empty() || digits.size() > 9) return std::nullopt;
  std::int32_t value = 0;
  for (const char c : digits) {
    const unsigned digit = static_cast<unsigned>(static_cast<unsigned char>(c)) - '0';
    if (digit > 9) return std::nullopt;
    value = value * 10 + static_cast<std::int32_t>(digit);
  }
  return value;
}

namespace recognition_detail {

// Four characters as one word, the first in the low byte: all digits when each
// byte's high half is 3 and adding 6 to it carries nothing out of the low half.
inline bool FourDigits(std::uint32_t word) {
  constexpr std::uint32_t kHighHalves = 0xF0F0F0F0u;
  constexpr std::uint32_t kDigitHalves = 0x30303030u;
  return (word & kHighHalves) == kDigitHalves &&
         ((word + 0x06060606u) & kHighHalves) == kDigitHalves;
}
// Their value: neighbours paired into two-digit numbers, then the two pairs.
inline std::uint32_t FourDigitsValue(std::uint32_t word) {
  std::uint32_t x = word - 0x30303030u;
  x = (x * 10 + (x >> 8)) & 0x00FF00FFu;
  return (x * 100 + (x >> 16)) & 0xFFFFu;
}

}  // namespace recognition_detail

// The number of a code as nearly every file writes it: one to nine digits after
// the prefix and nothing else. Such a text reads as ReadSicovamNumber reads it,
// and holds nothing but its code; any other text gives nothing here. The digits
// give what ReadPlainSicovamDigits gives; where bytes are stored low first, four
// to eight of them (nearly every code) are read as two words of four, the last
// overlapping the first, the bytes of the last that the first holds too counting
// as '0' there: no branch depends on how many digits a code has.
inline std::optional<std::int32_t> ReadPlainSicovamNumber(std::string_view text,
                                                          std::string_view prefix) {
  if (!prefix.empty()) {
    if (text.size() < prefix.size() ||
        !EqualsFoldingAsciiLetters(text.substr(0, prefix.size()), prefix)) {
      return std::nullopt;
    }
    text.remove_prefix(prefix.size());
  }
  const std::size_t size = text.size();
  if constexpr (std::endian::native == std::endian::little) {
    if (size >= 4 && size <= 8) {
      using namespace recognition_detail;
      std::uint32_t first;
      std::uint32_t last;
      std::memcpy(&first, text.data(), 4);
      std::memcpy(&last, text.data() + size - 4, 4);
      if (!FourDigits(first) || !FourDigits(last)) return std::nullopt;
      constexpr std::uint32_t kPowers[] = {1, 10, 100, 1000, 10000};
      const auto kept = static_cast<std::uint32_t>(0xFFFFFFFFull << (8 * (8 - size)));
      const std::uint32_t rest = (last & kept) | (0x30303030u & ~kept);
      return static_cast<std::int32_t>(FourDigitsValue(first) * kPowers[size - 4] +
                                       FourDigitsValue(rest));
    }
  }
  return ReadPlainSicovamDigits(text);
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

// The check digit of a digit sum: what brings it to a multiple of ten.
constexpr char CheckDigitOfSum(int total) {
  return static_cast<char>('0' + (10 - total % 10) % 10);
}

// The ISO 6166 check digit of an ISIN body; nothing when the body holds a
// character other than A to Z, a to z or 0 to 9.
std::optional<char> ComputeIsinCheckDigit(std::string_view body);

}  // namespace quelvane
