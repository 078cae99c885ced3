// Letters and digits as the Windows-1252 code page classes them. Quote files and
// typed codes are 8-bit text in that code page, so every recogniser uses these.
// Defined here, inline: the recognisers ask them of every byte of a code column.
#pragma once

#include <array>
#include <cstdint>

namespace quelvane {
namespace char_class_detail {

enum : std::uint8_t { kAlpha = 1, kDigit = 2 };

constexpr std::array<std::uint8_t, 256> MakeClassTable() {
  std::array<std::uint8_t, 256> table{};
  for (int c = 'A'; c <= 'Z'; ++c) table[static_cast<std::size_t>(c)] = kAlpha;
  for (int c = 'a'; c <= 'z'; ++c) table[static_cast<std::size_t>(c)] = kAlpha;
  for (int c = '0'; c <= '9'; ++c) table[static_cast<std::size_t>(c)] = kDigit;
  // Upper half: f with hook, S/s caron, ligatures OE/oe, Z/z caron, Y diaeresis,
  // the ordinal indicators, micro sign, and the accented letters 0xC0 to 0xFF
  // except the multiplication and division signs.
  for (int c : {0x83, 0x8A, 0x8C, 0x8E, 0x9A, 0x9C, 0x9E, 0x9F, 0xAA, 0xB5, 0xBA}) {
    table[static_cast<std::size_t>(c)] = kAlpha;
  }
  for (int c = 0xC0; c <= 0xFF; ++c) {
    if (c != 0xD7 && c != 0xF7) table[static_cast<std::size_t>(c)] = kAlpha;
  }
  return table;
}

inline constexpr std::array<std::uint8_t, 256> kClass = MakeClassTable();

}  // namespace char_class_detail

// A to Z, a to z and the letters of the code page's upper half.
constexpr bool IsCharAlpha(char c) {
  return char_class_detail::kClass[static_cast<unsigned char>(c)] == char_class_detail::kAlpha;
}
// IsCharAlpha, or a digit 0 to 9.
constexpr bool IsCharAlphaNumeric(char c) {
  return char_class_detail::kClass[static_cast<unsigned char>(c)] != 0;
}

}  // namespace quelvane
