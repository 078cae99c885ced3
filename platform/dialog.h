// A dialog window built from a template, and the operations the program performs
// on its items by id. Handlers are bound through a message map: a click on a
// button, or a change of an edit's text, calls the member function mapped to that
// control. Derived classes override OnInitDialog, OnOK, OnCancel and DestroyWindow.
//
// Behaviour the program relies on:
// - DoModal builds the window, calls OnInitDialog before the window shows, runs
//   until EndDialog, calls DestroyWindow and returns the code given to EndDialog.
// - Setting an edit's text (SetDlgItemText, SetDlgItemInt) raises its change
//   notification, exactly once, before the call returns.
// - A click on an automatic radio button leaves it checked and unchecks the other
//   radio buttons of its template group; buttons of other groups are left alone.
// - Enter presses the default push button (or the push button that has the focus);
//   Escape and the close box call OnCancel. A click on button 1 (OK) or 2 (Cancel)
//   that the message map does not route calls OnOK or OnCancel.
// - A list box answers kListErrSpace when it holds its capacity of lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/box_types.h"
#include "platform/dialog_template.h"

namespace quelvane {

class Icon;

enum class Notification : std::uint8_t {
  kClicked,     // a push button, check box or radio button was clicked
  kChange,      // an edit's text changed, by the user or by the program
  kSysCommand,  // an item the program added to the window's system menu was chosen
};

template <class T>
struct MessageMapEntry {
  Notification event;
  int id;
  void (T::*handler)();
};

// Answers of the list box operations.
inline constexpr int kListErr = -1;
inline constexpr int kListErrSpace = -2;
// Lines a list box holds before it answers kListErrSpace.
inline constexpr std::size_t kDefaultListCapacity = 1'000'000;

class Dialog {
 public:
  // parent: the window that owns this one while it runs. Without one, a modal
  // dialog is owned by the dialog that is running modally at the time, if any.
  explicit Dialog(const DialogTemplate& dialogTemplate, Dialog* parent = nullptr);
  virtual ~Dialog();
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Runs the dialog modally; returns the code given to EndDialog.
  int DoModal();
  // Builds the window and initialises it without showing it or running a loop
  // (modeless use); the caller ends it with DestroyWindow.
  void Create();
  bool IsCreated() const;
  void ShowWindow();
  // Ends the modal loop with this code; for a modeless dialog, hides it.
  void EndDialog(int result);

  // Called once the controls exist, before the window shows. Return true to give
  // the focus to the first control with a tab stop; false when the dialog has
  // set the focus itself.
  virtual bool OnInitDialog();
  // Button 1 (Enter on the default button "OK"); ends the dialog with kIdOk.
  virtual void OnOK();
  // Escape, the close box, button 2; ends the dialog with kIdCancel.
  virtual void OnCancel();
  // Destroys the window; DoModal calls it when its loop ends. Overrides call the
  // base class last. True when there was a window to destroy.
  virtual bool DestroyWindow();

  // Item operations by id. Texts are UTF-8. On a dialog that is not created,
  // or for an id it has no control of, they do nothing and read as empty.
  void CheckDlgButton(int id, int check);  // 0 unchecked, 1 checked
  int IsDlgButtonChecked(int id) const;    // 0 or 1
  std::string GetDlgItemText(int id) const;
  void SetDlgItemText(int id, std::string_view text);
  void SetDlgItemInt(int id, std::int32_t value);  // signed decimal
  void EnableDlgItem(int id, bool enable);
  // An edit whose text goes to quote files and the profile, which are
  // Windows-1252: it takes at most maxLength characters, and only characters
  // Windows-1252 has (a character that could not be written is not typed).
  void LimitDlgItemToCp1252(int id, std::size_t maxLength);
  // Paints the control at once, without waiting for the event loop: used while a
  // handler holds the thread (a run) and must still show its progress.
  void RepaintDlgItem(int id);
  // Lets the waiting paint and expose events through while a handler holds the
  // thread (a run), so that every window is drawn whole again after it was
  // covered or minimised. The user's input is not let through: clicks and keys
  // act once the handler has returned, and no window is deleted meanwhile.
  static void LetPaintThrough();

  void SetWindowText(std::string_view title);
  std::string GetWindowText() const;
  void SetIcon(const Icon& icon, bool bigIcon);
  // Appends a separator and an item to the window's system menu; choosing it
  // raises kSysCommand with that command (a multiple of 16, below 0xF000).
  // False, and nothing added, where the desktop gives windows no system menu or
  // the text is empty.
  bool AppendSystemMenuItem(int command, std::string_view text);

  // List box operations.
  int ListAddString(int id, std::string_view text);  // index of the new line, or kListErrSpace
  int ListDeleteString(int id, int index);           // lines left, or kListErr
  int ListGetCount(int id) const;
  void ListResetContent(int id);
  // Selects that line and scrolls it into view; -1 removes the selection and
  // answers kListErr, which callers take as "nothing selected".
  int ListSetCurSel(int id, int index);
  // Off: the control stops painting (changes are kept); on: it paints again.
  void SetDlgItemRedraw(int id, bool redraw);

  // A message box owned by this dialog (see platform/message_box.h).
  BoxAnswer MessageBox(std::string_view text, std::string_view caption, BoxType type);

  const DialogTemplate& Template() const { return template_; }

 protected:
  // Routes the events of the map to member functions of the derived class T.
  // The first entry that matches an event wins.
  template <class T>
  void BindMessageMap(std::span<const MessageMapEntry<T>> map) {
    T* self = static_cast<T*>(this);
    for (const MessageMapEntry<T>& entry : map) {
      handlers_.push_back({entry.event, entry.id, [self, h = entry.handler] { (self->*h)(); }});
    }
  }
  template <class T, std::size_t N>
  void BindMessageMap(const MessageMapEntry<T> (&map)[N]) {
    BindMessageMap(std::span<const MessageMapEntry<T>>(map));
  }

 private:
  // What only the tests read of a dialog, and the one limit they change: the
  // program never asks (platform/dialog_probes.h).
  friend bool IsDlgItemEnabled(const Dialog& dialog, int id);
  friend void GotoDlgCtrl(Dialog& dialog, int id);
  friend int ListGetCurSel(const Dialog& dialog, int id);
  friend std::string ListGetText(const Dialog& dialog, int id, int index);
  friend int ListGetTopIndex(const Dialog& dialog, int id);
  friend void ListSetCapacity(Dialog& dialog, int id, std::size_t capacity);
  bool IsDlgItemEnabled(int id) const;
  void GotoDlgCtrl(int id);  // gives the focus to that control
  int ListGetCurSel(int id) const;
  std::string ListGetText(int id, int index) const;
  int ListGetTopIndex(int id) const;  // first line in view
  void ListSetCapacity(int id, std::size_t capacity);

  friend struct DialogAccess;
  struct Impl;
  struct Handler {
    Notification event;
    int id;
    std::function<void()> call;
  };

  void Dispatch(Notification event, int id);

  const DialogTemplate& template_;
  Dialog* parent_;
  std::vector<Handler> handlers_;
  std::unique_ptr<Impl> impl_;
};

}  // namespace quelvane
