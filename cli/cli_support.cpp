#include "cli/cli_support.h"

#include <charconv>
#include <ostream>

#include "cli/cli.h"
#include "core/code_tables.h"
#include "core/text.h"
#include "os/os.h"
#include "run/run_texts.h"

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
  formatter->column_width(28);
  app.set_help_flag("-h,--help", "Affiche cette aide et quitte");
#ifdef _WIN32
  app.footer("Documentation complète : " QUELVANE_README ".");
#else
  app.footer("Documentation complète : man quelvane-cli, et " QUELVANE_README ".");
#endif
}

int ReportParseError(const CLI::App& app, const CLI::ParseError& error, Console& console) {
  if (error.get_exit_code() == static_cast<int>(CLI::ExitCodes::Success)) {
    // --help and --version: CLI11 signals them as "success" errors.
    return app.exit(error, console.out, console.err);
  }
  // CLI11 words its errors in English. The command line checks the values it
  // takes itself, so what is left here is rare: a flag given a value, say. Its
  // kind is said in French, with the option it names.
  const std::string what = error.what();
  std::string option;
  for (std::size_t start = what.find('-'); start != std::string::npos;
       start = what.find('-', start + 1)) {
    if (start == 0 || what[start - 1] == ' ') {
      option = what.substr(start, what.find_first_of(" :,", start) - start);
      break;
    }
  }
  const std::string about = option.empty() ? std::string() : " pour " + option;
  std::string message;
  switch (static_cast<CLI::ExitCodes>(error.get_exit_code())) {
    case CLI::ExitCodes::ConversionError:
    case CLI::ExitCodes::ValidationError:
      message = "valeur invalide" + about;
      break;
    case CLI::ExitCodes::ArgumentMismatch:
      message = "nombre de valeurs incorrect" + about;
      break;
    case CLI::ExitCodes::RequiredError:
      message = "argument obligatoire manquant" + about;
      break;
    default:
      message = "arguments incorrects" + about;
      break;
  }
  return ReportUsage(console, "quelvane-cli", message);
}

std::optional<std::int32_t> ParseWholeNumber(std::string_view text) {
  if (text.starts_with('+') && !text.starts_with("+-")) text.remove_prefix(1);
  std::int32_t value = 0;
  const char* end = text.data() + text.size();
  const auto [stop, error] = std::from_chars(text.data(), end, value);
  if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
  return value;
}

std::optional<int> LoadCommandTable(CodeTables& tables, const std::optional<std::string>& table,
                                    Console& console, std::string_view who) {
  const std::string path = table.value_or("table.txt");
  const TableLoad load = tables.LoadUserCodeTable(PathFromUtf8(path));
  // A missing table.txt is no error; a named table, or a table.txt that is there
  // and cannot be read whole, is: converting without the user's pairs would drop
  // or convert by rule the codes they map.
  if (load || (!table && load.Absent())) return std::nullopt;
  return ReportFailure(console, who,
                       "impossible de lire la table de codes « " + DisplayText(path) +
                           " » : " + std::string(run_texts::UnreadableReason(*load.failure)) +
                           ". Rien n'a été converti.",
                       kExitUsage);
}

std::optional<std::string> CommandLineText(const std::string& value, std::string_view what,
                                           std::size_t maxLength, Console& console,
                                           std::string_view who) {
  std::optional<std::string> bytes = IsValidUtf8(value) ? EncodeCp1252(value) : value;
  const auto refuse = [&](std::string_view why) {
    ReportUsage(console, who,
                "valeur invalide pour " + std::string(what) + " : « " + DisplayText(value) +
                    " » (" + std::string(why) + ")");
    return std::nullopt;
  };
  if (!bytes) return refuse("un caractère n'existe pas en Windows-1252");
  if (bytes->size() > maxLength) return refuse(std::to_string(maxLength) + " caractères au plus");
  return bytes;
}

int ReportFailure(Console& console, std::string_view who, std::string_view message, int status) {
  console.err << who << " : " << message << "\n";
  return status;
}

int ReportUsage(Console& console, std::string_view who, std::string_view message) {
  console.err << who << " : " << message << "\n"
              << "Essayez « " << who << " --help » pour plus d'informations.\n";
  return kExitUsage;
}

}  // namespace quelvane
