// Dialogs on Qt: each template's controls are made as widgets at their
// dialog-unit positions, converted with the base units of the dialog's font,
// and the item operations by id act on those widgets. The modal loop is
// QDialog::exec.
#include "platform/dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QCoreApplication>
#include <QDialog>
#include <QEvent>
#include <QFontMetrics>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QValidator>
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "core/text.h"
#include "platform/icon.h"
#include "platform/message_box.h"
#include "platform/qt/access.h"
#include "platform/qt/controls.h"
#include "platform/qt/ownership.h"

namespace quelvane {
namespace {

std::string ToUtf8(const QString& text) {
  return text.toUtf8().toStdString();
}

QString WithoutMnemonics(const QString& text) {
  return QString::fromStdString(quelvane::WithoutMnemonics(ToUtf8(text)));
}

// The dialog's base units in pixels (see dialog_template.h).
struct BaseUnits {
  double x;
  int y;
};

BaseUnits MeasureBaseUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters = metrics.horizontalAdvance(
      QString::fromUtf8(kBaseUnitLetters.data(), static_cast<qsizetype>(kBaseUnitLetters.size())));
  return {static_cast<double>(HorizontalBaseUnit(letters)), metrics.height()};
}

// The width a control needs to show its whole text at the dialog's font, or 0
// for controls whose text does not set their size.
int NeededWidth(const QWidget* widget, ControlKind kind) {
  switch (kind) {
    case ControlKind::kPushButton: {
      const auto* button = static_cast<const QPushButton*>(widget);
      return widget->fontMetrics().horizontalAdvance(WithoutMnemonics(button->text())) +
             2 * widget->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, widget);
    }
    case ControlKind::kAutoRadioButton:
    case ControlKind::kAutoCheckBox:
    case ControlKind::kStatic:
      return widget->sizeHint().width();
    case ControlKind::kGroupBox:
      return static_cast<const GroupFrame*>(widget)->NeededWidth();
    case ControlKind::kEdit:
    case ControlKind::kListBox:
      return 0;
  }
  return 0;
}

// Enter in a multi-line edit that does not take it presses the default button.
class EnterToDefaultButton : public QObject {
 public:
  explicit EnterToDefaultButton(QWidget* window) : QObject(window), window_(window) {}

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (event->type() != QEvent::KeyPress) return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
      return QObject::eventFilter(watched, event);
    }
    for (QPushButton* button : window_->findChildren<QPushButton*>()) {
      if (button->isDefault() && button->isVisible()) {
        if (button->isEnabled()) button->click();
        return true;
      }
    }
    return true;
  }

 private:
  QWidget* window_;
};

QWidget* NewPushButton(const DialogControl& control, QWidget* window) {
  auto* button = MakeForQt<QPushButton>(ToQString(control.text), window);
  button->setAutoDefault(true);
  button->setDefault(HasStyle(control, kDefault));
  return button;
}

QWidget* NewMultiLineEdit(const DialogControl& control, QWidget* window) {
  auto* edit = MakeForQt<QPlainTextEdit>(ToQString(control.text), window);
  edit->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  edit->setVerticalScrollBarPolicy(HasStyle(control, kVScroll) ? Qt::ScrollBarAlwaysOn
                                                               : Qt::ScrollBarAlwaysOff);
  edit->setTabChangesFocus(true);
  edit->setReadOnly(HasStyle(control, kReadOnly));
  if (!HasStyle(control, kWantReturn))
    edit->installEventFilter(MakeForQt<EnterToDefaultButton>(window));
  if (!HasStyle(control, kBorder)) edit->setFrameShape(QFrame::NoFrame);
  return edit;
}

QWidget* NewEdit(const DialogControl& control, QWidget* window) {
  if (HasStyle(control, kMultiLine)) return NewMultiLineEdit(control, window);
  auto* edit = MakeForQt<QLineEdit>(ToQString(control.text), window);
  edit->setFrame(HasStyle(control, kBorder));
  edit->setReadOnly(HasStyle(control, kReadOnly));
  return edit;
}

QWidget* NewListBox(const DialogControl& control, QWidget* window) {
  auto* list = MakeForQt<ListBox>(window, HasStyle(control, kHScroll));
  if (!HasStyle(control, kBorder)) list->setFrameShape(QFrame::NoFrame);
  return list;
}

// The widget that stands for one control of a template.
QWidget* NewControl(const DialogControl& control, QWidget* window) {
  const QString text = ToQString(control.text);
  switch (control.kind) {
    case ControlKind::kPushButton:
      return NewPushButton(control, window);
    case ControlKind::kAutoRadioButton:
      return MakeForQt<AutoRadioButton>(text, window);
    case ControlKind::kAutoCheckBox:
      return MakeForQt<QCheckBox>(text, window);
    case ControlKind::kEdit:
      return NewEdit(control, window);
    case ControlKind::kListBox:
      return NewListBox(control, window);
    case ControlKind::kStatic:
      return MakeForQt<StaticText>(HasStyle(control, kNoPrefix) ? text : WithoutMnemonics(text),
                                   HasStyle(control, kCentered), window);
    case ControlKind::kGroupBox:
      return MakeForQt<GroupFrame>(WithoutMnemonics(text), window);
  }
  return MakeForQt<QWidget>(window);
}

// While paint events are let through, input that was posted to a widget (rather
// than coming from the window system, which Qt keeps back itself) is held and
// posted again afterwards, in its order: it acts once the handler has returned.
class InputHoldBack final : public QObject {
 public:
  InputHoldBack() { QCoreApplication::instance()->installEventFilter(this); }
  ~InputHoldBack() override {
    QCoreApplication::instance()->removeEventFilter(this);
    for (auto& [target, event] : held_) {
      if (target != nullptr) QCoreApplication::postEvent(target, event.release());
    }
  }
  InputHoldBack(const InputHoldBack&) = delete;
  InputHoldBack& operator=(const InputHoldBack&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override {
    if (!event->isInputEvent()) return false;
    held_.emplace_back(watched, event->clone());
    return true;
  }

 private:
  std::vector<std::pair<QPointer<QObject>, std::unique_ptr<QEvent>>> held_;
};

// A control of a dialog: where it comes from in the template and its widget.
struct ControlItem {
  int id;
  ControlKind kind;
  std::uint32_t style;
  std::size_t group;  // index of the control that starts its group
  QWidget* widget;
};

}  // namespace

// The window: its cancel paths (Escape, the close box) go to the dialog's OnCancel.
class TemplateWindow final : public QDialog {
 public:
  TemplateWindow(Dialog& dialog, QWidget* parent, Qt::WindowFlags flags)
      : QDialog(parent, flags), dialog_(dialog) {}

  void reject() override { dialog_.OnCancel(); }
  void accept() override { dialog_.OnOK(); }

 private:
  Dialog& dialog_;
};

struct Dialog::Impl {
  // The window belongs to its Qt parent as well: a dialog created under another
  // one goes when that one's window goes, and this pointer then reads as null,
  // so the dialog never deletes it a second time. The widgets of the items are
  // the window's children and are only used while the window exists.
  QPointer<TemplateWindow> window;
  std::vector<ControlItem> items;
  bool ended = false;
  int result = 0;

  const ControlItem* Find(int id) const {
    for (const ControlItem& item : items) {
      if (item.id == id) return &item;
    }
    return nullptr;
  }
  template <class W>
  W* Widget(int id) const {
    const ControlItem* item = Find(id);
    return item == nullptr ? nullptr : qobject_cast<W*>(item->widget);
  }
  ListBox* List(int id) const {
    const ControlItem* item = Find(id);
    return item == nullptr ? nullptr : dynamic_cast<ListBox*>(item->widget);
  }

  void CreateWindow(Dialog& dialog, QWidget* owner, const DialogTemplate& dialogTemplate);
  void CreateControls(const DialogTemplate& dialogTemplate);
  void LayOut(const DialogTemplate& dialogTemplate);
  void ConnectNotifications(Dialog& dialog);
  void UncheckOtherRadios(const ControlItem& clicked) const;
  void FocusFirstTabStop() const;
};

void Dialog::Impl::CreateWindow(Dialog& dialog, QWidget* owner,
                                const DialogTemplate& dialogTemplate) {
  const Qt::WindowFlags flags = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                                Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  window = MakeForQt<TemplateWindow>(dialog, owner, flags);
  // The desktop's own sans-serif face at the template's size; the base units
  // follow that face.
  QFont font = QApplication::font();
  font.setPointSize(dialogTemplate.fontPoints);
  window->setFont(font);
  window->setWindowTitle(ToQString(dialogTemplate.caption));
}

// The controls in template order, which is also the tab order of those with a
// tab stop. Controls without one still take the focus when clicked.
void Dialog::Impl::CreateControls(const DialogTemplate& dialogTemplate) {
  std::size_t group = 0;
  QWidget* previousTabStop = nullptr;
  for (std::size_t index = 0; index < dialogTemplate.controls.size(); ++index) {
    const DialogControl& control = dialogTemplate.controls[index];
    if (HasStyle(control, kGroup)) group = index;
    QWidget* widget = NewControl(control, window);
    if (widget->focusPolicy() != Qt::NoFocus) {
      const bool tabStop = HasStyle(control, kTabStop);
      widget->setFocusPolicy(tabStop ? Qt::StrongFocus : Qt::ClickFocus);
      if (tabStop && previousTabStop != nullptr) QWidget::setTabOrder(previousTabStop, widget);
      if (tabStop) previousTabStop = widget;
    }
    items.push_back({control.id, control.kind, control.style, group, widget});
  }
}

// Dialog units to pixels. A face other than the one the templates were drawn
// with may set some texts wider than the average letter predicts: the horizontal
// unit then grows, for the whole window, until every text fits.
void Dialog::Impl::LayOut(const DialogTemplate& dialogTemplate) {
  BaseUnits units = MeasureBaseUnits(window->font());
  for (std::size_t index = 0; index < items.size(); ++index) {
    const DialogControl& control = dialogTemplate.controls[index];
    const int needed = NeededWidth(items[index].widget, control.kind);
    if (control.cx > 0 && needed > 0) {
      // Edges are rounded to whole pixels: one more pixel keeps the width whole.
      units.x = std::max(units.x, 4.0 * (needed + 1) / control.cx);
    }
  }
  const auto toX = [&units](int x) { return static_cast<int>(std::lround(x * units.x / 4.0)); };
  const auto toY = [&units](int y) { return MulDiv(y, units.y, 8); };
  for (std::size_t index = 0; index < items.size(); ++index) {
    const DialogControl& control = dialogTemplate.controls[index];
    const int left = toX(control.x);
    const int top = toY(control.y);
    items[index].widget->setGeometry(left, top, toX(control.x + control.cx) - left,
                                     toY(control.y + control.cy) - top);
  }
  window->setFixedSize(toX(dialogTemplate.cx), toY(dialogTemplate.cy));
  // The first control of the template lies on top, as frames drawn after the
  // controls they surround must not cover them.
  for (auto item = items.rbegin(); item != items.rend(); ++item) item->widget->raise();
}

void Dialog::Impl::ConnectNotifications(Dialog& dialog) {
  for (const ControlItem& item : items) {
    const int id = item.id;
    if (auto* button = qobject_cast<QAbstractButton*>(item.widget)) {
      QObject::connect(button, &QAbstractButton::clicked, window, [this, &dialog, item] {
        UncheckOtherRadios(item);
        dialog.Dispatch(Notification::kClicked, item.id);
      });
    } else if (auto* line = qobject_cast<QLineEdit*>(item.widget)) {
      QObject::connect(line, &QLineEdit::textChanged, window,
                       [&dialog, id] { dialog.Dispatch(Notification::kChange, id); });
    } else if (auto* text = qobject_cast<QPlainTextEdit*>(item.widget)) {
      QObject::connect(text, &QPlainTextEdit::textChanged, window,
                       [&dialog, id] { dialog.Dispatch(Notification::kChange, id); });
    }
  }
}

// A click on an automatic radio button clears the other radio buttons of its
// template group, whatever Qt would group them with.
void Dialog::Impl::UncheckOtherRadios(const ControlItem& clicked) const {
  if (clicked.kind != ControlKind::kAutoRadioButton) return;
  for (const ControlItem& other : items) {
    if (other.group == clicked.group && other.kind == ControlKind::kAutoRadioButton &&
        other.id != clicked.id) {
      qobject_cast<QAbstractButton*>(other.widget)->setChecked(false);
    }
  }
}

void Dialog::Impl::FocusFirstTabStop() const {
  for (const ControlItem& item : items) {
    if ((item.style & kTabStop) != 0 && item.widget->isEnabled() &&
        item.widget->focusPolicy() != Qt::NoFocus) {
      item.widget->setFocus(Qt::TabFocusReason);
      return;
    }
  }
}

struct DialogAccess {
  static QDialog* Window(const Dialog& dialog) {
    return dialog.impl_ == nullptr ? nullptr : dialog.impl_->window.data();
  }
  static QWidget* Item(const Dialog& dialog, int id) {
    if (!dialog.IsCreated()) return nullptr;
    const ControlItem* item = dialog.impl_->Find(id);
    return item == nullptr ? nullptr : item->widget;
  }
  static QWidget* ItemAt(const Dialog& dialog, std::size_t index) {
    if (!dialog.IsCreated() || index >= dialog.impl_->items.size()) return nullptr;
    return dialog.impl_->items[index].widget;
  }
};

QDialog* DialogWindow(const Dialog& dialog) {
  return DialogAccess::Window(dialog);
}
QWidget* DlgItemWidget(const Dialog& dialog, int id) {
  return DialogAccess::Item(dialog, id);
}
QWidget* DlgItemWidgetAt(const Dialog& dialog, std::size_t index) {
  return DialogAccess::ItemAt(dialog, index);
}

Dialog::Dialog(const DialogTemplate& dialogTemplate, Dialog* parent)
    : template_(dialogTemplate), parent_(parent) {}

Dialog::~Dialog() {
  if (impl_ != nullptr) DeleteNow(impl_->window);
}

bool Dialog::IsCreated() const {
  return impl_ != nullptr && impl_->window != nullptr;
}

void Dialog::Create() {
  if (IsCreated()) return;
  impl_ = std::make_unique<Impl>();
  QWidget* owner = parent_ != nullptr ? DialogWindow(*parent_) : nullptr;
  if (owner == nullptr) owner = QApplication::activeModalWidget();
  impl_->CreateWindow(*this, owner, template_);
  impl_->CreateControls(template_);
  impl_->LayOut(template_);
  impl_->ConnectNotifications(*this);
  if (OnInitDialog()) impl_->FocusFirstTabStop();
}

int Dialog::DoModal() {
  Create();
  int result = impl_->result;
  if (!impl_->ended) result = impl_->window->exec();
  DestroyWindow();
  return result;
}

void Dialog::ShowWindow() {
  if (IsCreated()) impl_->window->show();
}

void Dialog::EndDialog(int result) {
  if (!IsCreated()) return;
  impl_->ended = true;
  impl_->result = result;
  impl_->window->done(result);
}

bool Dialog::DestroyWindow() {
  if (!IsCreated()) return false;
  DeleteNow(impl_->window);
  impl_->items.clear();
  return true;
}

void Dialog::CheckDlgButton(int id, int check) {
  if (!IsCreated()) return;
  if (auto* button = impl_->Widget<QAbstractButton>(id)) button->setChecked(check != 0);
}

int Dialog::IsDlgButtonChecked(int id) const {
  if (!IsCreated()) return 0;
  const auto* button = impl_->Widget<QAbstractButton>(id);
  return button != nullptr && button->isChecked() ? 1 : 0;
}

std::string Dialog::GetDlgItemText(int id) const {
  if (!IsCreated()) return {};
  const ControlItem* item = impl_->Find(id);
  if (item == nullptr) return {};
  if (const auto* line = qobject_cast<const QLineEdit*>(item->widget)) return ToUtf8(line->text());
  if (const auto* edit = qobject_cast<const QPlainTextEdit*>(item->widget)) {
    return ToUtf8(edit->toPlainText().replace(u'\n', QStringLiteral("\r\n")));
  }
  if (const auto* button = qobject_cast<const QAbstractButton*>(item->widget)) {
    return ToUtf8(button->text());
  }
  if (const auto* frame = dynamic_cast<const GroupFrame*>(item->widget)) {
    return ToUtf8(frame->text());
  }
  if (const auto* label = dynamic_cast<const StaticText*>(item->widget)) {
    return ToUtf8(label->text());
  }
  return {};
}

void Dialog::SetDlgItemText(int id, std::string_view text) {
  if (!IsCreated()) return;
  const ControlItem* item = impl_->Find(id);
  if (item == nullptr) return;
  const QString value = ToQString(text);
  if (auto* line = qobject_cast<QLineEdit*>(item->widget)) {
    {
      const QSignalBlocker quiet(line);
      line->setText(value);
    }
    Dispatch(Notification::kChange, id);
  } else if (auto* edit = qobject_cast<QPlainTextEdit*>(item->widget)) {
    {
      const QSignalBlocker quiet(edit);
      edit->setPlainText(QString(value).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    }
    Dispatch(Notification::kChange, id);
  } else if (auto* button = qobject_cast<QAbstractButton*>(item->widget)) {
    button->setText(value);
  } else if (auto* frame = dynamic_cast<GroupFrame*>(item->widget)) {
    frame->setText(value);
  } else if (auto* label = dynamic_cast<StaticText*>(item->widget)) {
    label->setText(value);
  }
}

namespace {

class Cp1252Validator final : public QValidator {
 public:
  using QValidator::QValidator;
  State validate(QString& input, int& /*position*/) const override {
    return EncodeCp1252(input.toStdString()) ? Acceptable : Invalid;
  }
};

}  // namespace

void Dialog::LimitDlgItemToCp1252(int id, std::size_t maxLength) {
  if (!IsCreated()) return;
  auto* edit = impl_->Widget<QLineEdit>(id);
  if (edit == nullptr) return;
  // Every Windows-1252 character is one UTF-16 unit: the edit's count is right.
  edit->setMaxLength(static_cast<int>(maxLength));
  edit->setValidator(MakeForQt<Cp1252Validator>(edit));
}

void Dialog::EnableDlgItem(int id, bool enable) {
  if (!IsCreated()) return;
  if (const ControlItem* item = impl_->Find(id)) item->widget->setEnabled(enable);
}

bool Dialog::IsDlgItemEnabled(int id) const {
  if (!IsCreated()) return false;
  const ControlItem* item = impl_->Find(id);
  return item != nullptr && item->widget->isEnabled();
}

void Dialog::GotoDlgCtrl(int id) {
  if (!IsCreated()) return;
  if (const ControlItem* item = impl_->Find(id)) item->widget->setFocus(Qt::OtherFocusReason);
}

void Dialog::RepaintDlgItem(int id) {
  if (!IsCreated()) return;
  if (const ControlItem* item = impl_->Find(id)) item->widget->repaint();
}

void Dialog::LetPaintThrough() {
  const InputHoldBack holdBack;
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void Dialog::SetWindowText(std::string_view title) {
  if (IsCreated()) impl_->window->setWindowTitle(ToQString(title));
}

std::string Dialog::GetWindowText() const {
  return IsCreated() ? ToUtf8(impl_->window->windowTitle()) : std::string();
}

void Dialog::SetIcon(const Icon& icon, bool /*bigIcon*/) {
  // One icon serves every size: Qt picks the size it needs from it.
  if (IsCreated()) impl_->window->setWindowIcon(ToQIcon(icon));
}

bool Dialog::AppendSystemMenuItem(int /*command*/, std::string_view /*text*/) {
  // Qt leaves the title bar's menu to the desktop, which offers no place for one.
  return false;
}

int Dialog::ListAddString(int id, std::string_view text) {
  ListBox* list = IsCreated() ? impl_->List(id) : nullptr;
  return list == nullptr ? kListErr : list->Lines().Add(text);
}

int Dialog::ListDeleteString(int id, int index) {
  ListBox* list = IsCreated() ? impl_->List(id) : nullptr;
  return list == nullptr ? kListErr : list->Lines().Delete(index);
}

int Dialog::ListGetCount(int id) const {
  const ListBox* list = IsCreated() ? impl_->List(id) : nullptr;
  return list == nullptr ? kListErr : list->Lines().Count();
}

void Dialog::ListResetContent(int id) {
  if (ListBox* list = IsCreated() ? impl_->List(id) : nullptr) list->Lines().Clear();
}

int Dialog::ListSetCurSel(int id, int index) {
  ListBox* list = IsCreated() ? impl_->List(id) : nullptr;
  if (list == nullptr) return kListErr;
  if (index < 0 || index >= list->Lines().Count()) {
    list->selectionModel()->clear();
    return kListErr;
  }
  const QModelIndex line = list->model()->index(index, 0);
  list->selectionModel()->setCurrentIndex(line, QItemSelectionModel::ClearAndSelect);
  list->scrollTo(line, QAbstractItemView::EnsureVisible);
  return index;
}

int Dialog::ListGetCurSel(int id) const {
  const ListBox* list = IsCreated() ? impl_->List(id) : nullptr;
  if (list == nullptr) return kListErr;
  const QModelIndexList selected = list->selectionModel()->selectedIndexes();
  return selected.isEmpty() ? kListErr : selected.front().row();
}

std::string Dialog::ListGetText(int id, int index) const {
  const ListBox* list = IsCreated() ? impl_->List(id) : nullptr;
  const std::string* line = list == nullptr ? nullptr : list->Lines().Line(index);
  return line == nullptr ? std::string() : *line;
}

int Dialog::ListGetTopIndex(int id) const {
  ListBox* list = IsCreated() ? impl_->List(id) : nullptr;
  return list == nullptr ? kListErr : list->TopRow();
}

void Dialog::ListSetCapacity(int id, std::size_t capacity) {
  if (ListBox* list = IsCreated() ? impl_->List(id) : nullptr) list->Lines().SetCapacity(capacity);
}

void Dialog::SetDlgItemRedraw(int id, bool redraw) {
  if (!IsCreated()) return;
  if (const ControlItem* item = impl_->Find(id)) item->widget->setUpdatesEnabled(redraw);
}

}  // namespace quelvane
