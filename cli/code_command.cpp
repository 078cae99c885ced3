#include "cli/code_command.h"

#include <ostream>

#include "cli/cli.h"
#include "cli/cli_support.h"
#include "core/code_tables.h"
#include "core/os.h"
#include "core/quick_convert.h"
#include "core/text.h"

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
  CodeTables tables;
  if (args.table) {
    if (!tables.LoadUserCodeTable(PathFromUtf8(*args.table))) {
      err << "quelvane-cli : impossible de lire la table de codes '" << DisplayText(*args.table)
          << "'.\n";
      return kExitUsage;
    }
  } else {
    tables.LoadUserCodeTable();  // a missing table.txt is no error
  }

  int status = kExitOk;
  for (const std::string& argument : args.codes) {
    // A code typed in the dialog is Windows-1252 text; an argument that is not
    // valid UTF-8 is taken as already being such bytes.
    const std::string typed = IsValidUtf8(argument) ? Utf8ToCp1252(argument) : argument;
    const QuickConversion result = QuickConvert(tables, typed);
    if (result.box) {
      // Several codes: say which one the message is about.
      if (args.codes.size() > 1) err << DisplayText(argument) << " : ";
      err << result.box->text << "\n";
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
