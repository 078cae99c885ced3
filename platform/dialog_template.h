// Dialog templates: what a window is made of, as data. A template lists its
// controls in order (that order is also the tab order), with their ids, kinds,
// texts and positions in dialog units, which the dialog converts to pixels with
// the base units of its font. Plain C++: res/ holds the templates, platform/
// builds windows from them.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace quelvane {

// Command ids of the standard buttons and the id of controls nobody addresses.
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;
inline constexpr int kIdStatic = -1;

enum class ControlKind : std::uint8_t {
  kPushButton,
  kAutoRadioButton,  // a click checks it and unchecks the radio buttons of its group
  kAutoCheckBox,     // a click toggles it
  kEdit,
  kListBox,  // never sorted: lines stay in the order they were added
  kStatic,
  kGroupBox,  // a frame with a caption, drawn behind the controls it surrounds
};

// Style marks of a control, combined with |.
enum ControlStyle : std::uint32_t {
  kGroup = 1u << 0,        // starts a group (radio buttons of one group exclude each other)
  kTabStop = 1u << 1,      // reached with the Tab key
  kDefault = 1u << 2,      // push button pressed by Enter
  kCentered = 1u << 3,     // static text, centred
  kNoPrefix = 1u << 4,     // static text shown with its '&' characters
  kMultiLine = 1u << 5,    // edit of several lines; long lines wrap at the right edge
  kAutoHScroll = 1u << 6,  // single-line edit scrolling sideways as text is typed
  kVScroll = 1u << 7,      // vertical scroll bar
  kBorder = 1u << 8,
  kWantReturn =
      1u
      << 9,  // multi-line edit taking Enter for a new line (else Enter presses the default button)
  kReadOnly = 1u << 10,
  kNotify = 1u << 11,            // list box reporting clicks (no handler uses them)
  kNoIntegralHeight = 1u << 12,  // list box keeping the template's height exactly
  kHScroll = 1u << 13,           // list box scrolling sideways to its widest line
};

struct DialogControl {
  int id;
  ControlKind kind;
  std::string_view text;  // UTF-8; '&' marks the mnemonic of buttons, "&&" stands for '&'
  int x, y, cx, cy;       // dialog units
  std::uint32_t style;
};

struct DialogTemplate {
  int id;
  std::string_view caption;
  int cx, cy;      // client area in dialog units
  int fontPoints;  // the size of the dialog font; each toolkit uses the desktop's own face
  std::span<const DialogControl> controls;
};

// What every toolkit reads of a template the same way.
inline bool HasStyle(const DialogControl& control, std::uint32_t style) {
  return (control.style & style) != 0;
}
// A control's text as shown: "&&" stands for '&'; any other '&' only marks the
// next character as a mnemonic.
std::string WithoutMnemonics(std::string_view text);

// Dialog units are quarters of the horizontal base unit and eighths of the
// vertical one (the font's height), so that a template keeps its proportions
// at any font size. The horizontal base unit is the average width of these 52
// letters, in whole pixels: every control edge then falls on the same grid.
inline constexpr std::string_view kBaseUnitLetters =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
inline int HorizontalBaseUnit(int lettersWidth) {
  return (lettersWidth / 26 + 1) / 2;
}
// The product divided, rounded half away from zero, as Windows' MulDiv.
inline int MulDiv(int value, int numerator, int denominator) {
  const long long product = static_cast<long long>(value) * numerator;
  const long long half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : (product - half) / denominator);
}

}  // namespace quelvane
