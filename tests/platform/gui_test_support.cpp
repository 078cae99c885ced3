#include "tests/platform/gui_test_support.h"

// The scripted boxes and selections, the same for every toolkit.

namespace quelvane::testing {

BoxRecorder::BoxRecorder(BoxAnswer defaultAnswer) : defaultAnswer_(defaultAnswer) {
  previous_ = SetMessageBoxPresenter([this](const MessageBoxRequest& request) {
    boxes_.push_back(request);
    if (watcher_) watcher_(request);
    if (answers_.empty()) return defaultAnswer_;
    const BoxAnswer answer = answers_.front();
    answers_.pop_front();
    return answer;
  });
}

BoxRecorder::~BoxRecorder() {
  SetMessageBoxPresenter(std::move(previous_));
}

std::vector<std::string> BoxRecorder::Texts() const {
  std::vector<std::string> texts;
  for (const MessageBoxRequest& box : boxes_) texts.push_back(box.text);
  return texts;
}

FileSelectionScript::FileSelectionScript() {
  previous_ = SetFileDialogPresenter([this](const FileDialogRequest& request) {
    requests_.push_back(request);
    std::optional<std::vector<std::string>> selection;
    if (!selections_.empty()) {
      selection = selections_.front();
      selections_.pop_front();
    }
    return selection;
  });
}

FileSelectionScript::~FileSelectionScript() {
  SetFileDialogPresenter(std::move(previous_));
}

}  // namespace quelvane::testing
