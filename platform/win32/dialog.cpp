// Dialogs on the Win32 API: each template is written out as an extended dialog
// template in memory, at its dialog-unit positions, and Windows builds the window
// and converts the units with the base units of the dialog font. The modal loop is
// the program's own, so that DestroyWindow runs while the controls still exist
// (the main window reads its options from them as it closes).
#include "platform/dialog.h"

#include <algorithm>
#include <cmath>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/text.h"
#include "platform/icon.h"
#include "platform/message_box.h"
#include "platform/win32/access.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"

namespace quelvane {
namespace {

// The dialog font of Windows 2000 and later (Tahoma, or Segoe UI where mapped),
// at the template's size: the templates name no face.
constexpr std::wstring_view kDialogFace = L"MS Shell Dlg 2";

// Atoms of the predefined control classes in a dialog template.
constexpr WORD kButtonClass = 0x0080;
constexpr WORD kEditClass = 0x0081;
constexpr WORD kStaticClass = 0x0082;
constexpr WORD kListBoxClass = 0x0083;

struct WindowsControl {
  WORD windowClass;
  DWORD style;
  DWORD exStyle;
};

DWORD ButtonStyle(const DialogControl& control) {
  switch (control.kind) {
    case ControlKind::kPushButton:
      return HasStyle(control, kDefault) ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
    case ControlKind::kAutoRadioButton:
      return BS_AUTORADIOBUTTON;
    case ControlKind::kAutoCheckBox:
      return BS_AUTOCHECKBOX;
    default:
      return BS_GROUPBOX;
  }
}

DWORD EditStyle(const DialogControl& control) {
  DWORD style = ES_LEFT;
  if (HasStyle(control, kMultiLine)) style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (HasStyle(control, kAutoHScroll)) style |= ES_AUTOHSCROLL;
  if (HasStyle(control, kWantReturn)) style |= ES_WANTRETURN;
  if (HasStyle(control, kReadOnly)) style |= ES_READONLY;
  return style;
}

// One line of static text keeps its whole text; what does not fit ends in an
// ellipsis, in the middle of a path for centred lines (the status lines show
// the file being converted, whose name is at its end). A static never shows a
// mnemonic: the program writes paths into them ("a&b" is shown as written), and
// its template's "&&" is turned into the '&' it stands for (TemplateText).
DWORD StaticStyle(const DialogControl& control) {
  return (HasStyle(control, kCentered) ? (SS_CENTER | SS_PATHELLIPSIS) : SS_LEFT) | SS_NOPREFIX;
}

// The text a control is created with: a static's as it is to be shown.
std::wstring TemplateText(const DialogControl& control) {
  if (control.kind == ControlKind::kStatic && !HasStyle(control, kNoPrefix)) {
    return ToWide(WithoutMnemonics(control.text));
  }
  return ToWide(control.text);
}

WindowsControl ToWindows(const DialogControl& control) {
  DWORD style = WS_CHILD | WS_VISIBLE;
  DWORD exStyle = 0;
  if (HasStyle(control, kGroup)) style |= WS_GROUP;
  if (HasStyle(control, kTabStop)) style |= WS_TABSTOP;
  if (HasStyle(control, kVScroll)) style |= WS_VSCROLL;
  if (HasStyle(control, kHScroll)) style |= WS_HSCROLL;
  // Bordered edits and lists are sunken, as three-dimensional dialogs draw them.
  if (HasStyle(control, kBorder)) exStyle |= WS_EX_CLIENTEDGE;
  switch (control.kind) {
    case ControlKind::kPushButton:
    case ControlKind::kAutoRadioButton:
    case ControlKind::kAutoCheckBox:
    case ControlKind::kGroupBox:
      return {kButtonClass, style | ButtonStyle(control), exStyle};
    case ControlKind::kEdit:
      return {kEditClass, style | EditStyle(control), exStyle};
    case ControlKind::kListBox: {
      // The lines live in the program (ListLines), the control only shows them:
      // a log of a million lines that drops its oldest one at each new line
      // costs no more than a short one. Never LBS_SORT: lines stay in order.
      DWORD list = LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_NODATA;
      if (HasStyle(control, kNotify)) list |= LBS_NOTIFY;
      return {kListBoxClass, style | list, exStyle};
    }
    case ControlKind::kStatic:
      return {kStaticClass, style | StaticStyle(control), exStyle};
  }
  return {kStaticClass, style, exStyle};
}

// An extended dialog template (DLGTEMPLATEEX and its DLGITEMTEMPLATEEX items),
// written field by field: the layout has variable-length texts inside, so it
// has no struct.
class TemplateWriter {
 public:
  void Word(WORD value) { words_.push_back(value); }
  void DWord(DWORD value) {
    Word(LOWORD(value));
    Word(HIWORD(value));
  }
  void Short(int value) { Word(static_cast<WORD>(static_cast<short>(value))); }
  void Text(std::wstring_view text) {
    for (const wchar_t c : text) Word(static_cast<WORD>(c));
    Word(0);
  }
  // Every item starts on a four-byte boundary.
  void AlignToDWord() {
    if (words_.size() % 2 != 0) Word(0);
  }
  const DLGTEMPLATE* Data() const { return reinterpret_cast<const DLGTEMPLATE*>(words_.data()); }

 private:
  std::vector<WORD> words_;
};

// The dialog font as Windows will make it for the template, on a screen context.
class DialogFontMeasure {
 public:
  explicit DialogFontMeasure(int points) : screen_(::GetDC(nullptr)) {
    const int height = -MulDiv(points, ::GetDeviceCaps(screen_, LOGPIXELSY), 72);
    font_ = ::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, std::wstring(kDialogFace).c_str());
    previous_ = ::SelectObject(screen_, font_);
  }
  ~DialogFontMeasure() {
    ::SelectObject(screen_, previous_);
    ::DeleteObject(font_);
    ::ReleaseDC(nullptr, screen_);
  }
  DialogFontMeasure(const DialogFontMeasure&) = delete;
  DialogFontMeasure& operator=(const DialogFontMeasure&) = delete;

  int Width(std::wstring_view text) const {
    SIZE size{};
    ::GetTextExtentPoint32W(screen_, text.data(), static_cast<int>(text.size()), &size);
    return static_cast<int>(size.cx);
  }
  // The horizontal base unit Windows converts dialog units with
  // (dialog_template.h).
  int BaseUnitX() const { return HorizontalBaseUnit(Width(ToWide(kBaseUnitLetters))); }

 private:
  HDC screen_;
  HFONT font_;
  HGDIOBJ previous_;
};

// The pixels a control needs to show its whole text on one line, or 0 for
// controls whose text does not set their size.
int NeededWidth(const DialogControl& control, const DialogFontMeasure& measure, int baseX) {
  const std::wstring text = ToWide(control.text);
  const int shown =
      measure.Width(HasStyle(control, kNoPrefix) ? text : ToWide(WithoutMnemonics(control.text)));
  if (text.empty()) return 0;
  switch (control.kind) {
    case ControlKind::kPushButton:
      return shown + 2 * baseX;
    case ControlKind::kAutoRadioButton:
    case ControlKind::kAutoCheckBox:
      return shown + ::GetSystemMetrics(SM_CXMENUCHECK) + baseX;
    case ControlKind::kStatic:
      return shown + 1;
    case ControlKind::kGroupBox:
      return shown + 2 * baseX + 4;
    case ControlKind::kEdit:
    case ControlKind::kListBox:
      return 0;
  }
  return 0;
}

// The dialog font may set some texts wider than the one the templates were drawn
// with (Windows' own dialog face, or the one wine has in its place): the whole
// window then widens, every horizontal position and width by the same factor,
// until every text fits on its line. Heights stay as the template has them.
double HorizontalStretch(const DialogTemplate& dialogTemplate) {
  const DialogFontMeasure measure(dialogTemplate.fontPoints);
  const int baseX = measure.BaseUnitX();
  double stretch = 1.0;
  for (const DialogControl& control : dialogTemplate.controls) {
    const int needed = NeededWidth(control, measure, baseX);
    if (needed > 0 && control.cx > 0) {
      stretch = std::max(stretch, 4.0 * needed / (static_cast<double>(control.cx) * baseX));
    }
  }
  return stretch;
}

TemplateWriter WriteTemplate(const DialogTemplate& dialogTemplate, bool appWindow) {
  const double stretch = HorizontalStretch(dialogTemplate);
  // Rounded up, so that a stretched width never loses the pixel it was made for.
  const auto toX = [stretch](int x) { return static_cast<int>(std::ceil(x * stretch)); };
  TemplateWriter out;
  out.Word(1);       // dlgVer
  out.Word(0xFFFF);  // signature: extended template
  out.DWord(0);      // helpID
  // Shown in the task bar only when it is the program's top window.
  out.DWord(appWindow ? WS_EX_APPWINDOW : 0);
  out.DWord(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_CENTER);
  out.Word(static_cast<WORD>(dialogTemplate.controls.size()));
  out.Short(0);
  out.Short(0);
  out.Short(toX(dialogTemplate.cx));
  out.Short(dialogTemplate.cy);
  out.Word(0);  // no menu
  out.Word(0);  // the dialog class
  out.Text(ToWide(dialogTemplate.caption));
  out.Word(static_cast<WORD>(dialogTemplate.fontPoints));
  out.Word(FW_NORMAL);
  out.Word(MAKEWORD(FALSE, DEFAULT_CHARSET));  // italic, charset
  out.Text(kDialogFace);

  for (const DialogControl& control : dialogTemplate.controls) {
    const WindowsControl windows = ToWindows(control);
    out.AlignToDWord();
    out.DWord(0);  // helpID
    out.DWord(windows.exStyle);
    out.DWord(windows.style);
    out.Short(toX(control.x));
    out.Short(control.y);
    out.Short(toX(control.x + control.cx) - toX(control.x));
    out.Short(control.cy);
    out.DWord(static_cast<DWORD>(control.id));
    out.Word(0xFFFF);
    out.Word(windows.windowClass);
    out.Text(TemplateText(control));
    out.Word(0);  // no creation data
  }
  return out;
}

Icon& DefaultIcon() {
  static Icon icon;
  return icon;
}

// The dialogs running modally, innermost last: a dialog made without a parent is
// owned by the innermost one, as the framework's dialogs are.
std::vector<HWND>& ModalWindows() {
  static std::vector<HWND> windows;
  return windows;
}

// An edit whose text goes to Windows-1252 files refuses the characters that
// code page lacks, typed or pasted, as the Linux edit's validator does.
bool IsCp1252Text(std::wstring_view text) {
  return EncodeCp1252(FromWide(text)).has_value();
}

std::wstring ClipboardText(HWND owner) {
  std::wstring text;
  if (!::OpenClipboard(owner)) return text;
  if (HANDLE data = ::GetClipboardData(CF_UNICODETEXT)) {
    if (const auto* chars = static_cast<const wchar_t*>(::GlobalLock(data))) {
      text = chars;
      ::GlobalUnlock(data);
    }
  }
  ::CloseClipboard();
  return text;
}

LRESULT CALLBACK Cp1252EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR /*id*/, DWORD_PTR /*data*/) {
  if (message == WM_CHAR) {
    const auto c = static_cast<wchar_t>(wParam);
    // Control characters (backspace, Ctrl+A...) edit; a surrogate is half of a
    // character beyond the code page.
    const bool control = c < 0x20 || c == 0x7F;
    const bool surrogate = c >= 0xD800 && c <= 0xDFFF;
    if (surrogate || (!control && !IsCp1252Text(std::wstring_view(&c, 1)))) {
      ::MessageBeep(MB_OK);
      return 0;
    }
  } else if (message == WM_PASTE && !IsCp1252Text(ClipboardText(edit))) {
    ::MessageBeep(MB_OK);
    return 0;
  }
  return ::DefSubclassProc(edit, message, wParam, lParam);
}

// A multi-line edit breaks lines at "\r\n" only.
std::wstring WithCrLf(std::wstring_view text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
    out += text[i];
  }
  return out;
}

std::wstring WindowTextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[32] = {};
  ::GetClassNameW(window, name, 32);
  return name;
}

// The lines of a list box, in the order they were added, up to a capacity.
// While its drawing is off (a run), the control is told the new count only
// when it is drawn or asked again: a run of a million lines sends it no
// message per line.
struct ListLines {
  std::deque<std::string> lines;
  std::size_t capacity = kDefaultListCapacity;
  bool redraw = true;
  bool countToTell = false;
  // A list that scrolls sideways (WS_HSCROLL) is told how far: Windows leaves
  // the width of its lines to the program. The widest line so far, in pixels
  // with the margins a line is drawn with; lines not measured yet start at
  // `unmeasured`.
  bool sideways = false;
  int widest = 0;
  std::size_t unmeasured = 0;
  std::vector<int> advances;  // of the characters below 256, in the list's font
  int otherAdvance = 0;       // at most, of any other
};

// The widest of the lines not measured yet, told to the control when it grew.
// A line is as wide as the sum of its characters' advances at most (kerning
// narrows a pair more often than it widens one, by a pixel or so, which the
// margin covers; a tab moves at most eight average characters): a small part
// of the cost of measuring it with DrawTextW, for logs of a million lines.
void MeasureLines(HWND control, ListLines& list) {
  if (!list.sideways || list.unmeasured >= list.lines.size()) {
    list.unmeasured = list.lines.size();
    return;
  }
  TEXTMETRICW font{};
  if (list.advances.empty()) {
    HDC context = ::GetDC(control);
    HGDIOBJ previous =
        ::SelectObject(context, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    list.advances.assign(256, 0);
    ::GetCharWidth32W(context, 0, 255, list.advances.data());
    ::GetTextMetricsW(context, &font);
    ::SelectObject(context, previous);
    ::ReleaseDC(control, context);
    list.advances['\t'] = 8 * static_cast<int>(font.tmAveCharWidth);
    list.otherAdvance = std::max(static_cast<int>(font.tmMaxCharWidth), list.advances['\t']);
  }
  constexpr int kMargins = 2 + 4;  // the text's indent, and some room after it
  int widest = list.widest;
  for (std::size_t i = list.unmeasured; i < list.lines.size(); ++i) {
    int width = kMargins;
    for (const wchar_t c : ToWide(list.lines[i])) {
      width += c < 256 ? list.advances[c] : list.otherAdvance;
    }
    widest = std::max(widest, width);
  }
  list.unmeasured = list.lines.size();
  if (widest == list.widest) return;
  list.widest = widest;
  ::SendMessageW(control, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(widest), 0);
}

// One line of a list box as the control asks for it to be drawn.
void DrawListLine(const DRAWITEMSTRUCT& item, const ListLines& list) {
  const bool selected = (item.itemState & ODS_SELECTED) != 0;
  HDC context = item.hDC;
  RECT rect = item.rcItem;
  if (item.itemID != static_cast<UINT>(-1) && item.itemID < list.lines.size()) {
    ::FillRect(context, &rect, ::GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
    ::SetBkMode(context, TRANSPARENT);
    ::SetTextColor(context, ::GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    const std::wstring text = ToWide(list.lines[item.itemID]);
    RECT textRect = rect;
    textRect.left += 2;
    ::DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &textRect,
                DT_SINGLELINE | DT_NOPREFIX | DT_VCENTER | DT_END_ELLIPSIS | DT_EXPANDTABS);
  }
  // An empty list with the focus shows it too.
  if ((item.itemState & ODS_FOCUS) != 0) ::DrawFocusRect(context, &rect);
}

}  // namespace

struct Dialog::Impl {
  HWND window = nullptr;
  HWND owner = nullptr;
  TemplateWriter memoryTemplate;
  std::vector<HWND> items;  // in template order
  std::map<int, ListLines> lists;
  int quietChangeId = 0;  // the edit whose text the program is setting
  bool ended = false;
  int result = 0;

  HWND Item(int id) const { return window == nullptr ? nullptr : ::GetDlgItem(window, id); }
  ListLines* Lines(int id) {
    const auto found = lists.find(id);
    return found == lists.end() ? nullptr : &found->second;
  }
  // The control's count made the list's, before it is drawn or asked.
  ListLines* SyncedLines(int id) const {
    auto* list = const_cast<Impl*>(this)->Lines(id);
    if (list != nullptr && list->countToTell) {
      list->countToTell = false;
      Send(id, LB_SETCOUNT, list->lines.size());
      MeasureLines(Item(id), *list);
    }
    return list;
  }
  const ListLines* Lines(int id) const {
    const auto found = lists.find(id);
    return found == lists.end() ? nullptr : &found->second;
  }
  LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const {
    return ::SendDlgItemMessageW(window, id, message, wParam, lParam);
  }
};

struct DialogAccess {
  static INT_PTR InitDialog(Dialog& dialog, HWND window) {
    Dialog::Impl& impl = *dialog.impl_;
    impl.window = window;
    for (const bool big : {true, false}) {
      ::SendMessageW(window, WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                     reinterpret_cast<LPARAM>(IconHandle(DefaultIcon(), big)));
    }
    TEXTMETRICW font{};
    HDC context = ::GetDC(window);
    HGDIOBJ previous =
        ::SelectObject(context, reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)));
    ::GetTextMetricsW(context, &font);
    ::SelectObject(context, previous);
    ::ReleaseDC(window, context);
    for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
         child = ::GetWindow(child, GW_HWNDNEXT)) {
      impl.items.push_back(child);
      if (ClassOf(child) == L"ListBox") {
        const int id = ::GetDlgCtrlID(child);
        // From the template: a list box hides its scroll bar, and takes
        // WS_HSCROLL from its style, while nothing needs it.
        const auto& controls = dialog.Template().controls;
        impl.lists[id].sideways = std::any_of(controls.begin(), controls.end(), [&](const auto& c) {
          return c.id == id && HasStyle(c, kHScroll);
        });
        // A line of text high, as a list of strings would be.
        ::SendMessageW(child, LB_SETITEMHEIGHT, 0, font.tmHeight);
      }
    }
    return dialog.OnInitDialog() ? TRUE : FALSE;
  }

  static bool HasHandler(const Dialog& dialog, Notification event, int id) {
    return std::any_of(dialog.handlers_.begin(), dialog.handlers_.end(),
                       [&](const Dialog::Handler& h) { return h.event == event && h.id == id; });
  }

  static INT_PTR Message(Dialog& dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    Dialog::Impl& impl = *dialog.impl_;
    switch (message) {
      case WM_COMMAND: {
        const int id = LOWORD(wParam);
        const WORD code = HIWORD(wParam);
        if (code == BN_CLICKED) {
          dialog.Dispatch(Notification::kClicked, id);
        } else if (code == EN_CHANGE && id != impl.quietChangeId) {
          dialog.Dispatch(Notification::kChange, id);
        }
        return TRUE;
      }
      case WM_SYSCOMMAND: {
        // Commands of the program's own items have their low four bits clear.
        const int command = static_cast<int>(wParam & 0xFFF0);
        if (command >= 0xF000 || !HasHandler(dialog, Notification::kSysCommand, command)) {
          return FALSE;
        }
        dialog.Dispatch(Notification::kSysCommand, command);
        return TRUE;
      }
      case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        const ListLines* lines = impl.Lines(static_cast<int>(item.CtlID));
        if (item.CtlType != ODT_LISTBOX || lines == nullptr) return FALSE;
        DrawListLine(item, *lines);
        return TRUE;
      }
      case WM_NCDESTROY:
        // Destroyed with its owner, or by the program: nothing refers to it now.
        ::SetWindowLongPtrW(impl.window, DWLP_USER, 0);
        impl.window = nullptr;
        impl.items.clear();
        impl.lists.clear();
        return FALSE;
      default:
        return FALSE;
    }
  }

  static HWND Window(const Dialog& dialog) {
    return dialog.impl_ == nullptr ? nullptr : dialog.impl_->window;
  }
  static HWND ItemAt(const Dialog& dialog, std::size_t index) {
    if (!dialog.IsCreated() || index >= dialog.impl_->items.size()) return nullptr;
    return dialog.impl_->items[index];
  }
};

namespace {

INT_PTR CALLBACK TemplateDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    ::SetWindowLongPtrW(window, DWLP_USER, lParam);
    return DialogAccess::InitDialog(*reinterpret_cast<Dialog*>(lParam), window);
  }
  auto* dialog = reinterpret_cast<Dialog*>(::GetWindowLongPtrW(window, DWLP_USER));
  return dialog == nullptr ? FALSE : DialogAccess::Message(*dialog, message, wParam, lParam);
}

}  // namespace

void SetDefaultWindowIcon(const Icon& icon) {
  DefaultIcon() = icon;
}

HWND DialogWindow(const Dialog& dialog) {
  return DialogAccess::Window(dialog);
}
HWND DlgItemWindow(const Dialog& dialog, int id) {
  HWND window = DialogAccess::Window(dialog);
  return window == nullptr ? nullptr : ::GetDlgItem(window, id);
}
HWND DlgItemWindowAt(const Dialog& dialog, std::size_t index) {
  return DialogAccess::ItemAt(dialog, index);
}

Dialog::Dialog(const DialogTemplate& dialogTemplate, Dialog* parent)
    : template_(dialogTemplate), parent_(parent) {}

Dialog::~Dialog() {
  if (IsCreated()) ::DestroyWindow(impl_->window);
}

bool Dialog::IsCreated() const {
  return impl_ != nullptr && impl_->window != nullptr;
}

void Dialog::Create() {
  if (IsCreated()) return;
  impl_ = std::make_unique<Impl>();
  HWND owner = parent_ != nullptr ? DialogWindow(*parent_) : nullptr;
  if (owner == nullptr && !ModalWindows().empty()) owner = ModalWindows().back();
  impl_->owner = owner;
  impl_->memoryTemplate = WriteTemplate(template_, owner == nullptr);
  // WM_INITDIALOG, and so OnInitDialog, runs inside this call.
  ::CreateDialogIndirectParamW(::GetModuleHandleW(nullptr), impl_->memoryTemplate.Data(), owner,
                               TemplateDialogProc, reinterpret_cast<LPARAM>(this));
}

int Dialog::DoModal() {
  Create();
  if (!IsCreated()) return -1;
  HWND window = impl_->window;
  HWND owner = impl_->owner;
  const bool disableOwner = owner != nullptr && ::IsWindowEnabled(owner);
  if (disableOwner) ::EnableWindow(owner, FALSE);
  ModalWindows().push_back(window);
  if (!impl_->ended) ::ShowWindow(window, SW_SHOW);
  MSG message;
  while (!impl_->ended && IsCreated()) {
    const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
    if (got <= 0) {
      // The end of the program was asked for: the loop that waits for it sees it.
      if (got == 0) ::PostQuitMessage(static_cast<int>(message.wParam));
      impl_->result = kIdCancel;
      break;
    }
    // A key held down repeats, and a held Return must press a button once: its
    // repeats would press the focused button of the window a box leaves behind,
    // "Traiter les fichiers" after a run, and start the run again and again.
    // Windows marks a repeat with the key's previous state (bit 30).
    if (message.message == WM_KEYDOWN && message.wParam == VK_RETURN &&
        (message.lParam & (LPARAM{1} << 30)) != 0) {
      continue;
    }
    if (!::IsDialogMessageW(window, &message)) {
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
  }
  ModalWindows().erase(std::remove(ModalWindows().begin(), ModalWindows().end(), window),
                       ModalWindows().end());
  // The owner is enabled before this window goes, so that it becomes active again.
  if (disableOwner) ::EnableWindow(owner, TRUE);
  const int result = impl_->result;
  DestroyWindow();
  return result;
}

void Dialog::ShowWindow() {
  if (IsCreated()) ::ShowWindow(impl_->window, SW_SHOW);
}

void Dialog::EndDialog(int result) {
  if (!IsCreated()) return;
  impl_->ended = true;
  impl_->result = result;
  ::ShowWindow(impl_->window, SW_HIDE);
  // Wakes the modal loop, which may be waiting for a message.
  ::PostMessageW(impl_->window, WM_NULL, 0, 0);
}

bool Dialog::DestroyWindow() {
  if (!IsCreated()) return false;
  ::DestroyWindow(impl_->window);
  return true;
}

void Dialog::CheckDlgButton(int id, int check) {
  if (IsCreated()) ::CheckDlgButton(impl_->window, id, check != 0 ? BST_CHECKED : BST_UNCHECKED);
}

int Dialog::IsDlgButtonChecked(int id) const {
  if (!IsCreated() || impl_->Item(id) == nullptr) return 0;
  return ::IsDlgButtonChecked(impl_->window, id) == BST_CHECKED ? 1 : 0;
}

std::string Dialog::GetDlgItemText(int id) const {
  HWND item = IsCreated() ? impl_->Item(id) : nullptr;
  return item == nullptr ? std::string() : FromWide(WindowTextOf(item));
}

void Dialog::SetDlgItemText(int id, std::string_view text) {
  HWND item = IsCreated() ? impl_->Item(id) : nullptr;
  if (item == nullptr) return;
  const bool edit = ClassOf(item) == L"Edit";
  std::wstring wide = ToWide(text);
  if (edit && (::GetWindowLongW(item, GWL_STYLE) & ES_MULTILINE) != 0) wide = WithCrLf(wide);
  // Windows tells an edit's change itself, or not, depending on the text before;
  // the program's rule is one notification per call, so it says it once here.
  const int previousQuiet = std::exchange(impl_->quietChangeId, edit ? id : 0);
  ::SetWindowTextW(item, wide.c_str());
  impl_->quietChangeId = previousQuiet;
  if (edit) Dispatch(Notification::kChange, id);
}

void Dialog::LimitDlgItemToCp1252(int id, std::size_t maxLength) {
  HWND edit = IsCreated() ? impl_->Item(id) : nullptr;
  if (edit == nullptr || ClassOf(edit) != L"Edit") return;
  // Every Windows-1252 character is one UTF-16 unit: the edit's count is right.
  ::SendMessageW(edit, EM_SETLIMITTEXT, maxLength, 0);
  ::SetWindowSubclass(edit, Cp1252EditProc, 1, 0);
}

void Dialog::EnableDlgItem(int id, bool enable) {
  if (HWND item = IsCreated() ? impl_->Item(id) : nullptr) ::EnableWindow(item, enable);
}

bool Dialog::IsDlgItemEnabled(int id) const {
  HWND item = IsCreated() ? impl_->Item(id) : nullptr;
  return item != nullptr && ::IsWindowEnabled(item);
}

void Dialog::GotoDlgCtrl(int id) {
  if (HWND item = IsCreated() ? impl_->Item(id) : nullptr) {
    ::SendMessageW(impl_->window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(item), TRUE);
  }
}

void Dialog::RepaintDlgItem(int id) {
  if (HWND item = IsCreated() ? impl_->Item(id) : nullptr) {
    ::RedrawWindow(item, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  }
}

void Dialog::LetPaintThrough() {
  // Paint messages and messages sent by Windows itself (moving, restoring,
  // activating a window) are handled; input and posted messages wait in the
  // queue until the run has returned to the modal loop.
  MSG message;
  for (int i = 0; i < 10'000; ++i) {
    if (!::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_SENDMESSAGE)) {
      break;
    }
    if (message.message == WM_QUIT) {
      ::PostQuitMessage(static_cast<int>(message.wParam));
      break;
    }
    ::DispatchMessageW(&message);
  }
}

void Dialog::SetWindowText(std::string_view title) {
  if (IsCreated()) ::SetWindowTextW(impl_->window, ToWide(title).c_str());
}

std::string Dialog::GetWindowText() const {
  return IsCreated() ? FromWide(WindowTextOf(impl_->window)) : std::string();
}

void Dialog::SetIcon(const Icon& icon, bool bigIcon) {
  if (!IsCreated()) return;
  ::SendMessageW(impl_->window, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                 reinterpret_cast<LPARAM>(IconHandle(icon, bigIcon)));
}

bool Dialog::AppendSystemMenuItem(int command, std::string_view text) {
  HMENU menu = IsCreated() ? ::GetSystemMenu(impl_->window, FALSE) : nullptr;
  if (menu == nullptr || text.empty()) return false;
  ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  ::AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(command), ToWide(text).c_str());
  return true;
}

int Dialog::ListAddString(int id, std::string_view text) {
  ListLines* list = IsCreated() ? impl_->Lines(id) : nullptr;
  if (list == nullptr) return kListErr;
  if (list->lines.size() >= list->capacity) return kListErrSpace;
  list->lines.emplace_back(text);
  const auto count = static_cast<WPARAM>(list->lines.size());
  if (!list->redraw) {
    list->countToTell = true;
  } else if (impl_->Send(id, LB_SETCOUNT, count) < 0) {
    list->lines.pop_back();
    return kListErrSpace;
  } else {
    MeasureLines(impl_->Item(id), *list);
  }
  return static_cast<int>(count) - 1;
}

int Dialog::ListDeleteString(int id, int index) {
  ListLines* list = IsCreated() ? impl_->Lines(id) : nullptr;
  if (list == nullptr || index < 0 || static_cast<std::size_t>(index) >= list->lines.size()) {
    return kListErr;
  }
  list->lines.erase(list->lines.begin() + index);
  if (static_cast<std::size_t>(index) < list->unmeasured) --list->unmeasured;
  if (list->redraw) {
    impl_->Send(id, LB_DELETESTRING, static_cast<WPARAM>(index));
  } else {
    list->countToTell = true;
  }
  return static_cast<int>(list->lines.size());
}

int Dialog::ListGetCount(int id) const {
  const ListLines* list = IsCreated() ? impl_->Lines(id) : nullptr;
  return list == nullptr ? kListErr : static_cast<int>(list->lines.size());
}

void Dialog::ListResetContent(int id) {
  ListLines* list = IsCreated() ? impl_->Lines(id) : nullptr;
  if (list == nullptr) return;
  list->lines.clear();
  list->countToTell = false;
  list->unmeasured = 0;
  list->widest = 0;
  impl_->Send(id, LB_RESETCONTENT);
  if (list->sideways) impl_->Send(id, LB_SETHORIZONTALEXTENT, 0);
}

int Dialog::ListSetCurSel(int id, int index) {
  if (!IsCreated() || impl_->SyncedLines(id) == nullptr) return kListErr;
  if (index < 0 || index >= ListGetCount(id)) {
    impl_->Send(id, LB_SETCURSEL, static_cast<WPARAM>(-1));
    return kListErr;
  }
  // Selecting a line scrolls it into view.
  return static_cast<int>(impl_->Send(id, LB_SETCURSEL, static_cast<WPARAM>(index)));
}

int Dialog::ListGetCurSel(int id) const {
  if (!IsCreated() || impl_->SyncedLines(id) == nullptr) return kListErr;
  const auto index = impl_->Send(id, LB_GETCURSEL);
  return index < 0 ? kListErr : static_cast<int>(index);
}

std::string Dialog::ListGetText(int id, int index) const {
  const ListLines* list = IsCreated() ? impl_->Lines(id) : nullptr;
  if (list == nullptr || index < 0 || static_cast<std::size_t>(index) >= list->lines.size()) {
    return {};
  }
  return list->lines[static_cast<std::size_t>(index)];
}

int Dialog::ListGetTopIndex(int id) const {
  if (!IsCreated() || impl_->SyncedLines(id) == nullptr) return kListErr;
  return static_cast<int>(impl_->Send(id, LB_GETTOPINDEX));
}

void Dialog::ListSetCapacity(int id, std::size_t capacity) {
  if (ListLines* list = IsCreated() ? impl_->Lines(id) : nullptr) list->capacity = capacity;
}

void Dialog::SetDlgItemRedraw(int id, bool redraw) {
  HWND item = IsCreated() ? impl_->Item(id) : nullptr;
  if (item == nullptr) return;
  if (ListLines* list = impl_->Lines(id)) {
    list->redraw = redraw;
    if (redraw) impl_->SyncedLines(id);
  }
  ::SendMessageW(item, WM_SETREDRAW, redraw ? TRUE : FALSE, 0);
  if (redraw) {
    ::RedrawWindow(item, nullptr, nullptr,
                   RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
  }
}

}  // namespace quelvane
