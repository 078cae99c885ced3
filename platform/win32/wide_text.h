// Texts at the edge of the Windows API: the program keeps UTF-8, Windows takes
// and gives UTF-16. Only platform/win32 includes this.
#pragma once

#include <string>
#include <string_view>

namespace quelvane {

std::wstring ToWide(std::string_view utf8);
std::string FromWide(std::wstring_view wide);

// A label as Windows shows it: "&&" stands for '&'; any other '&' only marks the
// next character as a mnemonic.
std::wstring WithoutMnemonics(std::wstring_view text);

}  // namespace quelvane
