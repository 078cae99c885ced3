#include "tests/platform/gui_test_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <random>
#include <sstream>

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

TempFolder::TempFolder() {
  std::random_device random;
  path_ = std::filesystem::temp_directory_path() /
          ("quelvane-test-" + std::to_string(random()) + std::to_string(random()));
  std::filesystem::create_directories(path_);
}

TempFolder::~TempFolder() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::filesystem::path TempFolder::Write(const std::string& name, const std::string& bytes) const {
  std::filesystem::path file = path_ / name;
  std::ofstream(file, std::ios::binary) << bytes;
  return file;
}

std::string ReadFile(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void WhenModal(std::function<void(QWidget*)> script) {
  // Polls, as the modal window opens only once the caller has entered its loop.
  auto* timer = new QTimer(qApp);
  QWidget* before = QApplication::activeModalWidget();
  QObject::connect(timer, &QTimer::timeout, timer, [timer, before, script = std::move(script)] {
    QWidget* modal = QApplication::activeModalWidget();
    if (modal == nullptr || modal == before || !modal->isVisible()) return;
    timer->stop();
    timer->deleteLater();
    script(modal);
  });
  timer->start(0);
}

void PressKey(QWidget* window, int key, int modifiers) {
  QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
  QTest::keyClick(target, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
}

}  // namespace quelvane::testing
