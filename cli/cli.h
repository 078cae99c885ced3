// quelvane-cli's whole job, from its arguments to its exit status: the program's
// main() and the tests call the same function.
#pragma once

#include <span>

#include "cli/console.h"

namespace quelvane {

inline constexpr int kExitOk = 0;
inline constexpr int kExitWarnings = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitAbandoned = 3;
inline constexpr int kExitOutputLost = 4;
inline constexpr int kExitOutOfMemory = 5;
// convert: at least one file was not converted (absent, unreadable, its output
// not writable...). Where a run finds several statuses, the highest is given.
inline constexpr int kExitFileNotConverted = 6;

// args: the program's name, then its arguments, as main() receives them.
int RunCli(std::span<const char* const> args, Console& console);

}  // namespace quelvane
