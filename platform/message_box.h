// Message boxes: every box of the program goes through ShowMessageBox, whose
// presenter tests replace to record the boxes and answer them from a script.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace quelvane {

class Dialog;

// Box types: the buttons in the low four bits, the icon in the next four.
inline constexpr int kMbOk = 0x0;
inline constexpr int kMbOkCancel = 0x1;
inline constexpr int kMbYesNo = 0x4;
inline constexpr int kMbIconStop = 0x10;
inline constexpr int kMbIconQuestion = 0x20;
inline constexpr int kMbIconExclamation = 0x30;
inline constexpr int kMbIconInformation = 0x40;

// Answers.
inline constexpr int kIdAnswerOk = 1;
inline constexpr int kIdAnswerCancel = 2;
inline constexpr int kIdAnswerYes = 6;
inline constexpr int kIdAnswerNo = 7;

struct MessageBoxRequest {
  const Dialog* owner;  // nullptr: a box of its own, owned by no window
  std::string text;     // UTF-8, '\n' between lines; shown as plain text
  std::string caption;
  int type;
};

using MessageBoxPresenter = std::function<int(const MessageBoxRequest&)>;

// Shows the box and returns the answer. The real boxes speak French ("OK",
// "Annuler", "Oui", "Non") and are modal to their owner, or to the whole
// program without one.
int ShowMessageBox(const Dialog* owner, std::string_view text, std::string_view caption, int type);

// Replaces the presenter and returns the previous one; an empty presenter brings
// back the real boxes.
MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter);

}  // namespace quelvane
