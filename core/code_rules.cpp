#include "core/code_rules.h"

#include <array>
#include <bit>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/code_tables.h"

namespace quelvane {
namespace {

// "FR", the number on nine digits, and its ISO 6166 check digit, for a number
// from 0 to 999,999,999. This is ComputeIsinCheckDigit's rule with its positions
// fixed: expanded, "FR" is the digits 1 5 2 7 and the nine digits follow as they
// are, so counted from the right the last digit and every second one to its left
// are doubled (five of the nine), then 7, 2 doubled, 5, and 1 doubled add a
// constant 7 + 4 + 5 + 2 = 18. The nine digits are three groups of three; each
// digit adds to the sum on its own, so a table per group gives its three
// characters and what they add. The outer groups double their first and last
// digit, the middle one its middle digit. A conversion of every line of a file
// of ever new codes pays only this.
struct DigitGroup {
  std::array<char, 3> digits;
  std::uint8_t sum;  // what the three digits add to the total, modulo 10
};
static_assert(sizeof(DigitGroup) == 4);
using GroupTable = std::array<DigitGroup, 1000>;

constexpr GroupTable MakeGroupTable(bool outer) {
  // The digit sum of twice each digit.
  constexpr std::array<int, 10> kDoubledDigitSum = {0, 2, 4, 6, 8, 1, 3, 5, 7, 9};
  GroupTable table{};
  for (int value = 0; value < 1000; ++value) {
    const int digits[3] = {value / 100, value / 10 % 10, value % 10};
    int sum = 0;
    for (int i = 0; i < 3; ++i) {
      const bool doubled = (i != 1) == outer;
      sum += doubled ? kDoubledDigitSum[static_cast<std::size_t>(digits[i])] : digits[i];
    }
    auto& group = table[static_cast<std::size_t>(value)];
    for (int i = 0; i < 3; ++i)
      group.digits[static_cast<std::size_t>(i)] = static_cast<char>('0' + digits[i]);
    group.sum = static_cast<std::uint8_t>(sum % 10);
  }
  return table;
}
constexpr GroupTable kOuterGroups = MakeGroupTable(true);
constexpr GroupTable kMiddleGroups = MakeGroupTable(false);

// The check digit for each total the groups can reach (18 and three sums of 0 to 9).
constexpr std::array<char, 46> kCheckDigits = [] {
  std::array<char, 46> digits{};
  for (std::size_t total = 0; total < digits.size(); ++total)
    digits[total] = CheckDigitOfSum(static_cast<int>(total));
  return digits;
}();

// Where bytes are stored low first, a group is read as one word (its three
// characters, then its sum) and the twelve characters are stored at once: read
// back right away (copied into the output, remembered), bytes stored one by one
// would each wait for their store to land.
void WriteComputedFrenchIsin(std::uint32_t number, ComputedIsin& isin) {
  constexpr int kFrenchLettersSum = 18;
  const DigitGroup& high = kOuterGroups[number / 1'000'000];
  const DigitGroup& middle = kMiddleGroups[number / 1000 % 1000];
  const DigitGroup& low = kOuterGroups[number % 1000];
  if constexpr (std::endian::native == std::endian::little) {
    const auto word = [](const DigitGroup& group) {
      std::uint32_t bytes;
      std::memcpy(&bytes, &group, sizeof bytes);
      return std::uint64_t{bytes};
    };
    const std::uint64_t h = word(high);
    const std::uint64_t m = word(middle);
    const std::uint64_t l = word(low);
    const std::uint64_t total = kFrenchLettersSum + (h >> 24) + (m >> 24) + (l >> 24);
    constexpr std::uint64_t kDigits = 0xFFFFFF;
    const std::uint64_t first =
        std::uint64_t{'F'} | std::uint64_t{'R'} << 8 | (h & kDigits) << 16 | (m & kDigits) << 40;
    const std::uint64_t second =
        (l & kDigits) |
        std::uint64_t{static_cast<unsigned char>(kCheckDigits[static_cast<std::size_t>(total)])}
            << 24;
#if defined(__GNUC__)
    using Block = std::uint64_t __attribute__((vector_size(16)));
    const Block block = {first, second};
    std::memcpy(isin.data(), &block, sizeof block);
#else
    std::memcpy(isin.data(), &first, 8);
    std::memcpy(isin.data() + 8, &second, 8);
#endif
  } else {
    const int total = kFrenchLettersSum + high.sum + middle.sum + low.sum;
    isin[0] = 'F';
    isin[1] = 'R';
    std::memcpy(&isin[2], high.digits.data(), 3);
    std::memcpy(&isin[5], middle.digits.data(), 3);
    std::memcpy(&isin[8], low.digits.data(), 3);
    isin[11] = kCheckDigits[static_cast<std::size_t>(total)];
  }
}

// Where a pair that was found comes from.
MatchKind FoundKind(const KnownPair& known) {
  return known.fromUser ? MatchKind::FoundUser : MatchKind::FoundBuiltin;
}

IsinView KnownIsin(const KnownPair& known) {
  return {known.entry->isin, FoundKind(known)};
}

// The ISIN of a number from the tables, or computed into `computed` for a
// number from 0 to 999,999,999; nothing for any other number.
std::optional<IsinView> KnownOrComputedIsin(const CodeTables& tables, std::int32_t number,
                                            ComputedIsin& computed) {
  if (number >= 0 && number <= 999'999'999) return SicovamNumberToIsin(tables, number, computed);
  // The user table first, then the built-in one (a single merged lookup).
  if (const KnownPair known = tables.FindByCode(number); known.entry != nullptr) {
    return KnownIsin(known);
  }
  return std::nullopt;
}

IsinConversion IsinOfNumber(const CodeTables& tables, std::int32_t number) {
  ComputedIsin computed;
  if (const auto isin = KnownOrComputedIsin(tables, number, computed)) {
    return IsinConversion{std::string(isin->isin), isin->kind};
  }
  // Left here: the numbers below 0 or above 999,999,999, which have no ISIN
  // (IsSicovamCode keeps the program's callers to 1..99,999,998). The text is
  // "FR", the number as printf's "%09d" writes it, then its check digit, and is
  // no ISIN: a negative number gives a '-' and its digits padded to eight, with
  // '0' for the check digit ("FR-000000050" for -5); one of 10^9 or more gives
  // all of its ten digits and their check digit, thirteen characters.
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

std::optional<IsinView> SicovamCodeToIsin(const CodeTables& tables, std::string_view text,
                                          std::string_view prefix, ComputedIsin& computed) {
  const auto number = ReadSicovamNumber(text, prefix);
  if (!number || !IsSicovamNumber(*number)) return std::nullopt;
  return SicovamNumberToIsin(tables, *number, computed);
}

IsinView SicovamNumberToIsin(const CodeTables& tables, std::int32_t number,
                             ComputedIsin& computed) {
  if (const KnownPair known = tables.FindByCode(number); known.entry != nullptr) {
    return KnownIsin(known);
  }
  WriteComputedFrenchIsin(static_cast<std::uint32_t>(number), computed);
  return {std::string_view(computed.data(), kIsinLength), MatchKind::Computed};
}

SicovamConversion IsinToSicovam(const CodeTables& tables, std::string_view isin) {
  SicovamDigits digits;
  const SicovamView code = IsinToSicovamCode(tables, isin, digits);
  return {std::string(code.code), code.kind};
}

SicovamView IsinToSicovamCode(const CodeTables& tables, std::string_view isin,
                              SicovamDigits& digits) {
  if (const KnownPair known = tables.FindByIsin(isin); known.entry != nullptr) {
    const auto written =
        std::to_chars(digits.data(), digits.data() + digits.size(), known.entry->code);
    return {std::string_view(digits.data(), static_cast<std::size_t>(written.ptr - digits.data())),
            FoundKind(known)};
  }
  std::string_view body = isin.size() > 2 ? isin.substr(2, 9) : std::string_view{};
  while (!body.empty() && body.front() == '0') body.remove_prefix(1);
  return {body, MatchKind::Computed};
}

}  // namespace quelvane
