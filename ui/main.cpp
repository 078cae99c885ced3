// quelvane: the desktop program.
#include <string>

#include "platform/application.h"
#include "platform/icon.h"
#include "res/resource_ids.h"
#include "ui/command_line.h"
#include "ui/converter_app.h"

int main(int argc, char** argv) {
  const std::string commandLine =
      quelvane::SystemCommandLine().value_or(quelvane::CommandLineFromArguments(argc, argv));
  quelvane::Application application(argc > 0 ? argv[0] : "quelvane");
  application.SetIcon(quelvane::LoadIcon(quelvane::res::kIconMain));
  quelvane::CConverterApp().InitInstance(commandLine);
  return 0;
}
