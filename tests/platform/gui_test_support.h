// Helpers of the GUI tests: scripted message boxes and file selections, temporary
// folders, a person's actions on the real windows (find the window on screen,
// press a key, click an item, type into an edit) and what the windows show
// (texts, places in pixels, pictures). Nothing here names a toolkit type: each
// toolkit gives its own implementation (gui_test_support_qt.cpp,
// gui_test_support_win32.cpp), so that the tests of platform/ and ui/ run on both.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/dialog.h"
#include "platform/file_dialog.h"
#include "platform/message_box.h"
#include "tests/support/test_files.h"

namespace quelvane::testing {

// Records every message box and answers from a script (then with the default).
class BoxRecorder {
 public:
  explicit BoxRecorder(BoxAnswer defaultAnswer = BoxAnswer::kOk);
  ~BoxRecorder();
  BoxRecorder(const BoxRecorder&) = delete;
  BoxRecorder& operator=(const BoxRecorder&) = delete;

  void Answer(BoxAnswer answer) { answers_.push_back(answer); }
  // Called at each box, before it is answered (to look at the windows then).
  void OnBox(std::function<void(const MessageBoxRequest&)> watcher) {
    watcher_ = std::move(watcher);
  }

  const std::vector<MessageBoxRequest>& Boxes() const { return boxes_; }
  std::vector<std::string> Texts() const;

 private:
  std::vector<MessageBoxRequest> boxes_;
  std::deque<BoxAnswer> answers_;
  BoxAnswer defaultAnswer_;
  std::function<void(const MessageBoxRequest&)> watcher_;
  MessageBoxPresenter previous_;
};

// Answers the file-open dialogs from a script: each entry is the selection of one
// opening (nothing: the user cancels). Records what each opening was asked.
class FileSelectionScript {
 public:
  FileSelectionScript();
  ~FileSelectionScript();
  FileSelectionScript(const FileSelectionScript&) = delete;
  FileSelectionScript& operator=(const FileSelectionScript&) = delete;

  void Select(std::vector<std::string> paths) { selections_.emplace_back(std::move(paths)); }
  void Cancel() { selections_.emplace_back(std::nullopt); }
  const std::vector<FileDialogRequest>& Requests() const { return requests_; }

 private:
  std::deque<std::optional<std::vector<std::string>>> selections_;
  std::vector<FileDialogRequest> requests_;
  FileDialogPresenter previous_;
};

using TempFolder = ScratchFolder;

// ---- Windows on screen ---------------------------------------------------------

// A top-level window on screen, a dialog's or a message box's, as the toolkit
// knows it.
struct ScreenWindow {
  void* handle = nullptr;
};

enum class Key : std::uint8_t { kReturn, kEscape, kDelete, kTab };

// Runs `script` once a modal window other than those open now is up (a dialog's
// or a box's); the script usually ends it.
void WhenModal(std::function<void(ScreenWindow)> script);
// Whether a modal window of the program is on screen.
bool ModalWindowShown();
// A key pressed and released where the window has the focus (or on the window).
void PressKey(ScreenWindow window, Key key);
// Alt and a letter, as a person presses a mnemonic.
void PressMnemonic(ScreenWindow window, char letter);
// Closes the window with its title bar's close box.
void CloseWithCloseBox(ScreenWindow window);
// The window of a created dialog; the window that owns a window (null handle:
// none).
ScreenWindow WindowOf(const Dialog& dialog);
ScreenWindow OwnerOf(ScreenWindow window);
std::string WindowTitle(ScreenWindow window);
// The text of the push button that has the focus; empty when no button has it.
std::string FocusedButtonText(ScreenWindow window);
// The message of a real message box.
std::string MessageBoxText(ScreenWindow box);
// Chooses an item the program added to the dialog's system menu, as the mouse
// does; false where the desktop gives windows no system menu.
bool ChooseSystemMenuItem(const Dialog& dialog, int command);

// ---- Items of a dialog -----------------------------------------------------------

// A click on a button, check box or radio button, as the mouse gives it.
void ClickItem(const Dialog& dialog, int id);
// Characters typed one key each into the control, at its cursor, as a person
// types them (an edit that refuses a character does not show it).
void TypeKeys(const Dialog& dialog, int id, std::string_view text);
// Selects the whole text of an edit, as Ctrl+A does; the Delete key then
// removes what is selected.
void SelectAllText(const Dialog& dialog, int id);
void DeleteSelectedText(const Dialog& dialog, int id);
bool HasSelectedText(const Dialog& dialog, int id);
bool IsReadOnly(const Dialog& dialog, int id);
// The text shown by the control at that place in the template ('&' markers
// taken out where the control shows a mnemonic).
std::string ShownTextAt(const Dialog& dialog, std::size_t index);
// How many whole lines a list box shows.
int VisibleListLines(const Dialog& dialog, int id);
// How far a list box scrolls sideways, in pixels: the width of its lines as it
// lays them out, and of the view it shows them in (the same when it cannot
// scroll sideways).
struct SidewaysExtent {
  int lines;
  int view;
};
SidewaysExtent ListSidewaysExtent(const Dialog& dialog, int id);
// Scrolls a list box to its right end, as the scroll bar does.
void ScrollListToRightEnd(const Dialog& dialog, int id);
// The width of a text in a control's font, in pixels.
int TextWidthIn(const Dialog& dialog, int id, std::string_view text);

// Shows a created dialog and waits until it is drawn.
void ShowAndWaitDrawn(const Dialog& dialog);
// The texts of the dialog's controls that are not shown whole (clipped, cut
// short, wrapped onto a line that does not show).
std::vector<std::string> TextsNotShownWhole(const Dialog& dialog);
// Writes a picture of the shown dialog (or box) into the build folder under
// that name.
bool SaveScreenshot(const Dialog& dialog, std::string_view fileName);
bool SaveScreenshot(ScreenWindow window, std::string_view fileName);
// The id of the control that has the focus in the dialog; none when no control has it.
std::optional<int> FocusedItem(const Dialog& dialog);
// The pixels of one control as it is drawn now, row by row.
std::vector<std::uint32_t> ItemPicture(const Dialog& dialog, int id);

// ---- Geometry, in pixels ------------------------------------------------------------

struct PixelRect {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int Right() const { return x + width; }
  int Bottom() const { return y + height; }
  bool operator==(const PixelRect&) const = default;
};

// The dialog's font as the window uses it: its size in points and the base units
// measured from it (the average width of the 52 letters, rounded, and the height
// of a line), which dialog units are quarters and eighths of.
struct FontUnits {
  int points = 0;
  int baseX = 0;
  int baseY = 0;
};
FontUnits DialogFontUnits(const Dialog& dialog);
// The inside of the dialog (without title bar and frame), at (0, 0).
PixelRect ClientRect(const Dialog& dialog);
// A control's place inside the dialog.
PixelRect ItemRect(const Dialog& dialog, int id);
PixelRect ItemRectAt(const Dialog& dialog, std::size_t index);
// How many controls the dialog's window holds.
std::size_t ItemCount(const Dialog& dialog);
// The template index of the control that a click at the centre of the control
// at `index` reaches; none when it reaches no control.
std::optional<std::size_t> ItemHitAtCentreOf(const Dialog& dialog, std::size_t index);

// ---- Message boxes and the file-open dialog on screen -------------------------------

enum class BoxIcon : std::uint8_t { kNone, kStop, kQuestion, kInformation, kWarning };
BoxIcon MessageBoxIcon(ScreenWindow box);
// The answers of the box's buttons, in the order of their values.
std::vector<BoxAnswer> MessageBoxButtons(ScreenWindow box);
void PressMessageBoxButton(ScreenWindow box, BoxAnswer answer);
// How a box lays out its message and caption, in pixels.
struct BoxLayout {
  int textWidth = 0;      // the width the message is shown in
  int textHeight = 0;     // the height it is shown in
  int longestLine = 0;    // the width of its longest line
  int wrappedHeight = 0;  // the message's height when broken at textWidth
  int writtenHeight = 0;  // its height with no line broken
  int captionWidth = 0;   // the caption's, in the title bar's font
  int captionRoom = 0;    // what the title bar leaves the caption beside its
                          // icon, buttons and frame
};
BoxLayout MessageBoxLayout(ScreenWindow box);

// The file types the dialog offers, and which one is selected (from 0).
std::vector<std::string> FileDialogFilters(ScreenWindow dialog);
int FileDialogSelectedFilter(ScreenWindow dialog);
// Whether the dialog lets the user choose several files at once.
bool FileDialogTakesSeveralFiles(ScreenWindow dialog);
// The titles of the columns of its file list that do not show whole.
std::vector<std::string> FileDialogColumnsNotShownWhole(ScreenWindow dialog);
// Chooses those files of the folder the dialog shows and confirms, as a person
// typing their names does.
void ChooseInFileDialog(ScreenWindow dialog, const std::vector<std::string>& names);

// Counts the paints of one control from now on.
class PaintCounter {
 public:
  PaintCounter(const Dialog& dialog, int id);
  ~PaintCounter();
  PaintCounter(const PaintCounter&) = delete;
  PaintCounter& operator=(const PaintCounter&) = delete;
  int Paints() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// ---- Input that waits in the queue --------------------------------------------------

// A mouse click and a typed character, queued as the window system queues a
// person's input: they act when the program next takes its input.
void PostClick(const Dialog& dialog, int id);
void PostChar(const Dialog& dialog, int id, char character);
// Queues the deletion of an object of the toolkit's own; the answer tells
// whether the object still exists.
std::function<bool()> PostDeletion();
// Runs `body` from the toolkit's event loop, as a handler runs in the program,
// and returns once it has run.
void RunFromEventLoop(const std::function<void()>& body);
// Handles every event waiting, input included.
void ProcessEvents();

}  // namespace quelvane::testing
