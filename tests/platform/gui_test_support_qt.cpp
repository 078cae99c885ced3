// The GUI tests' actions on Qt's widgets, on the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QEventLoop>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include "platform/controls.h"
#include "platform/qt_access.h"
#include "platform/qt_ownership.h"
#include "tests/platform/gui_test_support.h"
#include "tests/platform/qt_test_support.h"

namespace quelvane::testing {
namespace {

QWidget* WidgetOf(ScreenWindow window) {
  return static_cast<QWidget*>(window.handle);
}

Qt::Key QtKey(Key key) {
  switch (key) {
    case Key::kReturn:
      return Qt::Key_Return;
    case Key::kEscape:
      return Qt::Key_Escape;
    case Key::kDelete:
      return Qt::Key_Delete;
  }
  return Qt::Key_unknown;
}

// The width that shows a control's whole text, or 0 for controls whose text
// does not set their size.
int NeededWidth(const QWidget* widget) {
  if (const auto* button = qobject_cast<const QPushButton*>(widget)) {
    return button->fontMetrics().horizontalAdvance(QString(button->text()).remove('&')) +
           2 * button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
  }
  if (const auto* box = qobject_cast<const QAbstractButton*>(widget)) {
    return box->sizeHint().width();  // box or circle, gap and text
  }
  if (const auto* label = dynamic_cast<const StaticText*>(widget)) {
    return label->fontMetrics().horizontalAdvance(label->text());
  }
  if (const auto* frame = dynamic_cast<const GroupFrame*>(widget)) return frame->NeededWidth();
  return 0;
}

QString TextOf(const QWidget* widget) {
  if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (const auto* label = dynamic_cast<const StaticText*>(widget)) return label->text();
  if (const auto* frame = dynamic_cast<const GroupFrame*>(widget)) return frame->text();
  return {};
}

}  // namespace

void WhenModalWidget(std::function<void(QWidget*)> script) {
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

void PressWidgetKey(QWidget* window, int key, int modifiers) {
  QWidget* target = window->focusWidget() != nullptr ? window->focusWidget() : window;
  QTest::keyClick(target, static_cast<Qt::Key>(key), Qt::KeyboardModifiers(modifiers));
}

void WhenModal(std::function<void(ScreenWindow)> script) {
  WhenModalWidget([script = std::move(script)](QWidget* window) {
    // Keys go where the focus is, as in an active window.
    window->activateWindow();
    (void)QTest::qWaitForWindowActive(window);
    script({window});
  });
}

bool ModalWindowShown() {
  return QApplication::activeModalWidget() != nullptr;
}

void PressKey(ScreenWindow window, Key key) {
  PressWidgetKey(WidgetOf(window), QtKey(key));
}

std::string WindowTitle(ScreenWindow window) {
  return WidgetOf(window)->windowTitle().toStdString();
}

std::string FocusedButtonText(ScreenWindow window) {
  const auto* button = qobject_cast<QAbstractButton*>(WidgetOf(window)->focusWidget());
  return button == nullptr ? std::string() : button->text().toStdString();
}

std::string MessageBoxText(ScreenWindow box) {
  const auto* label = WidgetOf(box)->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  return label == nullptr ? std::string() : label->text().toStdString();
}

bool ChooseSystemMenuItem(const Dialog& /*dialog*/, int /*command*/) {
  return false;  // Qt leaves the title bar's menu to the desktop
}

void ClickItem(const Dialog& dialog, int id) {
  auto* button = qobject_cast<QAbstractButton*>(DlgItemWidget(dialog, id));
  if (button != nullptr) button->click();
}

void TypeKeys(const Dialog& dialog, int id, std::string_view text) {
  QWidget* edit = DlgItemWidget(dialog, id);
  if (edit == nullptr) return;
  edit->setFocus();
  // One key per character, accented ones included.
  for (const QChar c : ToQString(text)) {
    QTest::sendKeyEvent(QTest::Click, edit, Qt::Key_unknown, QString(c), Qt::NoModifier);
  }
}

void SelectAllText(const Dialog& dialog, int id) {
  QWidget* widget = DlgItemWidget(dialog, id);
  if (auto* line = qobject_cast<QLineEdit*>(widget)) line->selectAll();
  if (auto* text = qobject_cast<QPlainTextEdit*>(widget)) text->selectAll();
}

void DeleteSelectedText(const Dialog& dialog, int id) {
  if (QWidget* edit = DlgItemWidget(dialog, id)) QTest::keyClick(edit, Qt::Key_Delete);
}

bool HasSelectedText(const Dialog& dialog, int id) {
  QWidget* widget = DlgItemWidget(dialog, id);
  if (const auto* line = qobject_cast<QLineEdit*>(widget)) return line->hasSelectedText();
  if (const auto* text = qobject_cast<QPlainTextEdit*>(widget)) {
    return text->textCursor().hasSelection();
  }
  return false;
}

bool IsReadOnly(const Dialog& dialog, int id) {
  QWidget* widget = DlgItemWidget(dialog, id);
  if (const auto* line = qobject_cast<QLineEdit*>(widget)) return line->isReadOnly();
  if (const auto* text = qobject_cast<QPlainTextEdit*>(widget)) return text->isReadOnly();
  return false;
}

std::string ShownTextAt(const Dialog& dialog, std::size_t index) {
  return TextOf(DlgItemWidgetAt(dialog, index)).toStdString();
}

int VisibleListLines(const Dialog& dialog, int id) {
  const QWidget* list = DlgItemWidget(dialog, id);
  return list == nullptr ? 0 : list->height() / list->fontMetrics().height();
}

void ShowAndWaitDrawn(const Dialog& dialog) {
  QDialog* window = DialogWindow(dialog);
  window->show();
  (void)QTest::qWaitForWindowExposed(window);
}

std::vector<std::string> TextsNotShownWhole(const Dialog& dialog) {
  std::vector<std::string> clipped;
  QDialog* window = DialogWindow(dialog);
  for (QWidget* widget : window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
    if (NeededWidth(widget) > widget->contentsRect().width() ||
        widget->fontMetrics().height() > widget->contentsRect().height()) {
      clipped.push_back(TextOf(widget).toStdString());
    }
  }
  return clipped;
}

bool SaveScreenshot(const Dialog& dialog, std::string_view fileName) {
  const QString path = QStringLiteral(QUELVANE_BUILD_DIR "/") + ToQString(fileName);
  return DialogWindow(dialog)->grab().save(path);
}

struct PaintCounter::Impl : QObject {
  int paints = 0;
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() == QEvent::Paint) ++paints;
    return QObject::eventFilter(watched, event);
  }
};

PaintCounter::PaintCounter(const Dialog& dialog, int id) : impl_(std::make_unique<Impl>()) {
  if (QWidget* widget = DlgItemWidget(dialog, id)) widget->installEventFilter(impl_.get());
}
PaintCounter::~PaintCounter() = default;
int PaintCounter::Paints() const {
  return impl_->paints;
}

void PostClick(const Dialog& dialog, int id) {
  QWidget* widget = DlgItemWidget(dialog, id);
  const QPointF centre = widget->rect().center();
  for (const QEvent::Type type : {QEvent::MouseButtonPress, QEvent::MouseButtonRelease}) {
    QCoreApplication::postEvent(
        widget, MakeForQt<QMouseEvent>(type, centre, widget->mapToGlobal(centre), Qt::LeftButton,
                                       Qt::LeftButton, Qt::NoModifier));
  }
}

void PostChar(const Dialog& dialog, int id, char character) {
  QCoreApplication::postEvent(
      DlgItemWidget(dialog, id),
      MakeForQt<QKeyEvent>(QEvent::KeyPress, Qt::Key_unknown, Qt::NoModifier,
                           QString(QChar::fromLatin1(character))));
}

std::function<bool()> PostDeletion() {
  QPointer<QObject> doomed = MakeForQt<QObject>();
  doomed->deleteLater();
  return [doomed] { return !doomed.isNull(); };
}

void RunFromEventLoop(const std::function<void()>& body) {
  QEventLoop loop;
  QTimer::singleShot(0, &loop, [&] {
    body();
    loop.quit();
  });
  loop.exec();
}

void ProcessEvents() {
  QCoreApplication::processEvents();
}

}  // namespace quelvane::testing
