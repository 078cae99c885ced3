#include "cli/cli.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <initializer_list>
#include <new>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/cli_support.h"
#include "cli/code_command.h"
#include "cli/convert_command.h"

namespace quelvane {
namespace {

constexpr std::string_view kVersion = "quelvane-cli 1.05";

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
};

SplitArguments SplitAtDoubleDash(std::span<const char* const> args,
                                 std::initializer_list<const CLI::App*> commands) {
  SplitArguments split;
  std::size_t i = 1;
  for (; i < args.size(); ++i) {
    const std::string_view argument = args[i];
    if (argument == "--") break;
    // An empty value stays a word of its own: "-s ''" is an empty separator.
    if (const auto name = ValueOption(argument, commands);
        name && i + 1 < args.size() && *args[i + 1] != '\0') {
      split.options.push_back(*name + "=" + args[++i]);
      continue;
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

int Run(std::span<const char* const> args, Console& console) {
  CLI::App app{
      "Quelvane : conversion de codes SICOVAM <-> ISIN, dans des fichiers de cotations\n"
      "(quelvane-cli convert) ou code par code (quelvane-cli code).",
      "quelvane-cli"};
  UseFrenchHelp(app);
  app.set_version_flag("--version", std::string(kVersion), "Affiche la version et quitte");
  app.require_subcommand(1);

  CodeArgs codeArgs;
  CLI::App* code = AddCodeCommand(app, codeArgs);
  ConvertArgs convertArgs;
  CLI::App* convert = AddConvertCommand(app, convertArgs);

  SplitArguments split = SplitAtDoubleDash(args, {code, convert});
  if (const std::string_view word = CommandWord(split.options);
      !word.empty() && word != code->get_name() && word != convert->get_name()) {
    return ReportUsage(console, "quelvane-cli",
                       "commande inconnue : « " + std::string(word) + " » (code ou convert)");
  }
  std::reverse(split.options.begin(), split.options.end());  // the order CLI11 parses
  try {
    app.parse(split.options);
  } catch (const CLI::ParseError& error) {
    return ReportParseError(app, error, console);
  }
  if (code->parsed()) {
    codeArgs.codes.insert(codeArgs.codes.end(), split.trailing.begin(), split.trailing.end());
    return RunCodeCommand(codeArgs, console);
  }
  convertArgs.files.insert(convertArgs.files.end(), split.trailing.begin(), split.trailing.end());
  return RunConvertCommand(convertArgs, console);
}

}  // namespace

int RunCli(std::span<const char* const> args, Console& console) {
  // The libraries report their failures as values; what is left is running out of
  // memory, which deserves its own message rather than an abort.
  int status = kExitOutOfMemory;
  try {
    status = Run(args, console);
  } catch (const std::bad_alloc&) {
    console.err << "quelvane-cli : mémoire insuffisante.\n";
  }
  console.out.flush();
  if (console.outputLost != nullptr && console.outputLost()) {
    console.err << "quelvane-cli : impossible d'écrire les résultats sur la sortie standard.\n";
    return kExitOutputLost;
  }
  return status;
}

}  // namespace quelvane
