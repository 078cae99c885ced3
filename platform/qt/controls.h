// The widgets that stand in for the controls of a dialog template where Qt's own
// behave differently: radio buttons that a click never unchecks, static texts that
// keep their whole text and show what fits, and list boxes backed by a model of
// plain lines with a capacity.
#pragma once

#include <QAbstractListModel>
#include <QListView>
#include <QRadioButton>
#include <QWidget>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace quelvane {

// An automatic radio button: a click always leaves it checked. Whether it unchecks
// others is the dialog's business (its template group), never Qt's.
class AutoRadioButton : public QRadioButton {
 public:
  explicit AutoRadioButton(const QString& text, QWidget* parent);

 protected:
  void nextCheckState() override;
};

// One line of static text. It keeps its whole text; what does not fit is elided
// (in the middle when centred, so both ends of a long path stay visible).
class StaticText : public QWidget {
 public:
  StaticText(const QString& text, bool centered, QWidget* parent);

  void setText(const QString& text);
  const QString& text() const { return text_; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  bool centered_;
};

// A group box as the templates draw it: an etched frame whose top line runs
// through the middle of its caption. It holds nothing; the controls it surrounds
// are its siblings, above it.
class GroupFrame : public QWidget {
 public:
  GroupFrame(const QString& text, QWidget* parent);

  void setText(const QString& text);
  const QString& text() const { return text_; }
  // The width that shows the whole caption with its margins.
  int NeededWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
};

// The lines of a list box, in the order they were added, up to a capacity.
class LineListModel : public QAbstractListModel {
 public:
  explicit LineListModel(QObject* parent);

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;

  int Add(std::string_view text);  // the new line's index, or kListErrSpace
  int Delete(int index);           // lines left, or kListErr
  void Clear();
  int Count() const { return static_cast<int>(lines_.size()); }
  const std::string* Line(int index) const;
  void SetCapacity(std::size_t capacity) { capacity_ = capacity; }

 private:
  std::deque<std::string> lines_;
  std::size_t capacity_;
};

// A list box: a list view over a LineListModel. One that scrolls sideways
// makes every line as wide as its widest, so that the view, which measures
// one line for all (a million lines are never measured one by one), scrolls
// far enough for any; the others cut a long line with an ellipsis.
class ListBox : public QListView {
 public:
  ListBox(QWidget* parent, bool sideways);
  LineListModel& Lines() { return *model_; }
  const LineListModel& Lines() const { return *model_; }
  // The first line in view (0 when the list is empty).
  int TopRow();

 protected:
  // With the keyboard focus and no current line to show it (an empty list, as
  // the file list is before any selection), the whole list shows a focus frame.
  void paintEvent(QPaintEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void MeasureLines(int first, int last);

  LineListModel* model_;
  int widest_ = 0;             // pixels: the widest line so far, with the view's margins
  std::vector<int> advances_;  // of the ASCII characters, in the list's font
  int otherAdvance_ = 0;       // at most, of a byte of any other
  int margins_ = 0;
};

}  // namespace quelvane
