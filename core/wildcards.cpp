#include "core/wildcards.h"

#include <algorithm>
#include <cstddef>
#include <utility>

#include "os/os.h"

namespace quelvane {
namespace {

// The length of the UTF-8 character that starts at `at`: a '?' takes one
// character, not one byte, of a name. A stray byte counts as one.
std::size_t CharacterLength(std::string_view text, std::size_t at) {
  std::size_t length = 1;
  while (at + length < text.size() &&
         (static_cast<unsigned char>(text[at + length]) & 0xC0) == 0x80) {
    ++length;
  }
  return length;
}

// '*' and '?' alone. On a mismatch the last '*' takes one more character of the
// name and the match goes on from there: linear in practice, and never more than
// the product of the two lengths.
bool MatchesPlainly(std::string_view pattern, std::string_view name) {
  std::size_t p = 0;
  std::size_t n = 0;
  std::size_t starAt = std::string_view::npos;
  std::size_t starName = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      starAt = ++p;
      starName = n;
    } else if (p < pattern.size() && pattern[p] == '?') {
      ++p;
      n += CharacterLength(name, n);
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (starAt != std::string_view::npos) {
      p = starAt;
      starName += CharacterLength(name, starName);
      n = starName;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace

bool MatchesWildcard(std::string_view pattern, std::string_view name) {
  if (MatchesPlainly(pattern, name)) return true;
  if (pattern.ends_with(".*")) return MatchesPlainly(pattern.substr(0, pattern.size() - 2), name);
  if (pattern.size() > 1 && pattern.ends_with('.')) {
    return name.find('.') == std::string_view::npos &&
           MatchesPlainly(pattern.substr(0, pattern.size() - 1), name);
  }
  return false;
}

std::vector<std::string> ExpandWildcard(const std::string& pattern) {
  const PathParts parts = SplitPath(pattern);
  if (HasWildcard(parts.folder) || !HasWildcard(parts.name)) return {};
  const std::string key = NameKey(parts.name);
  std::vector<std::pair<std::string, std::string>> found;  // key, name
  for (std::string& name : FileNamesIn(std::string(parts.folder))) {
    std::string nameKey = NameKey(name);
    if (MatchesWildcard(key, nameKey)) found.emplace_back(std::move(nameKey), std::move(name));
  }
  std::sort(found.begin(), found.end());
  std::vector<std::string> files;
  files.reserve(found.size());
  for (const auto& [nameKey, name] : found) files.push_back(std::string(parts.folder) + name);
  return files;
}

std::vector<std::string> ExpandFileArguments(const std::vector<std::string>& files,
                                             const std::vector<bool>& patterns) {
  std::vector<std::string> expanded;
  expanded.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::vector<std::string> matches;
    if (i < patterns.size() && patterns[i]) matches = ExpandWildcard(files[i]);
    if (matches.empty()) {
      expanded.push_back(files[i]);
    } else {
      expanded.insert(expanded.end(), std::make_move_iterator(matches.begin()),
                      std::make_move_iterator(matches.end()));
    }
  }
  return expanded;
}

}  // namespace quelvane
