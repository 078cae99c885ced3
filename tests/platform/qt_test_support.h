// Helpers of the tests of the Qt implementation itself, on Qt's own widgets.
#pragma once

#include <functional>

class QWidget;

namespace quelvane::testing {

// Runs `script` once a modal widget other than the one open now is up.
void WhenModalWidget(std::function<void(QWidget*)> script);

// Sends a key press and release to the widget that has the focus in `window`
// (or to the window itself).
void PressWidgetKey(QWidget* window, int key, int modifiers = 0);

}  // namespace quelvane::testing
