#include "cli/cli_support.h"

#include <ostream>

#include "cli/cli.h"

namespace quelvane {

void UseFrenchHelp(CLI::App& app) {
  auto formatter = app.get_formatter();
  formatter->label("Usage", "Utilisation");
  formatter->label("OPTIONS", "OPTIONS");
  formatter->label("SUBCOMMAND", "COMMANDE");
  formatter->label("SUBCOMMANDS", "COMMANDES");
  formatter->label("Subcommands", "Commandes");
  formatter->label("Options", "Options");
  formatter->label("Positionals", "Arguments");
  formatter->label("REQUIRED", "OBLIGATOIRE");
  formatter->label("TEXT", "TEXTE");
  formatter->label("INT", "ENTIER");
  formatter->label("Excludes", "Exclut");
  formatter->label("Needs", "Requiert");
  formatter->column_width(28);
  app.set_help_flag("-h,--help", "Affiche cette aide et quitte");
  app.footer("Documentation complète : man quelvane-cli, et " QUELVANE_DOC_DIR "/README.md.");
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error, Console& console) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    // --help and --version: CLI11 signals them as "success" errors.
    return app.exit(error, console.out, console.err);
  }
  // CLI11 words its errors in English; say in French what kind of error it is and
  // keep its detail, which names the option and the value.
  std::string message = error.what();
  switch (static_cast<CLI::ExitCodes>(error.get_exit_code())) {
    case CLI::ExitCodes::RequiredError:
      message = "argument obligatoire manquant (" + message + ")";
      break;
    case CLI::ExitCodes::ExtrasError:
      message = "argument inattendu (" + message + ")";
      break;
    case CLI::ExitCodes::ConversionError:
    case CLI::ExitCodes::ValidationError:
      message = "valeur invalide (" + message + ")";
      break;
    case CLI::ExitCodes::ArgumentMismatch:
      message = "nombre de valeurs incorrect (" + message + ")";
      break;
    case CLI::ExitCodes::ExcludesError:
      message = "options incompatibles (" + message + ")";
      break;
    default:
      break;
  }
  return ReportUsage(console, "quelvane-cli", message);
}

int ReportUsage(Console& console, std::string_view who, std::string_view message) {
  console.err << who << " : " << message << "\n"
              << "Essayez « " << who << " --help » pour plus d'informations.\n";
  return kExitUsage;
}

}  // namespace quelvane
