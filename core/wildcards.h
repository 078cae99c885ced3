// File-name patterns on a system whose shell leaves them to the program: cmd
// hands "*.prn" to quelvane-cli as it was typed, and a Windows console program
// expands * and ? in its file arguments itself, except in a word that holds a
// quote (the operating-system layer says which, WildcardArguments). The match
// is text and holds on every system; the folder listing comes from the layer
// (FileNamesIn).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "os/text_rules.h"  // HasWildcard

namespace quelvane {

// Whether a name matches a pattern: '*' any characters (none included), '?' one
// character (one code point of UTF-8), the rest as it is; give both as NameKey
// gives them, so that letters compare as the system compares names. As on
// Windows, a pattern ending in ".*" also matches a name without that dot
// ("*.*" matches every name) and one ending in '.' matches a name with no dot.
bool MatchesWildcard(std::string_view pattern, std::string_view name);

// The files a pattern names, its folder part kept as written (a folder part
// with wildcards is not expanded), in the order of their names; none when no
// file matches. Folders are never among them.
std::vector<std::string> ExpandWildcard(const std::string& pattern);

// The file arguments with each of them that is a pattern (`patterns[i]`)
// replaced by its files; a pattern no file matches stays as it was written, to be
// reported as a missing file.
std::vector<std::string> ExpandFileArguments(const std::vector<std::string>& files,
                                             const std::vector<bool>& patterns);

}  // namespace quelvane
