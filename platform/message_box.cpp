#include "platform/message_box.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <utility>

#include "platform/qt_access.h"

namespace quelvane {
namespace {

QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QMessageBox::Icon IconOf(int type) {
  switch (type & 0xF0) {
    case kMbIconStop:
      return QMessageBox::Critical;
    case kMbIconQuestion:
      return QMessageBox::Question;
    case kMbIconExclamation:
      return QMessageBox::Warning;
    case kMbIconInformation:
      return QMessageBox::Information;
    default:
      return QMessageBox::NoIcon;
  }
}

int ShowQtMessageBox(const MessageBoxRequest& request) {
  QWidget* owner = request.owner != nullptr ? DialogWindow(*request.owner) : nullptr;
  QMessageBox box(IconOf(request.type), ToQString(request.caption), ToQString(request.text),
                  QMessageBox::NoButton, owner);
  // A file name in a message is text, never markup.
  box.setTextFormat(Qt::PlainText);

  std::vector<std::pair<QPushButton*, int>> answers;
  const auto add = [&](const char* text, QMessageBox::ButtonRole role, int answer) {
    QPushButton* button = box.addButton(QString::fromUtf8(text), role);
    answers.emplace_back(button, answer);
    return button;
  };
  switch (request.type & 0x0F) {
    case kMbYesNo:
      box.setDefaultButton(add("Oui", QMessageBox::YesRole, kIdAnswerYes));
      box.setEscapeButton(add("Non", QMessageBox::NoRole, kIdAnswerNo));
      break;
    case kMbOkCancel:
      box.setDefaultButton(add("OK", QMessageBox::AcceptRole, kIdAnswerOk));
      box.setEscapeButton(add("Annuler", QMessageBox::RejectRole, kIdAnswerCancel));
      break;
    default:
      box.setDefaultButton(add("OK", QMessageBox::AcceptRole, kIdAnswerOk));
      box.setEscapeButton(box.defaultButton());
      break;
  }
  box.exec();
  for (const auto& [button, answer] : answers) {
    if (box.clickedButton() == button) return answer;
  }
  return answers.size() > 1 ? answers.back().second : kIdAnswerOk;
}

MessageBoxPresenter& Presenter() {
  static MessageBoxPresenter presenter;
  return presenter;
}

}  // namespace

int ShowMessageBox(const Dialog* owner, std::string_view text, std::string_view caption, int type) {
  const MessageBoxRequest request{owner, std::string(text), std::string(caption), type};
  const MessageBoxPresenter& presenter = Presenter();
  return presenter ? presenter(request) : ShowQtMessageBox(request);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

}  // namespace quelvane
