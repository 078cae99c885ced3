// The desktop's own message box, behind ShowMessageBox: each toolkit gives one.
#pragma once

#include "platform/message_box.h"

namespace quelvane {

BoxAnswer ShowSystemMessageBox(const MessageBoxRequest& request);

}  // namespace quelvane
