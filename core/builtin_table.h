// The built-in data set as the build generates it from builtin_table.tsv.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quelvane {

struct BuiltinRow {
  std::int32_t code;
  char isin[13];
};

extern const BuiltinRow kBuiltinRows[];
extern const std::size_t kBuiltinRowCount;

}  // namespace quelvane
