// What the line reader tests read: every line a reader hands out, to its end or
// its first error.
#pragma once

#include <string>
#include <vector>

#include "core/line_reader.h"

namespace quelvane::testing {

inline std::vector<std::string> ReadAll(LineReader& reader) {
  std::vector<std::string> lines;
  while (auto line = reader.Next()) lines.emplace_back(*line);
  return lines;
}

}  // namespace quelvane::testing
