#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <initializer_list>
#include <new>
#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_support.h"
#include "cli/code_command.h"
#include "cli/convert_command.h"
#include "cli/table_command.h"
#include "core/text.h"
#include "core/wildcards.h"

namespace quelvane {
namespace {

constexpr std::string_view kVersion = "quelvane-cli " QUELVANE_VERSION;

// "--" and the long name of a command's option that takes a value of its own,
// when the word names one ("-d" or "--dest-sep"), as the commands declare them.
std::optional<std::string> ValueOption(std::string_view word,
                                       std::initializer_list<const CLI::App*> commands) {
  if (!word.starts_with('-') || word.find('=') != std::string_view::npos) return std::nullopt;
  for (const CLI::App* command : commands) {
    const CLI::Option* option = command->get_option_no_throw(std::string(word));
    if (option != nullptr && option->get_items_expected_min() > 0 &&
        !option->get_lnames().empty()) {
      return "--" + option->get_lnames().front();
    }
  }
  return std::nullopt;
}

// The arguments as the parser is to see them, and those after the first "--".
// Everything after "--" is a code or a file name even when it begins with '-'
// ("code -- -5"): those words never reach the parser, which would take them for
// options. An option's value is joined to its option ("-d --" becomes
// "--dest-sep=--" in effect), so that a value is never taken for an option or for
// the end of the options.
struct SplitArguments {
  std::vector<std::string> options;
  std::vector<std::string> trailing;
  std::optional<std::string> missingValue;  // an option that takes a value, given none
};

SplitArguments SplitAtDoubleDash(std::span<const char* const> args,
                                 std::initializer_list<const CLI::App*> commands) {
  SplitArguments split;
  std::size_t i = 1;
  for (; i < args.size(); ++i) {
    const std::string_view argument = args[i];
    if (argument == "--") break;
    // An empty value stays a word of its own: "-s ''" is an empty separator.
    if (const auto name = ValueOption(argument, commands)) {
      if (i + 1 == args.size()) {
        split.missingValue = std::string(argument);
      } else if (*args[i + 1] != '\0') {
        split.options.push_back(*name + "=" + args[++i]);
        continue;
      }
    }
    split.options.emplace_back(argument);
  }
  for (++i; i < args.size(); ++i) split.trailing.emplace_back(args[i]);
  return split;
}

// The first word that is neither an option nor an option's value: the command.
std::string_view CommandWord(const std::vector<std::string>& options) {
  for (const std::string& word : options) {
    if (!word.starts_with('-')) return word;
  }
  return {};
}

// The words no option or argument took, said as the command line's error: an
// unknown option, or a word where none is expected.
std::optional<std::string> Leftover(std::initializer_list<const CLI::App*> apps) {
  for (const CLI::App* app : apps) {
    for (const std::string& word : app->remaining()) {
      if (word.starts_with('-')) return "option inconnue : « " + DisplayText(word) + " »";
      return "argument inattendu : « " + DisplayText(word) + " »";
    }
  }
  return std::nullopt;
}

// Which of the files were written as patterns (`patterns` says it of each
// argument). A word written once as a pattern and once in quotes is taken as
// written both times.
std::vector<bool> FilePatterns(const std::vector<std::string>& files,
                               std::span<const char* const> args,
                               const std::vector<bool>& patterns) {
  std::set<std::string_view> asPattern;
  std::set<std::string_view> asWritten;
  for (std::size_t i = 1; i < args.size(); ++i) {
    (i < patterns.size() && patterns[i] ? asPattern : asWritten).insert(args[i]);
  }
  std::vector<bool> result;
  result.reserve(files.size());
  for (const std::string& file : files) {
    result.push_back(asPattern.contains(file) && !asWritten.contains(file));
  }
  return result;
}

int Run(std::span<const char* const> args, Console& console, const std::vector<bool>& patterns) {
  CLI::App app{
      "Quelvane : conversion de codes SICOVAM <-> ISIN, dans des fichiers de cotations\n"
      "(quelvane-cli convert) ou code par code (quelvane-cli code) ; quelvane-cli table\n"
      "vérifie une table de codes de l'utilisateur.",
      "quelvane-cli"};
  UseFrenchHelp(app);
  app.set_version_flag("--version", std::string(kVersion), "Affiche la version et quitte");
  // Unknown words are kept rather than refused, to be named in French below; the
  // commands, added after this, do the same.
  app.allow_extras();

  CodeArgs codeArgs;
  CLI::App* code = AddCodeCommand(app, codeArgs);
  ConvertArgs convertArgs;
  CLI::App* convert = AddConvertCommand(app, convertArgs);
  TableArgs tableArgs;
  CLI::App* table = AddTableCommand(app, tableArgs);

  SplitArguments split = SplitAtDoubleDash(args, {code, convert, table});
  if (const std::string_view word = CommandWord(split.options);
      !word.empty() && word != code->get_name() && word != convert->get_name() &&
      word != table->get_name()) {
    return ReportUsage(
        console, "quelvane-cli",
        "commande inconnue : « " + DisplayText(word) + " » (code, convert ou table)");
  }
  if (split.missingValue) {
    return ReportUsage(console, "quelvane-cli",
                       "l'option " + *split.missingValue + " attend une valeur.");
  }
  std::reverse(split.options.begin(), split.options.end());  // the order CLI11 parses
  try {
    app.parse(split.options);
  } catch (const CLI::ParseError& error) {
    return ReportParseError(app, error, console);
  }
  if (const auto leftover = Leftover({&app, code, convert, table})) {
    return ReportUsage(console, "quelvane-cli", *leftover);
  }
  if (code->parsed()) {
    codeArgs.codes.insert(codeArgs.codes.end(), split.trailing.begin(), split.trailing.end());
    return RunCodeCommand(codeArgs, console);
  }
  if (convert->parsed()) {
    convertArgs.files.insert(convertArgs.files.end(), split.trailing.begin(), split.trailing.end());
    convertArgs.files =
        ExpandFileArguments(convertArgs.files, FilePatterns(convertArgs.files, args, patterns));
    return RunConvertCommand(convertArgs, console);
  }
  if (table->parsed()) {
    if (!split.trailing.empty()) {
      return ReportUsage(console, "quelvane-cli",
                         "argument inattendu : « " + DisplayText(split.trailing.front()) + " »");
    }
    return RunTableCommand(tableArgs, console);
  }
  return ReportUsage(console, "quelvane-cli", "indiquez une commande : code, convert ou table.");
}

}  // namespace

int RunCli(std::span<const char* const> args, Console& console, const std::vector<bool>& patterns) {
  // The libraries report their failures as values; what is left is running out of
  // memory, which deserves its own message rather than an abort.
  int status = kExitOutOfMemory;
  try {
    status = Run(args, console, patterns);
  } catch (const std::bad_alloc&) {
    console.err << "quelvane-cli : mémoire insuffisante.\n";
  }
  console.out.flush();
  // A file not converted still says so: the highest status wins.
  if (console.outputLost != nullptr && console.outputLost()) {
    console.err << "quelvane-cli : impossible d'écrire les résultats sur la sortie standard.\n";
    status = std::max(status, kExitOutputLost);
  }
  // Lost messages, or the log of "convert -", cannot be said where they went;
  // standard output may be the converted file itself.
  if (console.errorLost != nullptr && console.errorLost()) {
    status = std::max(status, kExitOutputLost);
  }
  return status;
}

}  // namespace quelvane
