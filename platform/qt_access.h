// The Qt objects behind the platform's types, for platform/ itself and for tests
// that drive the real widgets. The program's own code (ui/) never includes this.
#pragma once

#include <QIcon>
#include <cstddef>

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

}  // namespace quelvane
