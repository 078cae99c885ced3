// quelvane-cli: the conversions of the desktop program without a window.
#include <CLI/CLI.hpp>
#include <iostream>

#include "cli/cli_support.h"
#include "cli/code_command.h"
#include "cli/convert_command.h"

namespace {

int Main(int argc, char** argv) {
  CLI::App app{
      "Quelvane : conversion de codes SICOVAM <-> ISIN, dans des fichiers de cotations\n"
      "(quelvane-cli convert) ou code par code (quelvane-cli code).",
      "quelvane-cli"};
  quelvane::UseFrenchHelp(app);
  app.require_subcommand(1);

  quelvane::CodeArgs codeArgs;
  CLI::App* code = quelvane::AddCodeCommand(app, codeArgs);
  quelvane::ConvertArgs convertArgs;
  quelvane::AddConvertCommand(app, convertArgs);

  auto [options, trailing] = quelvane::SplitAtDoubleDash(argc, argv);
  try {
    app.parse(options);
  } catch (const CLI::ParseError& error) {
    return quelvane::ReportParseError(app, error);
  }
  if (code->parsed()) {
    codeArgs.codes.insert(codeArgs.codes.end(), trailing.begin(), trailing.end());
    return quelvane::RunCodeCommand(codeArgs, std::cout, std::cerr);
  }
  convertArgs.files.insert(convertArgs.files.end(), trailing.begin(), trailing.end());
  return quelvane::RunConvertCommand(convertArgs, quelvane::StandardConsole());
}

}  // namespace

int main(int argc, char** argv) {
  // The libraries report their failures as values; what is left is running out of
  // memory, which deserves a message rather than an abort.
  try {
    return Main(argc, argv);
  } catch (const std::exception& error) {
    std::cerr << "quelvane-cli : erreur inattendue (" << error.what() << ").\n";
    return quelvane::kExitUsage;
  }
}
