// What both quelvane-cli commands share: French help labels and French wording
// for command-line errors.
#pragma once

#include <CLI/CLI.hpp>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/console.h"

namespace quelvane {

class CodeTables;

// Gives the application (and the commands added after this call) French help headings.
void UseFrenchHelp(CLI::App& app);

// Prints --help or --version on out, or the parse error in French naming the
// option and value on err, and returns the exit status: 0 for help, 2 for an error.
int ReportParseError(const CLI::App& app, const CLI::ParseError& error, Console& console);

// A whole number as a person writes it: an optional sign, then digits only,
// within 32 bits. Nothing for anything else.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// The user table of a command: the named one, which must be readable, or
// table.txt of the current folder, which must be readable whole when it is
// there. Nothing when it is loaded (or absent without being named); else the
// usage status, the failure and its reason said on err.
std::optional<int> LoadCommandTable(CodeTables& tables, const std::optional<std::string>& table,
                                    Console& console, std::string_view who);

// A text of the command line as the program takes typed text: Windows-1252
// bytes. A valid UTF-8 argument is encoded first, and a character Windows-1252
// lacks is refused rather than changed, since a changed code or separator would
// convert something else than was asked; other bytes are taken as they are.
// Longer than maxLength characters: refused too. Nothing when refused, the
// reason said on err as a usage error of `who` naming `what`.
std::optional<std::string> CommandLineText(const std::string& value, std::string_view what,
                                           std::size_t maxLength, Console& console,
                                           std::string_view who);

// "who : message" on err; returns the status given. For what help cannot mend:
// a file that cannot be read.
int ReportFailure(Console& console, std::string_view who, std::string_view message, int status);

// "who : message" and where to find help, on err; returns the usage exit status.
int ReportUsage(Console& console, std::string_view who, std::string_view message);

}  // namespace quelvane
