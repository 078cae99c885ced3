#include "core/code_rules.h"

#include <cstdio>

#include "core/code_tables.h"

namespace quelvane {

std::optional<IsinConversion> SicovamToIsin(const CodeTables& tables, std::string_view text,
                                            std::string_view prefix) {
  const auto number = ReadSicovamNumber(text, prefix);
  if (!number) return std::nullopt;
  // The user table first, then the built-in one (a single merged lookup).
  if (const KnownPair known = tables.FindByCode(*number); known.entry != nullptr) {
    return IsinConversion{known.entry->isin,
                          known.fromUser ? MatchKind::FoundUser : MatchKind::FoundBuiltin};
  }
  // "FR" and the number on nine digits, then the check digit. IsSicovamCode keeps
  // callers to 1..99,999,998; any other number still gets a well-formed text.
  std::string isin;
  if (*number < 0 || *number > 999'999'999) {
    char body[16];
    std::snprintf(body, sizeof body, "FR%09d", *number);
    isin = body;
  } else {
    isin = "FR000000000";
    auto value = static_cast<std::uint32_t>(*number);
    for (std::size_t i = isin.size(); value != 0; value /= 10)
      isin[--i] = static_cast<char>('0' + value % 10);
  }
  isin += ComputeIsinCheckDigit(isin).value_or('0');
  return IsinConversion{std::move(isin), MatchKind::Computed};
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
