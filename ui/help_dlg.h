// The help window: the program's built-in guide in an editable text box (edits
// are forgotten: each opening shows the stored text again).
#pragma once

#include <string>

#include "platform/dialog.h"

namespace quelvane {

class CHelpDlg : public Dialog {
 public:
  explicit CHelpDlg(Dialog* parent = nullptr);

  bool OnInitDialog() override;

  // The four pieces of the help text, joined in order.
  static std::string HelpText();
};

}  // namespace quelvane
