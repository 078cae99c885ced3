// Message boxes are Windows' own: the box types of the program are the values
// MessageBoxW takes, and its buttons speak the system's language.
#include "platform/system_message_box.h"

#include "platform/message_box.h"
#include "platform/win32/access.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace quelvane {
namespace {}  // namespace

BoxAnswer ShowSystemMessageBox(const MessageBoxRequest& request) {
  HWND owner = request.owner != nullptr ? DialogWindow(*request.owner) : nullptr;
  // A box of its own (the start-up boxes) holds back every window of the program.
  const UINT modality = owner == nullptr ? MB_TASKMODAL : MB_APPLMODAL;
  const int answer =
      ::MessageBoxW(owner, ToWide(request.text).c_str(), ToWide(request.caption).c_str(),
                    static_cast<UINT>(request.type) | modality);
  switch (answer) {
    case IDYES:
      return BoxAnswer::kYes;
    case IDNO:
      return BoxAnswer::kNo;
    default:
      // The close box of a Yes/No box is disabled; of an OK box it answers OK.
      return request.type == BoxType::kQuestion ? BoxAnswer::kNo : BoxAnswer::kOk;
  }
}

}  // namespace quelvane
