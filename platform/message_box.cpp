// Every message box of the program passes here, whatever the toolkit: a test
// puts its presenter in the way, otherwise the desktop's own box is shown.
#include "platform/message_box.h"

#include <utility>

#include "platform/system_message_box.h"

namespace quelvane {
namespace {

MessageBoxPresenter& Presenter() {
  static MessageBoxPresenter presenter;
  return presenter;
}

}  // namespace

BoxAnswer ShowMessageBox(const Dialog* owner, std::string_view text, std::string_view caption,
                         BoxType type) {
  const MessageBoxRequest request{owner, std::string(text), std::string(caption), type};
  const MessageBoxPresenter& presenter = Presenter();
  return presenter ? presenter(request) : ShowSystemMessageBox(request);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

}  // namespace quelvane
