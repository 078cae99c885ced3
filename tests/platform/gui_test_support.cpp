#include "tests/platform/gui_test_support.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <fstream>
#include <random>
#include <sstream>

#include "platform/qt_ownership.h"

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

void WhenModal(std::function<void(QWidget*)> script) {
  // Polls, as the modal window opens only once the caller has entered its loop.
  auto* timer = MakeForQt<QTimer>(qApp);
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
