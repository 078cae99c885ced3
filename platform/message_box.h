// Message boxes: every box of the program goes through ShowMessageBox, whose
// presenter tests replace to record the boxes and answer them from a script.
#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "platform/box_types.h"

namespace quelvane {

class Dialog;

struct MessageBoxRequest {
  const Dialog* owner;  // nullptr: a box of its own, owned by no window
  std::string text;     // UTF-8, '\n' between lines; shown as plain text
  std::string caption;
  BoxType type;
};

using MessageBoxPresenter = std::function<BoxAnswer(const MessageBoxRequest&)>;

// Shows the box and returns the answer. The real boxes speak French ("OK",
// "Oui", "Non") and are modal to their owner, or to the whole program without one.
BoxAnswer ShowMessageBox(const Dialog* owner, std::string_view text, std::string_view caption,
                         BoxType type);

// Replaces the presenter and returns the previous one; an empty presenter brings
// back the real boxes.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

}  // namespace quelvane
