// quelvane-cli: the conversions of the desktop program without a window.
#include <cstddef>

#include "cli/cli.h"

int main(int argc, char** argv) {
  quelvane::Console console = quelvane::StandardConsole();
  return quelvane::RunCli({argv, static_cast<std::size_t>(argc)}, console);
}
