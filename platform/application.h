// The desktop program's process-wide setup: the Qt application object, Qt's own
// texts in French, the program's name and icon. Exactly one exists, in main().
#pragma once

#include <memory>

namespace quelvane {

class Icon;

class Application {
 public:
  // Qt may take its own options out of argv: read the command line before.
  Application(int& argc, char** argv);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // The icon of every window that sets none of its own.
  void SetIcon(const Icon& icon);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quelvane
