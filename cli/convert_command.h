// quelvane-cli convert: the file conversion run of the desktop program, with the
// log on standard output and message-box texts on standard error.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "cli/console.h"
#include "run/conversion_options.h"

namespace quelvane {

// The command line of "convert". Absent options leave the desktop program's
// first-start setting, or the saved one with --profile.
struct ConvertArgs {
  std::vector<std::string> files;
  bool isinToSicovam = false;
  std::optional<std::string> sourceSeparator;
  std::optional<std::string> destinationSeparator;
  std::optional<std::string> prefix;
  std::optional<std::string> fixedLength;  // a whole number, checked once parsed
  bool allValues = false;
  bool skipIgnored = false;
  std::optional<std::string> extension;
  std::optional<std::string> column;        // the code column from 1; default: found in each file
  std::optional<std::string> jobs;          // files at a time; default: one
  std::optional<std::string> outputFolder;  // default: each output beside its input
  std::optional<std::string> table;         // default: table.txt in the current folder, if any
  std::optional<std::string> profile;       // empty: the desktop program's own profile
  bool yes = false;
  bool no = false;
};

CLI::App* AddConvertCommand(CLI::App& app, ConvertArgs& args);

// 0 completed without warnings, 1 with warnings, 2 bad usage or a refusing
// pre-check, 3 abandoned at the missing-separator question, 4 the converted file
// of "-" could not be written to standard output, 6 a file was not converted;
// the highest that applies.
int RunConvertCommand(const ConvertArgs& args, Console& console);

// The options a run of these arguments uses: the saved settings with --profile
// (or the first-start ones), then the flags. A usage error is reported on err.
std::optional<ConversionOptions> ResolveOptions(const ConvertArgs& args, Console& console);

}  // namespace quelvane
