// quelvane-cli: the conversions of the desktop program without a window.
#include <string>
#include <vector>

#include "cli/cli.h"
#include "os/os.h"

int main(int argc, char** argv) {
  quelvane::Console console = quelvane::StandardConsole();
  // In UTF-8 on every system: on Windows from the wide command line, where the
  // program expands the file-name patterns that cmd hands on as typed.
  const std::vector<std::string> arguments = quelvane::CommandLineArguments(argc, argv);
  std::vector<const char*> args;
  for (const std::string& argument : arguments) args.push_back(argument.c_str());
  return quelvane::RunCli(args, console, quelvane::WildcardArguments(arguments));
}
