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

QMessageBox::Icon IconOf(BoxType type) {
  switch (type) {
    case BoxType::kStop:
      return QMessageBox::Critical;
    case BoxType::kQuestion:
      return QMessageBox::Question;
    case BoxType::kInformation:
      return QMessageBox::Information;
    case BoxType::kOk:
      break;
  }
  return QMessageBox::NoIcon;
}

BoxAnswer ShowQtMessageBox(const MessageBoxRequest& request) {
  QWidget* owner = request.owner != nullptr ? DialogWindow(*request.owner) : nullptr;
  QMessageBox box(IconOf(request.type), ToQString(request.caption), ToQString(request.text),
                  QMessageBox::NoButton, owner);
  // A file name in a message is text, never markup.
  box.setTextFormat(Qt::PlainText);
  if (request.type == BoxType::kQuestion) {
    QPushButton* yes = box.addButton(QStringLiteral("Oui"), QMessageBox::YesRole);
    QPushButton* no = box.addButton(QStringLiteral("Non"), QMessageBox::NoRole);
    box.setDefaultButton(yes);
    box.setEscapeButton(no);
    box.exec();
    // The close box answers as Escape does: No.
    return box.clickedButton() == yes ? BoxAnswer::kYes : BoxAnswer::kNo;
  }
  QPushButton* ok = box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
  box.setDefaultButton(ok);
  box.setEscapeButton(ok);
  box.exec();
  return BoxAnswer::kOk;
}

MessageBoxPresenter& Presenter() {
  static MessageBoxPresenter presenter;
  return presenter;
}

}  // namespace

BoxAnswer ShowMessageBox(const Dialog* owner, std::string_view text, std::string_view caption,
                         BoxType type) {
  const MessageBoxRequest request{owner, std::string(text), std::string(caption), type};
  const MessageBoxPresenter& presenter = Presenter();
  return presenter ? presenter(request) : ShowQtMessageBox(request);
}

MessageBoxPresenter SetMessageBoxPresenter(MessageBoxPresenter presenter) {
  return std::exchange(Presenter(), std::move(presenter));
}

}  // namespace quelvane
