#include "cli/convert_command.h"

#include <iostream>

#include "cli/cli_support.h"

namespace quelvane {

CLI::App* AddConvertCommand(CLI::App& app, ConvertArgs& args) {
  CLI::App* command = app.add_subcommand("convert", "Convertit la colonne de codes de fichiers");
  command->add_option("FILE", args.files, "Fichiers à traiter");
  return command;
}

int RunConvertCommand(const ConvertArgs&) {
  std::cerr << "quelvane-cli convert : pas encore disponible.\n";
  return kExitUsage;
}

}  // namespace quelvane
