// Which handler an event of a dialog calls, whatever the toolkit: the first entry
// of the message map that matches, else OK and Cancel end the dialog.
#include "platform/dialog.h"

namespace quelvane {

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
