// The Windows objects behind the platform's types, for platform/win32 itself and
// for the tests that drive the real controls. The program's own code (ui/) never
// includes this.
#pragma once

#include <cstddef>

#include "platform/win32/windows_api.h"

namespace quelvane {

class Dialog;
class Icon;

// The window of a created dialog, or nullptr.
HWND DialogWindow(const Dialog& dialog);
// The control with that id, or nullptr.
HWND DlgItemWindow(const Dialog& dialog, int id);
// The control at that place in the template, or nullptr.
HWND DlgItemWindowAt(const Dialog& dialog, std::size_t index);
// The icon at the size Windows uses for big (title bar, Alt+Tab) or small icons.
HICON IconHandle(const Icon& icon, bool bigIcon);
// The icon of every dialog that sets none of its own.
void SetDefaultWindowIcon(const Icon& icon);

}  // namespace quelvane
