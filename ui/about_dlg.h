// The About box: name, version and date, licence, where the documentation is.
#pragma once

#include "platform/dialog.h"
#include "res/resources.h"

namespace quelvane {

class CAboutDlg : public Dialog {
 public:
  CAboutDlg() : Dialog(res::GetDialogTemplate(res::kIddAbout)) {}
};

}  // namespace quelvane
