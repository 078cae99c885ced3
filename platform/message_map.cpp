// Which handler an event of a dialog calls, whatever the toolkit: the first entry
// of the message map that matches, else OK and Cancel end the dialog; and what
// the dialog's own handlers do unless a dialog overrides them.
#include "platform/dialog.h"

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

}  // namespace quelvane
