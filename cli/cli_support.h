// What both quelvane-cli commands share: French help labels and French wording
// for command-line errors.
#pragma once

#include <CLI/CLI.hpp>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "cli/console.h"

namespace quelvane {

// Gives the application (and the commands added after this call) French help headings.
void UseFrenchHelp(CLI::App& app);

// Prints --help or --version on out, or the parse error in French naming the
// option and value on err, and returns the exit status: 0 for help, 2 for an error.
int ReportParseError(const CLI::App& app, const CLI::ParseError& error, Console& console);

// A whole number as a person writes it: an optional sign, then digits only,
// within 32 bits. Nothing for anything else.
std::optional<std::int32_t> ParseWholeNumber(std::string_view text);

// "who : message" and where to find help, on err; returns the usage exit status.
int ReportUsage(Console& console, std::string_view who, std::string_view message);

}  // namespace quelvane
