// Letters and digits as the Windows-1252 code page classes them. Quote files and
// typed codes are 8-bit text in that code page, so every recogniser uses these.
#pragma once

namespace quelvane {

// A to Z, a to z and the letters of the code page's upper half.
bool IsCharAlpha(char c);
// IsCharAlpha, or a digit 0 to 9.
bool IsCharAlphaNumeric(char c);

}  // namespace quelvane
