// The desktop program's process-wide setup: the Qt application object, Qt's own
// texts in French, the program's name and icon. Exactly one exists, in main().
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace quelvane {

class Icon;

class Application {
 public:
  // Qt is given the program's name and nothing else: its own options
  // ("-reverse", "-style", "-platform"...) must not act on the program, whose
  // command line is read apart. The platform comes from QT_QPA_PLATFORM.
  explicit Application(std::string_view programName);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The icon of every window that sets none of its own.
  void SetIcon(const Icon& icon);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The text after the program's name on the command line, where the system hands
// the program one line of text (Windows, whose wide command line holds any
// name); nothing where it hands over arguments, which the caller then joins.
std::optional<std::string> SystemCommandLine();

}  // namespace quelvane
