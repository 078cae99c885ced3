// What both quelvane-cli commands share: French help labels and French wording
// for command-line errors.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace quelvane {

inline constexpr int kExitOk = 0;
inline constexpr int kExitWarnings = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitAbandoned = 3;

// Gives the application (and the commands added after this call) French help headings.
void UseFrenchHelp(CLI::App& app);

// The arguments before the first "--" (for CLI11, in the reversed order it parses)
// and those after it, which are codes or file names even when they begin with '-'.
struct SplitArguments {
  std::vector<std::string> reversedOptions;
  std::vector<std::string> trailing;
};
SplitArguments SplitAtDoubleDash(int argc, const char* const* argv);

// Prints --help, or the parse error in French naming the option and value, and
// returns the exit status: 0 for help, 2 for an error.
int ReportParseError(const CLI::App& app, const CLI::ParseError& error);

}  // namespace quelvane
