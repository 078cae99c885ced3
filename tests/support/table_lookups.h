// What the tests ask of the code tables beyond what the program asks: which
// table a pair comes from. Written with the lookups the program makes.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/code_tables.h"

namespace quelvane::testing {

inline const CodeEntry* FindUserByCode(const CodeTables& tables, std::int32_t code) {
  const KnownPair known = tables.FindByCode(code);
  return known.fromUser ? known.entry : nullptr;
}
inline const CodeEntry* FindUserByIsin(const CodeTables& tables, std::string_view isin) {
  const KnownPair known = tables.FindByIsin(isin);
  return known.fromUser ? known.entry : nullptr;
}

}  // namespace quelvane::testing
