#include "core/code_rules.h"

#include <cstdio>

#include "core/code_tables.h"

namespace quelvane {

std::optional<IsinConversion> SicovamToIsin(const CodeTables& tables, std::string_view text,
                                            std::string_view prefix) {
  const auto number = ReadSicovamNumber(text, prefix);
  if (!number) return std::nullopt;
  if (const CodeEntry* user = tables.FindUserByCode(*number)) {
    return IsinConversion{user->isin, MatchKind::FoundUser};
  }
  if (const CodeEntry* builtin = tables.FindBuiltinByCode(*number)) {
    return IsinConversion{builtin->isin, MatchKind::FoundBuiltin};
  }
  // "FR%09d": a negative number never reaches here through IsSicovamCode, but the
  // format still holds whatever int it is given.
  char body[16];
  std::snprintf(body, sizeof body, "FR%09d", *number);
  std::string isin(body);
  isin += ComputeIsinCheckDigit(isin).value_or('0');
  return IsinConversion{std::move(isin), MatchKind::Computed};
}

SicovamConversion IsinToSicovam(const CodeTables& tables, std::string_view isin) {
  if (const CodeEntry* user = tables.FindUserByIsin(isin)) {
    return {std::to_string(user->code), MatchKind::FoundUser};
  }
  if (const CodeEntry* builtin = tables.FindBuiltinByIsin(isin)) {
    return {std::to_string(builtin->code), MatchKind::FoundBuiltin};
  }
  std::string_view body = isin.size() > 2 ? isin.substr(2, 9) : std::string_view{};
  while (!body.empty() && body.front() == '0') body.remove_prefix(1);
  return {std::string(body), MatchKind::Computed};
}

}  // namespace quelvane
