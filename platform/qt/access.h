// The Qt objects behind the platform's types, for platform/ itself and for tests
// that drive the real widgets. The program's own code (ui/) never includes this.
#pragma once

#include <QIcon>
#include <QString>
#include <cstddef>
#include <string_view>

class QDialog;
class QWidget;

namespace quelvane {

class Dialog;
class Icon;

// The window of a created dialog, or nullptr.
QDialog* DialogWindow(const Dialog& dialog);
// The widget of the control with that id, or nullptr.
QWidget* DlgItemWidget(const Dialog& dialog, int id);
// The widget of the control at that place in the template, or nullptr.
QWidget* DlgItemWidgetAt(const Dialog& dialog, std::size_t index);
QIcon ToQIcon(const Icon& icon);

// The program's texts are UTF-8; Qt's are UTF-16.
inline QString ToQString(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace quelvane
