// The GUI tests' actions on Qt's widgets, on the offscreen platform.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QFileDialog>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QWidget>
#include <algorithm>
#include <cctype>

#include "platform/qt/access.h"
#include "platform/qt/controls.h"
#include "platform/qt/ownership.h"
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
    case Key::kTab:
      return Qt::Key_Tab;
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

void PressMnemonic(ScreenWindow window, char letter) {
  QWidget* widget = WidgetOf(window);
  widget->activateWindow();
  (void)QTest::qWaitForWindowActive(widget);
  const int key = Qt::Key_A + (std::toupper(static_cast<unsigned char>(letter)) - 'A');
  PressWidgetKey(widget, key, Qt::AltModifier);
}

void CloseWithCloseBox(ScreenWindow window) {
  WidgetOf(window)->close();
}

ScreenWindow WindowOf(const Dialog& dialog) {
  return {DialogWindow(dialog)};
}

ScreenWindow OwnerOf(ScreenWindow window) {
  QWidget* parent = WidgetOf(window)->parentWidget();
  return {parent == nullptr ? nullptr : parent->window()};
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

SidewaysExtent ListSidewaysExtent(const Dialog& dialog, int id) {
  auto* list = qobject_cast<QListView*>(DlgItemWidget(dialog, id));
  if (list == nullptr) return {0, 0};
  QApplication::processEvents();  // the layout the list has scheduled
  const int view = list->viewport()->width();
  const QScrollBar* bar = list->horizontalScrollBar();
  if (list->horizontalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) return {view, view};
  return {bar->maximum() - bar->minimum() + view, view};
}

void ScrollListToRightEnd(const Dialog& dialog, int id) {
  auto* list = qobject_cast<QListView*>(DlgItemWidget(dialog, id));
  if (list == nullptr) return;
  QApplication::processEvents();
  list->horizontalScrollBar()->triggerAction(QAbstractSlider::SliderToMaximum);
  QApplication::processEvents();
}

int TextWidthIn(const Dialog& dialog, int id, std::string_view text) {
  const QWidget* widget = DlgItemWidget(dialog, id);
  return widget == nullptr ? 0 : widget->fontMetrics().horizontalAdvance(ToQString(text));
}

void ShowAndWaitDrawn(const Dialog& dialog) {
  QDialog* window = DialogWindow(dialog);
  window->show();
  // A window shown is the active one, which draws where its focus is.
  window->activateWindow();
  (void)QTest::qWaitForWindowExposed(window);
  (void)QTest::qWaitForWindowActive(window);
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

bool SaveScreenshot(ScreenWindow window, std::string_view fileName) {
  const QString path = QStringLiteral(QUELVANE_BUILD_DIR "/") + ToQString(fileName);
  return WidgetOf(window)->grab().save(path);
}

bool SaveScreenshot(const Dialog& dialog, std::string_view fileName) {
  return SaveScreenshot(WindowOf(dialog), fileName);
}

std::optional<int> FocusedItem(const Dialog& dialog) {
  const QWidget* focus = DialogWindow(dialog)->focusWidget();
  for (std::size_t i = 0; focus != nullptr && i < dialog.Template().controls.size(); ++i) {
    if (DlgItemWidgetAt(dialog, i) == focus) return dialog.Template().controls[i].id;
  }
  return std::nullopt;
}

std::vector<std::uint32_t> ItemPicture(const Dialog& dialog, int id) {
  QWidget* widget = DlgItemWidget(dialog, id);
  if (widget == nullptr) return {};
  const QImage image = widget->grab().toImage().convertToFormat(QImage::Format_ARGB32);
  std::vector<std::uint32_t> pixels;
  for (int y = 0; y < image.height(); ++y) {
    const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
    pixels.insert(pixels.end(), row, row + image.width());
  }
  return pixels;
}

FontUnits DialogFontUnits(const Dialog& dialog) {
  const QFont font = DialogWindow(dialog)->font();
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {font.pointSize(), (letters / 26 + 1) / 2, metrics.height()};
}

namespace {

PixelRect ToPixelRect(const QRect& rect) {
  return {rect.x(), rect.y(), rect.width(), rect.height()};
}

}  // namespace

PixelRect ClientRect(const Dialog& dialog) {
  const QDialog* window = DialogWindow(dialog);
  return {0, 0, window->width(), window->height()};
}

PixelRect ItemRect(const Dialog& dialog, int id) {
  const QWidget* widget = DlgItemWidget(dialog, id);
  return widget == nullptr ? PixelRect{} : ToPixelRect(widget->geometry());
}

PixelRect ItemRectAt(const Dialog& dialog, std::size_t index) {
  const QWidget* widget = DlgItemWidgetAt(dialog, index);
  return widget == nullptr ? PixelRect{} : ToPixelRect(widget->geometry());
}

std::size_t ItemCount(const Dialog& dialog) {
  return static_cast<std::size_t>(
      DialogWindow(dialog)->findChildren<QWidget*>(Qt::FindDirectChildrenOnly).size());
}

std::optional<std::size_t> ItemHitAtCentreOf(const Dialog& dialog, std::size_t index) {
  const QDialog* window = DialogWindow(dialog);
  const QWidget* widget = DlgItemWidgetAt(dialog, index);
  if (widget == nullptr) return std::nullopt;
  const QWidget* hit = window->childAt(widget->geometry().center());
  while (hit != nullptr && hit->parentWidget() != window) hit = hit->parentWidget();
  for (std::size_t i = 0; hit != nullptr && DlgItemWidgetAt(dialog, i) != nullptr; ++i) {
    if (DlgItemWidgetAt(dialog, i) == hit) return i;
  }
  return std::nullopt;
}

namespace {

QMessageBox* BoxOf(ScreenWindow window) {
  return qobject_cast<QMessageBox*>(WidgetOf(window));
}

BoxAnswer AnswerOf(const QMessageBox& box, QAbstractButton* button) {
  switch (box.buttonRole(button)) {
    case QMessageBox::YesRole:
      return BoxAnswer::kYes;
    case QMessageBox::NoRole:
      return BoxAnswer::kNo;
    default:
      return BoxAnswer::kOk;
  }
}

}  // namespace

BoxIcon MessageBoxIcon(ScreenWindow box) {
  const QMessageBox* messageBox = BoxOf(box);
  switch (messageBox == nullptr ? QMessageBox::NoIcon : messageBox->icon()) {
    case QMessageBox::Critical:
      return BoxIcon::kStop;
    case QMessageBox::Question:
      return BoxIcon::kQuestion;
    case QMessageBox::Information:
      return BoxIcon::kInformation;
    case QMessageBox::Warning:
      return BoxIcon::kWarning;
    default:
      return BoxIcon::kNone;
  }
}

std::vector<BoxAnswer> MessageBoxButtons(ScreenWindow box) {
  std::vector<BoxAnswer> answers;
  if (QMessageBox* messageBox = BoxOf(box)) {
    for (QAbstractButton* button : messageBox->buttons()) {
      answers.push_back(AnswerOf(*messageBox, button));
    }
  }
  std::sort(answers.begin(), answers.end());
  return answers;
}

void PressMessageBoxButton(ScreenWindow box, BoxAnswer answer) {
  QMessageBox* messageBox = BoxOf(box);
  if (messageBox == nullptr) return;
  for (QAbstractButton* button : messageBox->buttons()) {
    if (AnswerOf(*messageBox, button) == answer) {
      button->click();
      return;
    }
  }
}

BoxLayout MessageBoxLayout(ScreenWindow box) {
  BoxLayout layout;
  QWidget* window = WidgetOf(box);
  const auto* label = window->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
  if (label == nullptr) return layout;
  const QFontMetrics metrics(label->font());
  for (const QString& line : label->text().split('\n')) {
    layout.longestLine = std::max(layout.longestLine, metrics.horizontalAdvance(line));
  }
  layout.textWidth = label->contentsRect().width();
  layout.textHeight = label->contentsRect().height();
  layout.wrappedHeight =
      metrics.boundingRect(QRect(0, 0, layout.textWidth, 1000), Qt::TextWordWrap, label->text())
          .height();
  layout.writtenHeight = metrics.boundingRect(QRect(0, 0, 10000, 1000), 0, label->text()).height();
  QFont titleFont = window->font();
  titleFont.setBold(true);
  layout.captionWidth = QFontMetrics(titleFont).horizontalAdvance(window->windowTitle());
  // Qt leaves the title bar to the desktop: room for the window's icon, up to
  // three buttons and the frame.
  layout.captionRoom = window->width() - 5 * 24;
  return layout;
}

namespace {

QFileDialog* FileDialogOf(ScreenWindow window) {
  return qobject_cast<QFileDialog*>(WidgetOf(window));
}

}  // namespace

std::vector<std::string> FileDialogFilters(ScreenWindow dialog) {
  std::vector<std::string> filters;
  const QFileDialog* fileDialog = FileDialogOf(dialog);
  const auto* types =
      fileDialog == nullptr ? nullptr : fileDialog->findChild<QComboBox*>("fileTypeCombo");
  for (int i = 0; types != nullptr && i < types->count(); ++i) {
    filters.push_back(types->itemText(i).toStdString());
  }
  return filters;
}

int FileDialogSelectedFilter(ScreenWindow dialog) {
  const QFileDialog* fileDialog = FileDialogOf(dialog);
  const auto* types =
      fileDialog == nullptr ? nullptr : fileDialog->findChild<QComboBox*>("fileTypeCombo");
  return types == nullptr ? -1 : types->currentIndex();
}

bool FileDialogTakesSeveralFiles(ScreenWindow dialog) {
  const QFileDialog* fileDialog = FileDialogOf(dialog);
  return fileDialog != nullptr && fileDialog->fileMode() == QFileDialog::ExistingFiles;
}

std::vector<std::string> FileDialogColumnsNotShownWhole(ScreenWindow dialog) {
  const QFileDialog* fileDialog = FileDialogOf(dialog);
  const auto* view =
      fileDialog == nullptr ? nullptr : fileDialog->findChild<QTreeView*>("treeView");
  if (view == nullptr || !view->isVisible()) return {"(no detail view)"};
  std::vector<std::string> cut;
  const QHeaderView* header = view->header();
  const int margin = header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
  for (int column = 0; column < header->count(); ++column) {
    if (header->isSectionHidden(column)) continue;
    const QString title = view->model()->headerData(column, Qt::Horizontal).toString();
    if (header->sectionSize(column) < header->fontMetrics().horizontalAdvance(title) + 2 * margin ||
        header->sectionPosition(column) + header->sectionSize(column) > view->viewport()->width()) {
      cut.push_back(title.toStdString());
    }
  }
  return cut;
}

void ChooseInFileDialog(ScreenWindow dialog, const std::vector<std::string>& names) {
  QFileDialog* fileDialog = FileDialogOf(dialog);
  if (fileDialog == nullptr) return;
  QString typed;
  for (const std::string& name : names) {
    typed += (typed.isEmpty() ? "\"" : " \"") + QString::fromStdString(name) + "\"";
  }
  fileDialog->findChild<QLineEdit*>("fileNameEdit")->setText(typed);
  QMetaObject::invokeMethod(fileDialog, "accept");
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
