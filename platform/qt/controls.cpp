// The Qt widgets that stand in for a template's controls where Qt's own behave
// otherwise: radio buttons a click never unchecks, static texts that keep their
// whole text, etched group frames, and list boxes of plain lines.
#include "platform/qt/controls.h"

#include <QPainter>
#include <QPalette>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <algorithm>
#include <string>

#include "platform/dialog.h"
#include "platform/qt/access.h"
#include "platform/qt/ownership.h"

namespace quelvane {

AutoRadioButton::AutoRadioButton(const QString& text, QWidget* parent)
    : QRadioButton(text, parent) {
  setAutoExclusive(false);
}

void AutoRadioButton::nextCheckState() {
  setChecked(true);
}

StaticText::StaticText(const QString& text, bool centered, QWidget* parent)
    : QWidget(parent), text_(text), centered_(centered) {
  setAccessibleName(text_);
}

void StaticText::setText(const QString& text) {
  if (text == text_) return;
  text_ = text;
  setAccessibleName(text_);
  update();
}

QSize StaticText::sizeHint() const {
  const QFontMetrics metrics = fontMetrics();
  return {metrics.horizontalAdvance(text_), metrics.height()};
}

void StaticText::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  const QString shown = fontMetrics().elidedText(
      text_, centered_ ? Qt::ElideMiddle : Qt::ElideRight, width(), Qt::TextSingleLine);
  const Qt::Alignment alignment = (centered_ ? Qt::AlignHCenter : Qt::AlignLeft) | Qt::AlignTop;
  painter.drawText(rect(), static_cast<int>(alignment | Qt::TextSingleLine), shown);
}

GroupFrame::GroupFrame(const QString& text, QWidget* parent) : QWidget(parent), text_(text) {
  setAttribute(Qt::WA_TransparentForMouseEvents);
  setAccessibleName(text_);
}

void GroupFrame::setText(const QString& text) {
  text_ = text;
  setAccessibleName(text_);
  update();
}

int GroupFrame::NeededWidth() const {
  const QFontMetrics metrics = fontMetrics();
  return metrics.horizontalAdvance(text_) + 2 * metrics.averageCharWidth() + 4;
}

void GroupFrame::paintEvent(QPaintEvent* /*event*/) {
  QPainter painter(this);
  const QFontMetrics metrics = fontMetrics();
  // Etched: a dark line with a light one just inside and below it.
  const QRect outer = rect().adjusted(0, metrics.height() / 2, -2, -2);
  painter.setPen(palette().color(QPalette::Mid));
  painter.drawRect(outer);
  painter.setPen(palette().color(QPalette::Light));
  painter.drawRect(outer.translated(1, 1));
  if (text_.isEmpty()) return;
  const QRect caption(metrics.averageCharWidth(), 0, metrics.horizontalAdvance(text_) + 4,
                      metrics.height());
  painter.fillRect(caption, palette().color(QPalette::Window));
  painter.setPen(
      palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
  painter.drawText(caption, static_cast<int>(Qt::AlignCenter | Qt::TextSingleLine), text_);
}

LineListModel::LineListModel(QObject* parent)
    : QAbstractListModel(parent), capacity_(kDefaultListCapacity) {}

int LineListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : Count();
}

QVariant LineListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole && role != Qt::ToolTipRole) return {};
  const std::string* line = Line(index.row());
  if (line == nullptr || !index.isValid()) return {};
  return ToQString(*line);
}

int LineListModel::Add(std::string_view text) {
  if (lines_.size() >= capacity_) return kListErrSpace;
  const int row = Count();
  beginInsertRows(QModelIndex(), row, row);
  lines_.emplace_back(text);
  endInsertRows();
  return row;
}

int LineListModel::Delete(int index) {
  if (index < 0 || index >= Count()) return kListErr;
  beginRemoveRows(QModelIndex(), index, index);
  lines_.erase(lines_.begin() + index);
  endRemoveRows();
  return Count();
}

void LineListModel::Clear() {
  beginResetModel();
  lines_.clear();
  endResetModel();
}

const std::string* LineListModel::Line(int index) const {
  if (index < 0 || index >= Count()) return nullptr;
  return &lines_[static_cast<std::size_t>(index)];
}

namespace {

// Each line as wide as the widest one measured: with uniform item sizes the
// view sizes every line like the one it samples.
class WidestLineDelegate final : public QStyledItemDelegate {
 public:
  WidestLineDelegate(QObject* parent, const int& widest)
      : QStyledItemDelegate(parent), widest_(widest) {}
  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setWidth(std::max(size.width(), widest_));
    return size;
  }

 private:
  const int& widest_;
};

}  // namespace

ListBox::ListBox(QWidget* parent, bool sideways)
    : QListView(parent), model_(MakeForQt<LineListModel>(this)) {
  setModel(model_);
  // Every line has the height of one line of text: the view never measures
  // a million lines to lay them out.
  setUniformItemSizes(true);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  if (!sideways) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    return;
  }
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setTextElideMode(Qt::ElideNone);
  setItemDelegate(MakeForQt<WidestLineDelegate>(this, widest_));
  connect(model_, &QAbstractItemModel::rowsInserted, this,
          [this](const QModelIndex&, int first, int last) { MeasureLines(first, last); });
  connect(model_, &QAbstractItemModel::modelReset, this, [this] { widest_ = 0; });
}

void ListBox::MeasureLines(int first, int last) {
  // A line is as wide as the sum of its characters' advances at most (kerning
  // narrows a pair more often than it widens one, by a pixel or so, which the
  // margin covers; a tab moves at most eight average characters; a byte of
  // another character, UTF-8 or Windows-1252, at most the widest character): a
  // small part of the cost of measuring it, for logs of a million lines.
  if (advances_.empty()) {
    const QFontMetrics metrics = fontMetrics();
    advances_.resize(0x80);
    for (char16_t c = 0; c < 0x80; ++c) advances_[c] = metrics.horizontalAdvance(QChar(c));
    advances_['\t'] = 8 * metrics.averageCharWidth();
    otherAdvance_ = metrics.maxWidth();
    margins_ = 2 * style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 4;
  }
  int widest = widest_;
  for (int row = first; row <= last; ++row) {
    const std::string* line = model_->Line(row);
    if (line == nullptr) continue;
    int width = margins_;
    for (const char byte : *line) {
      const auto c = static_cast<unsigned char>(byte);
      width += c < 0x80 ? advances_[c] : otherAdvance_;
    }
    widest = std::max(widest, width);
  }
  if (widest == widest_) return;
  widest_ = widest;
  // The view measures its sample line again only when laid out afresh.
  scheduleDelayedItemsLayout();
}

void ListBox::paintEvent(QPaintEvent* event) {
  QListView::paintEvent(event);
  if (!hasFocus() || currentIndex().isValid()) return;
  QPainter painter(viewport());
  QStyleOptionFocusRect frame;
  frame.initFrom(this);
  frame.rect = viewport()->rect().adjusted(1, 1, -1, -1);
  frame.backgroundColor = palette().color(QPalette::Base);
  style()->drawPrimitive(QStyle::PE_FrameFocusRect, &frame, &painter, this);
}

void ListBox::focusInEvent(QFocusEvent* event) {
  QListView::focusInEvent(event);
  viewport()->update();
}

void ListBox::focusOutEvent(QFocusEvent* event) {
  QListView::focusOutEvent(event);
  viewport()->update();
}

int ListBox::TopRow() {
  executeDelayedItemsLayout();
  const QModelIndex top = indexAt(QPoint(1, 1));
  return top.isValid() ? top.row() : 0;
}

}  // namespace quelvane
