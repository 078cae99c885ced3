// quelvane-cli convert: the file conversion run of the desktop program, with the
// log on standard output and message-box texts on standard error.
#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <vector>

namespace quelvane {

struct ConvertArgs {
  std::vector<std::string> files;
};

CLI::App* AddConvertCommand(CLI::App& app, ConvertArgs& args);
int RunConvertCommand(const ConvertArgs& args);

}  // namespace quelvane
