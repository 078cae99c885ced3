// What a dialog does the same way whatever the toolkit: which handler an event
// calls (the first entry of the message map that matches, else OK and Cancel
// end the dialog), what the dialog's own handlers do unless a dialog overrides
// them, and the operations written with others.
#include "platform/dialog.h"
#include "platform/message_box.h"

namespace quelvane {

bool Dialog::OnInitDialog() {
  return true;
}
void Dialog::OnOK() {
  EndDialog(kIdOk);
}
void Dialog::OnCancel() {
  EndDialog(kIdCancel);
}

void Dialog::Dispatch(Notification event, int id) {
  for (const Handler& handler : handlers_) {
    if (handler.event == event && handler.id == id) {
      handler.call();
      return;
    }
  }
  if (event == Notification::kClicked && id == kIdOk) OnOK();
  if (event == Notification::kClicked && id == kIdCancel) OnCancel();
}

void Dialog::SetDlgItemInt(int id, std::int32_t value) {
  SetDlgItemText(id, std::to_string(value));
}

BoxAnswer Dialog::MessageBox(std::string_view text, std::string_view caption, BoxType type) {
  return ShowMessageBox(this, text, caption, type);
}

std::string WithoutMnemonics(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '&') {
      shown += text[i];
    } else if (i + 1 < text.size()) {
      shown += text[++i];
    }
  }
  return shown;
}

}  // namespace quelvane
