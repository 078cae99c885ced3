#include "core/code_rules.h"

#include <array>
#include <cstdio>

#include "core/code_tables.h"

namespace quelvane {
namespace {

// "FR", the number on nine digits, and its ISO 6166 check digit, for a number
// from 0 to 999,999,999. This is ComputeIsinCheckDigit's rule with its positions
// fixed: expanded, "FR" is the digits 1 5 2 7 and the nine digits follow as they
// are, so counted from the right the last digit and every second one to its left
// are doubled (five of the nine), then 7, 2 doubled, 5, and 1 doubled add a
// constant 7 + 4 + 5 + 2 = 18. A conversion of every line of a file of ever new
// codes pays only this.
std::string ComputedFrenchIsin(std::uint32_t number) {
  // The digit sum of twice each digit.
  constexpr std::array<int, 10> kDoubledDigitSum = {0, 2, 4, 6, 8, 1, 3, 5, 7, 9};
  constexpr int kFrenchLettersSum = 18;
  std::string isin = "FR000000000?";
  int total = kFrenchLettersSum;
  for (std::size_t i = 10, fromRight = 0; i >= 2; --i, ++fromRight) {
    const auto digit = static_cast<int>(number % 10);
    number /= 10;
    isin[i] = static_cast<char>('0' + digit);
    total += fromRight % 2 == 0 ? kDoubledDigitSum[static_cast<std::size_t>(digit)] : digit;
  }
  isin[11] = static_cast<char>('0' + (10 - total % 10) % 10);
  return isin;
}

}  // namespace

namespace {

IsinConversion IsinOfNumber(const CodeTables& tables, std::int32_t number) {
  // The user table first, then the built-in one (a single merged lookup).
  if (const KnownPair known = tables.FindByCode(number); known.entry != nullptr) {
    return IsinConversion{known.entry->isin,
                          known.fromUser ? MatchKind::FoundUser : MatchKind::FoundBuiltin};
  }
  // "FR" and the number on nine digits, then the check digit. IsSicovamCode keeps
  // callers to 1..99,999,998; any other number still gets a well-formed text.
  if (number >= 0 && number <= 999'999'999) {
    return IsinConversion{ComputedFrenchIsin(static_cast<std::uint32_t>(number)),
                          MatchKind::Computed};
  }
  char body[16];
  std::snprintf(body, sizeof body, "FR%09d", number);
  std::string isin = body;
  isin += ComputeIsinCheckDigit(isin).value_or('0');
  return IsinConversion{std::move(isin), MatchKind::Computed};
}

}  // namespace

std::optional<IsinConversion> SicovamToIsin(const CodeTables& tables, std::string_view text,
                                            std::string_view prefix) {
  const auto number = ReadSicovamNumber(text, prefix);
  if (!number) return std::nullopt;
  return IsinOfNumber(tables, *number);
}

std::optional<IsinConversion> SicovamCodeToIsin(const CodeTables& tables, std::string_view text,
                                                std::string_view prefix) {
  const auto number = ReadSicovamNumber(text, prefix);
  if (!number || !IsSicovamNumber(*number)) return std::nullopt;
  return IsinOfNumber(tables, *number);
}

SicovamConversion IsinToSicovam(const CodeTables& tables, std::string_view isin) {
  if (const KnownPair known = tables.FindByIsin(isin); known.entry != nullptr) {
    return {std::to_string(known.entry->code),
            known.fromUser ? MatchKind::FoundUser : MatchKind::FoundBuiltin};
  }
  std::string_view body = isin.size() > 2 ? isin.substr(2, 9) : std::string_view{};
  while (!body.empty() && body.front() == '0') body.remove_prefix(1);
  return {std::string(body), MatchKind::Computed};
}

}  // namespace quelvane
