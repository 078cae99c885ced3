// The desktop program's process-wide setup on Windows: the common controls of the
// current look (the manifest asks for their version 6), the program's icon as the
// default of its windows, and the command line as Windows hands it over.
#include "platform/application.h"

#include <string>

#include "platform/icon.h"
#include "platform/win32/access.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace quelvane {

struct Application::Impl {};

Application::Application(std::string_view /*programName*/) : impl_(std::make_unique<Impl>()) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  ::InitCommonControlsEx(&controls);
}

Application::~Application() = default;

void Application::SetIcon(const Icon& icon) {
  SetDefaultWindowIcon(icon);
}

std::optional<std::string> SystemCommandLine() {
  // The program's name ends at its closing quote when quoted, else at the first
  // blank or control character; then every character of code 1 to 32 goes.
  const wchar_t* rest = ::GetCommandLineW();
  if (*rest == L'"') {
    ++rest;
    while (*rest != L'\0' && *rest != L'"') ++rest;
    if (*rest == L'"') ++rest;
  } else {
    while (*rest > L' ') ++rest;
  }
  while (*rest >= 1 && *rest <= L' ') ++rest;
  return FromWide(rest);
}

}  // namespace quelvane
