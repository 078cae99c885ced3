// The vocabulary of message boxes: which buttons and icon a box has, and the
// answer it gives. The window's boxes (res/) are written in it, and the page's.
// The type values are Windows' own message-box flags (buttons in the low four
// bits, icon in the next four): the Win32 toolkit hands them to MessageBoxW as
// they are; the Qt one maps each to its icon and buttons.
#pragma once

#include <string_view>

namespace quelvane {

enum class BoxType : int {
  kOk = 0x00,           // OK, no icon
  kStop = 0x10,         // OK, stop icon
  kQuestion = 0x24,     // Yes and No, question icon
  kInformation = 0x40,  // OK, information icon
};

enum class BoxAnswer : int { kOk = 1, kYes = 6, kNo = 7 };

// A box as the program words it: UTF-8 text ('\n' between lines) and caption.
struct BoxMessage {
  std::string_view text;
  std::string_view caption;
  BoxType type;
};

}  // namespace quelvane
