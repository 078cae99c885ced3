// quelvane-cli convert: the file conversion run of the desktop program, with the
// log on standard output and message-box texts on standard error.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

namespace quelvane {

// The command line of "convert". Absent options leave the desktop program's
// first-start setting, or the saved one with --profile.
struct ConvertArgs {
  std::vector<std::string> files;
  bool isinToSicovam = false;
  std::optional<std::string> sourceSeparator;
  std::optional<std::string> destinationSeparator;
  std::optional<std::string> prefix;
  std::optional<std::int32_t> fixedLength;
  bool allValues = false;
  bool skipIgnored = false;
  std::optional<std::string> extension;
  std::optional<std::string> table;    // default: table.txt in the current folder, if any
  std::optional<std::string> profile;  // empty: the desktop program's own profile
  bool yes = false;
  bool no = false;
};

// Where the command speaks: log lines on out, box texts and progress on err, and
// the person who answers the missing-separator question, when there is one.
struct ConvertConsole {
  std::ostream& out;
  std::ostream& err;
  std::istream* terminal = nullptr;  // none: the question is answered No
  bool showProgress = false;         // err is a terminal
};

CLI::App* AddConvertCommand(CLI::App& app, ConvertArgs& args);

// The process's own streams: questions asked when standard input is a terminal,
// progress shown when standard error is one.
ConvertConsole StandardConsole();

// 0 completed without warnings, 1 with warnings, 2 bad usage or a refusing
// pre-check, 3 abandoned at the missing-separator question.
int RunConvertCommand(const ConvertArgs& args, const ConvertConsole& console);

}  // namespace quelvane
