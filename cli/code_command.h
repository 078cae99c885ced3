// quelvane-cli code: converts codes given on the command line, each as if typed
// into the quick conversion dialog.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"

namespace quelvane {

struct CodeArgs {
  std::optional<std::string> table;  // default: table.txt in the current folder, if any
  std::vector<std::string> codes;
};

CLI::App* AddCodeCommand(CLI::App& app, CodeArgs& args);

// Result lines on out, box texts on err (each after the code it concerns, when
// there are several). 0 when every code converted, 1 when one was neither kind,
// 2 when the named table cannot be read.
int RunCodeCommand(const CodeArgs& args, Console& console);

}  // namespace quelvane
