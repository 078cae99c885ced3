// quelvane-cli table: what a user code table gives, line by line, so that a user
// can see whether table.txt was read and which of its lines a conversion uses.
#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "cli/console.h"

namespace quelvane {

struct TableArgs {
  std::optional<std::string> table;  // default: table.txt in the current folder
};

CLI::App* AddTableCommand(CLI::App& app, TableArgs& args);

// Each line and what it gives on out, then a summary. 0 when every line that
// holds something other than a comment gives a pair that conversions find,
// 1 otherwise, 2 when the table cannot be read.
int RunTableCommand(const TableArgs& args, Console& console);

}  // namespace quelvane
