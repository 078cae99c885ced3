// <windows.h> as platform/win32 uses it: the wide API only, and none of the
// macros that would rename the platform's own functions (MessageBox, LoadIcon,
// SetWindowText...) in the files that define them.
#pragma once

#ifndef UNICODE
#define UNICODE
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
// clang-format off: commctrl.h and commdlg.h need the types of windows.h.
#include <commctrl.h>
#include <commdlg.h>
// clang-format on

#undef MessageBox
#undef LoadIcon
#undef GetWindowText
#undef SetWindowText
#undef GetDlgItemText
#undef SetDlgItemText
#undef CreateWindow
