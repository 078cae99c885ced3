// Windows only: texts at the edge of the Windows API. The program keeps UTF-8;
// Windows takes and gives UTF-16. Defined with the rest of the Windows side of
// the operating-system layer (os/windows.cpp), for it, for platform/win32
// and for the Windows tests.
#pragma once

#include <string>
#include <string_view>

namespace quelvane {

std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);

}  // namespace quelvane
