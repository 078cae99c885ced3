// What the tests read of a dialog beyond what the program asks of it (whether a
// control is enabled, which line of a list is selected or on top, a line's
// text), and what they do to it that the program never does (move the focus,
// make a list hold fewer lines). The same on every toolkit; the program never
// includes this.
#pragma once

#include <cstddef>
#include <string>

#include "platform/dialog.h"

namespace quelvane {

bool IsDlgItemEnabled(const Dialog& dialog, int id);
void GotoDlgCtrl(Dialog& dialog, int id);  // gives the focus to that control
int ListGetCurSel(const Dialog& dialog, int id);
std::string ListGetText(const Dialog& dialog, int id, int index);
int ListGetTopIndex(const Dialog& dialog, int id);  // first line in view
void ListSetCapacity(Dialog& dialog, int id, std::size_t capacity);

}  // namespace quelvane
