// The command line as the program examines it: one text after the program's name,
// split into words at spaces only.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

// The text that follows the program's name: the arguments joined by one space,
// without the blanks and control characters (codes 1 to 32) that lead it. The
// program looks at one line of text, as a desktop shortcut hands it over, so a
// quoted argument holding spaces gives several words.
std::string CommandLineFromArguments(int argc, const char* const* argv);

// Words separated by runs of spaces; a tab separates nothing. No word is empty.
std::vector<std::string> SplitCommandLineWords(std::string_view commandLine);

}  // namespace quelvane
