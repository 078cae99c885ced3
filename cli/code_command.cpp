#include "cli/code_command.h"

#include <cstdint>
#include <ostream>
#include <vector>

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "core/code_tables.h"
#include "core/text.h"
#include "os/os.h"
#include "run/quick_convert.h"
#include "run/run_texts.h"

namespace quelvane {

CLI::App* AddCodeCommand(CLI::App& app, CodeArgs& args) {
  CLI::App* command = app.add_subcommand(
      "code",
      "Convertit des codes isolés, comme la fenêtre « Sico <-> Isin » : un code SICOVAM\n"
      "donne son code ISIN, un code ISIN donne son code SICOVAM. Pour chaque code, deux\n"
      "lignes « SICOVAM : '…' » puis « ISIN : '…' » sur la sortie standard ; les messages\n"
      "(code ISIN calculé, code non reconnu) sur la sortie d'erreur.\n"
      "Code de sortie : 0 tout converti, 1 un code n'était ni SICOVAM ni ISIN, 2 erreur d'usage.\n"
      "Un code qui commence par '-' se donne après « -- » : quelvane-cli code -- -5");
  command->group("Commandes");
  command
      ->add_option("--table", args.table,
                   "Table de codes de l'utilisateur (défaut : table.txt du dossier courant)")
      ->type_name("FICHIER");
  command->add_option("CODE", args.codes, "Codes SICOVAM ou ISIN à convertir")->type_name("CODE");
  return command;
}

int RunCodeCommand(const CodeArgs& args, Console& console) {
  std::ostream& out = console.out;
  std::ostream& err = console.err;
  if (args.codes.empty()) {
    return ReportUsage(console, "quelvane-cli code", "donnez au moins un code à convertir.");
  }
  // Every code is checked before any is converted: a refused one stops the
  // command before it prints results.
  std::vector<std::string> typed;
  for (const std::string& argument : args.codes) {
    // The dialog's edit keeps what it is given up to its limit; QuickConvert cuts.
    auto bytes = CommandLineText(argument, "CODE", SIZE_MAX, console, "quelvane-cli code");
    if (!bytes) return kExitUsage;
    typed.push_back(std::move(*bytes));
  }
  CodeTables tables;
  if (const auto failed = LoadCommandTable(tables, args.table, console, "quelvane-cli code")) {
    return *failed;
  }

  int status = kExitOk;
  for (std::size_t i = 0; i < typed.size(); ++i) {
    const std::string& argument = args.codes[i];
    const QuickConversion result = QuickConvert(tables, typed[i]);
    if (result.note != QuickNote::kNone) {
      // Several codes: say which one the message is about.
      if (args.codes.size() > 1) err << DisplayText(argument) << " : ";
      err << (result.note == QuickNote::kComputedIsin ? run_texts::kComputedIsinText
                                                      : run_texts::kNotACodeText)
          << "\n";
    }
    if (!result.recognised) {
      status = kExitWarnings;
      continue;
    }
    if (result.sicovamLine) out << *result.sicovamLine << "\n";
    if (result.isinLine) out << *result.isinLine << "\n";
  }
  out.flush();
  return status;
}

}  // namespace quelvane
