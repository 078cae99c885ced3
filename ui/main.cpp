// quelvane: the desktop program.
#include <string>

#include "platform/application.h"
#include "platform/icon.h"
#include "res/resource_ids.h"
#include "ui/command_line.h"
#include "ui/converter_app.h"

int main(int argc, char** argv) {
  // Read before Qt takes its own options out of argv.
  const std::string commandLine = quelvane::CommandLineFromArguments(argc, argv);
  quelvane::Application application(argc, argv);
  application.SetIcon(quelvane::LoadIcon(quelvane::res::kIconMain));
  quelvane::CConverterApp().InitInstance(commandLine);
  return 0;
}
