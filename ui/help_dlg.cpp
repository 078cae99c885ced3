#include "ui/help_dlg.h"

#include "res/help_text.h"
#include "res/resources.h"

namespace quelvane {

CHelpDlg::CHelpDlg(Dialog* parent) : Dialog(res::GetDialogTemplate(res::kIddHelp), parent) {}

std::string CHelpDlg::HelpText() {
  std::string text;
  for (const std::string_view piece : kHelpTextPieces) text += piece;
  return text;
}

bool CHelpDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  SetDlgItemText(res::kIdcHelpText, HelpText());
  // The focus goes to the first tab stop, "&Fermer", so the text is not selected.
  return true;
}

}  // namespace quelvane
