#include "run/run_reporter.h"

namespace quelvane {

std::string_view StripTrailingLineEnds(std::string_view text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.remove_suffix(1);
  return text;
}

}  // namespace quelvane
