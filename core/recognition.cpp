// Recognition of SICOVAM codes and ISIN-shaped texts, and the ISIN check digit:
// the rules that need no table (core/recognition.h).
#include "core/recognition.h"

#include "core/char_class.h"
#include "core/text.h"

namespace quelvane {
namespace {

int AlnumValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
  if (c >= 'a' && c <= 'z') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool IsSicovamCode(std::string_view text, std::string_view prefix) {
  const auto number = ReadSicovamNumber(text, prefix);
  return number && IsSicovamNumber(*number);
}

bool IsIsinShape(std::string_view text) {
  if (text.size() != 12 || !IsCharAlpha(text[0]) || !IsCharAlpha(text[1])) return false;
  for (std::size_t i = 2; i < 12; ++i) {
    if (!IsCharAlphaNumeric(text[i])) return false;
  }
  return true;
}

std::optional<char> ComputeIsinCheckDigit(std::string_view body) {
  // Letters expand to two digits (A = 10 ... Z = 35). Walking the expansion from
  // its rightmost digit, that digit and every second one to its left are doubled.
  int total = 0;
  bool doubleNext = true;
  const auto add = [&](int digit) {
    if (doubleNext) digit *= 2;
    total += digit / 10 + digit % 10;
    doubleNext = !doubleNext;
  };
  for (auto it = body.rbegin(); it != body.rend(); ++it) {
    const int value = AlnumValue(*it);
    if (value < 0) return std::nullopt;
    if (value >= 10) {
      add(value % 10);
      add(value / 10);
    } else {
      add(value);
    }
  }
  return CheckDigitOfSum(total);
}

}  // namespace quelvane
