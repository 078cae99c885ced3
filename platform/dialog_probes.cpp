#include "platform/dialog_probes.h"

namespace quelvane {

bool IsDlgItemEnabled(const Dialog& dialog, int id) {
  return dialog.IsDlgItemEnabled(id);
}
void GotoDlgCtrl(Dialog& dialog, int id) {
  dialog.GotoDlgCtrl(id);
}
int ListGetCurSel(const Dialog& dialog, int id) {
  return dialog.ListGetCurSel(id);
}
std::string ListGetText(const Dialog& dialog, int id, int index) {
  return dialog.ListGetText(id, index);
}
int ListGetTopIndex(const Dialog& dialog, int id) {
  return dialog.ListGetTopIndex(id);
}
void ListSetCapacity(Dialog& dialog, int id, std::size_t capacity) {
  dialog.ListSetCapacity(id, capacity);
}

}  // namespace quelvane
