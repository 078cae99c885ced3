// Message boxes on Qt: QMessageBox with the icon and buttons of each box type,
// as wide as its longest line and its caption.
#include "platform/system_message_box.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QSpacerItem>
#include <QStyle>
#include <algorithm>

#include "platform/message_box.h"
#include "platform/qt/access.h"
#include "platform/qt/ownership.h"

namespace quelvane {
namespace {

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

// The width a box may take at most: its screen's, less a margin.
int WidestBox(const QWidget& box) {
  const QScreen* screen = box.screen() != nullptr ? box.screen() : QGuiApplication::primaryScreen();
  return screen == nullptr ? 1000 : std::min(screen->availableGeometry().width() - 40, 1000);
}

// The lines of a message are laid out by whoever wrote it: the box is made wide
// enough for its longest line, so that Qt wraps none of them, and for its
// caption, so that the title bar does not cut it. Only a line wider than the
// screen allows is still wrapped.
void FitToTextAndCaption(QMessageBox& box) {
  const int widest = WidestBox(box);
  if (auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
    const QFontMetrics metrics(label->font());
    int longestLine = 0;
    for (const QString& line : box.text().split(u'\n')) {
      longestLine = std::max(longestLine, metrics.horizontalAdvance(line));
    }
    // One pixel more: the line breaker measures in fractions of a pixel.
    label->setMinimumWidth(std::min(longestLine + 1, widest * 3 / 4));
  }
  // Title bars set the caption in a heavier face, beside the window's icon, up
  // to three buttons and the frame.
  QFont titleFont = box.font();
  titleFont.setBold(true);
  const int titleBar = box.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &box);
  const int captionWidth =
      QFontMetrics(titleFont).horizontalAdvance(box.windowTitle()) + 5 * std::max(titleBar, 24);
  if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
    const QMargins margins = grid->contentsMargins();
    const int room = std::min(captionWidth, widest) - margins.left() - margins.right();
    grid->addItem(MakeForQt<QSpacerItem>(room, 0, QSizePolicy::Minimum, QSizePolicy::Minimum),
                  grid->rowCount(), 0, 1, grid->columnCount());
  }
}

}  // namespace

BoxAnswer ShowSystemMessageBox(const MessageBoxRequest& request) {
  QWidget* owner = request.owner != nullptr ? DialogWindow(*request.owner) : nullptr;
  QMessageBox box(IconOf(request.type), ToQString(request.caption), ToQString(request.text),
                  QMessageBox::NoButton, owner);
  // A file name in a message is text, never markup.
  box.setTextFormat(Qt::PlainText);
  FitToTextAndCaption(box);
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

}  // namespace quelvane
