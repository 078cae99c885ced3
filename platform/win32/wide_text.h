// Texts at the edge of the Windows API: the program keeps UTF-8, Windows takes
// and gives UTF-16 (os/wide_text.h converts), and shows labels its own way.
// Only platform/win32 includes this.
#pragma once

#include <string>
#include <string_view>

#include "os/wide_text.h"

namespace quelvane {

// A label as Windows shows it: "&&" stands for '&'; any other '&' only marks the
// next character as a mnemonic.
std::wstring WithoutMnemonics(std::wstring_view text);

}  // namespace quelvane
