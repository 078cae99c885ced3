// Helpers of the GUI tests: scripted message boxes and file selections, temporary
// folders, and running a dialog modally while a script acts on it.
#pragma once

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "tests/core/test_files.h"

class QDialog;
class QWidget;

namespace quelvane::testing {

// Records every message box and answers from a script (then with the default).
class BoxRecorder {
 public:
  explicit BoxRecorder(BoxAnswer defaultAnswer = BoxAnswer::kOk);
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  void Answer(BoxAnswer answer) { answers_.push_back(answer); }
  // Called at each box, before it is answered (to look at the windows then).
  void OnBox(std::function<void(const MessageBoxRequest&)> watcher) {
    watcher_ = std::move(watcher);
  }

  const std::vector<MessageBoxRequest>& Boxes() const { return boxes_; }
  std::vector<std::string> Texts() const;

 private:
  std::vector<MessageBoxRequest> boxes_;
  std::deque<BoxAnswer> answers_;
  BoxAnswer defaultAnswer_;
  std::function<void(const MessageBoxRequest&)> watcher_;
  MessageBoxPresenter previous_;
};

// Answers the file-open dialogs from a script: each entry is the selection of one
// opening (nothing: the user cancels). Records what each opening was asked.
class FileSelectionScript {
 public:
  FileSelectionScript();
  ~FileSelectionScript();
  FileSelectionScript(const FileSelectionScript&) = delete;
  FileSelectionScript& operator=(const FileSelectionScript&) = delete;

  void Select(std::vector<std::string> paths) { selections_.emplace_back(std::move(paths)); }
  void Cancel() { selections_.emplace_back(std::nullopt); }
  const std::vector<FileDialogRequest>& Requests() const { return requests_; }

 private:
  std::deque<std::optional<std::vector<std::string>>> selections_;
  std::vector<FileDialogRequest> requests_;
  FileDialogPresenter previous_;
};

using TempFolder = ScratchFolder;

// Runs `script` once a modal window other than the one open now is up (a
// dialog's or a box's); the script usually ends it.
void WhenModal(std::function<void(QWidget*)> script);

// Sends a key press and release to the widget that has the focus in `window`
// (or to the window itself).
void PressKey(QWidget* window, int key, int modifiers = 0);

}  // namespace quelvane::testing
