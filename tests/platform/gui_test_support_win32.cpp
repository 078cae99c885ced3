// The GUI tests' actions on real Windows controls (under wine with Xvfb on this
// machine): keys go through the dialog manager as the modal loop would hand
// them over, clicks and characters are the messages Windows makes of a
// person's input.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/dialog_template.h"
#include "platform/win32/access.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/windows_api.h"
#include "tests/platform/gui_test_support.h"

namespace quelvane::testing {
namespace {

HWND HandleOf(ScreenWindow window) {
  return static_cast<HWND>(window.handle);
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  return name;
}

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

LONG StyleOf(HWND window) {
  return ::GetWindowLongW(window, GWL_STYLE);
}

// The text as the control shows it: buttons and statics take '&' as a marker.
std::wstring ShownText(HWND control) {
  const std::wstring text = TextOf(control);
  const std::wstring kind = ClassOf(control);
  const bool noPrefix = kind == L"Static" && (StyleOf(control) & SS_NOPREFIX) != 0;
  return (kind == L"Button" || kind == L"Static") && !noPrefix
             ? ToWide(WithoutMnemonics(FromWide(text)))
             : text;
}

// The program's windows on screen: visible top-level windows of this thread.
std::vector<HWND> ShownWindows() {
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND window, LPARAM list) -> BOOL {
        if (::IsWindowVisible(window) && ClassOf(window) == L"#32770") {
          reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

struct ModalWatch {
  std::set<HWND> before;
  std::function<void(ScreenWindow)> script;
};

// The watches of WhenModal, by timer id; one timer each, on this thread.
std::map<UINT_PTR, std::unique_ptr<ModalWatch>>& Watches() {
  static std::map<UINT_PTR, std::unique_ptr<ModalWatch>> watches;
  return watches;
}

void CALLBACK WatchForModal(HWND /*window*/, UINT /*message*/, UINT_PTR timer, DWORD /*time*/) {
  auto found = Watches().find(timer);
  if (found == Watches().end()) return;
  for (HWND window : ShownWindows()) {
    if (found->second->before.count(window) != 0 || !::IsWindowEnabled(window)) continue;
    ::KillTimer(nullptr, timer);
    const std::unique_ptr<ModalWatch> watch = std::move(found->second);
    Watches().erase(found);
    watch->script({window});
    return;
  }
}

// A key through the dialog manager, as the modal loop passes it: Enter presses
// the default button, Escape cancels, others reach the control with the focus.
void SendKey(HWND window, UINT vk) {
  HWND focus = ::GetFocus();
  HWND target = focus != nullptr && (focus == window || ::IsChild(window, focus)) ? focus : window;
  const UINT scan = ::MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
  for (const UINT message : {UINT{WM_KEYDOWN}, UINT{WM_KEYUP}}) {
    LPARAM flags = 1 | static_cast<LPARAM>(scan) << 16;
    if (message == WM_KEYUP) flags |= static_cast<LPARAM>(3) << 30;
    MSG msg{};
    msg.hwnd = target;
    msg.message = message;
    msg.wParam = vk;
    msg.lParam = flags;
    if (!::IsWindow(window) || !::IsDialogMessageW(window, &msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
  }
}

UINT VirtualKey(Key key) {
  switch (key) {
    case Key::kReturn:
      return VK_RETURN;
    case Key::kEscape:
      return VK_ESCAPE;
    case Key::kDelete:
      return VK_DELETE;
    case Key::kTab:
      return VK_TAB;
  }
  return 0;
}

// The width a control needs to show its whole text on one line, in its font.
int NeededWidth(HWND control, HDC context) {
  const std::wstring text = ShownText(control);
  if (text.empty()) return 0;
  SIZE size{};
  ::GetTextExtentPoint32W(context, text.c_str(), static_cast<int>(text.size()), &size);
  const std::wstring kind = ClassOf(control);
  if (kind == L"Static") return static_cast<int>(size.cx);
  if (kind != L"Button") return 0;
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(context, &metrics);
  switch (StyleOf(control) & BS_TYPEMASK) {
    case BS_PUSHBUTTON:
    case BS_DEFPUSHBUTTON:
      return static_cast<int>(size.cx) + 4;
    case BS_GROUPBOX:
      return static_cast<int>(size.cx) + 2 * metrics.tmAveCharWidth;
    default:  // check box or radio button: its box, a gap, the text
      return static_cast<int>(size.cx) + ::GetSystemMetrics(SM_CXMENUCHECK) + 3;
  }
}

bool TextFits(HWND control) {
  HDC context = ::GetDC(control);
  auto* font = reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0));
  HGDIOBJ previous = ::SelectObject(context, font);
  RECT client{};
  ::GetClientRect(control, &client);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(context, &metrics);
  const bool fits =
      NeededWidth(control, context) <= client.right - client.left &&
      (ClassOf(control) != L"Static" || metrics.tmHeight <= client.bottom - client.top);
  ::SelectObject(context, previous);
  ::ReleaseDC(control, context);
  return fits;
}

// The pixels of a window as it has drawn them, frame included or not, as
// 32-bit rows from the top. They are read from the window's own device context:
// that of the screen does not hold them under wine, whose windows draw into
// surfaces of their own, and wine's PrintWindow and WM_PRINT draw a dialog
// without its controls.
struct Picture {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;
};

Picture PictureOf(HWND window, bool withFrame) {
  Picture picture;
  RECT rect{};
  if (withFrame) {
    ::GetWindowRect(window, &rect);
  } else {
    ::GetClientRect(window, &rect);
  }
  picture.width = rect.right - rect.left;
  picture.height = rect.bottom - rect.top;
  if (picture.width <= 0 || picture.height <= 0) return {};
  HDC source = withFrame ? ::GetWindowDC(window) : ::GetDC(window);
  HDC memory = ::CreateCompatibleDC(source);
  BITMAPINFO info{};
  // A negative height: rows from the top.
  info.bmiHeader = {
      sizeof(BITMAPINFOHEADER), picture.width, -picture.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* pixels = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(source, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  ::BitBlt(memory, 0, 0, picture.width, picture.height, source, 0, 0, SRCCOPY);
  ::GdiFlush();
  const auto* first = static_cast<const std::uint32_t*>(pixels);
  picture.pixels.assign(first, first + static_cast<std::size_t>(picture.width) *
                                           static_cast<std::size_t>(picture.height));
  // GDI leaves the fourth byte as it finds it (zero under text and lines, set
  // where an icon was blended in); readers of the BMP take it for opacity.
  for (std::uint32_t& pixel : picture.pixels) pixel |= 0xFF000000u;
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(window, source);
  return picture;
}

// A 32-bit BMP, rows from the bottom as the format has them.
bool WriteBitmap(const Picture& picture, const std::string& path) {
  if (picture.pixels.empty()) return false;
  const auto imageSize = static_cast<DWORD>(picture.pixels.size() * 4);
  BITMAPINFOHEADER header{sizeof(BITMAPINFOHEADER),
                          picture.width,
                          picture.height,
                          1,
                          32,
                          BI_RGB,
                          imageSize,
                          0,
                          0,
                          0,
                          0};
  BITMAPFILEHEADER file{
      0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
      0, 0, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&header), sizeof header);
  for (int y = picture.height - 1; y >= 0; --y) {
    out.write(reinterpret_cast<const char*>(picture.pixels.data() +
                                            static_cast<std::size_t>(y) *
                                                static_cast<std::size_t>(picture.width)),
              static_cast<std::streamsize>(picture.width) * 4);
  }
  return out.good();
}

// Every child of a window, in z-order from the top.
std::vector<HWND> Children(HWND window) {
  std::vector<HWND> children;
  for (HWND child = ::GetWindow(window, GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    children.push_back(child);
  }
  return children;
}

// A window's place inside its parent's client area.
RECT RectInParent(HWND window) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  ::MapWindowPoints(nullptr, ::GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

std::optional<std::size_t> IndexOf(const Dialog& dialog, HWND control) {
  for (std::size_t i = 0; control != nullptr && DlgItemWindowAt(dialog, i) != nullptr; ++i) {
    if (DlgItemWindowAt(dialog, i) == control) return i;
  }
  return std::nullopt;
}

// The text's extent in a window's font.
SIZE TextExtent(HWND window, HFONT font, std::wstring_view text) {
  HDC context = ::GetDC(window);
  HGDIOBJ previous = ::SelectObject(context, font);
  SIZE size{};
  ::GetTextExtentPoint32W(context, text.data(), static_cast<int>(text.size()), &size);
  ::SelectObject(context, previous);
  ::ReleaseDC(window, context);
  return size;
}

HFONT FontOf(HWND window) {
  return reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0));
}

// The descendant of a window of that class, if any.
HWND FindDescendant(HWND window, const wchar_t* className) {
  struct Search {
    const wchar_t* name;
    HWND found;
  } search{className, nullptr};
  ::EnumChildWindows(
      window,
      [](HWND child, LPARAM data) -> BOOL {
        auto* s = reinterpret_cast<Search*>(data);
        if (ClassOf(child) != s->name) return TRUE;
        s->found = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

// The controls of the file-open dialog: its file types and the name typed.
constexpr int kFileTypes = 0x470;      // cmb1
constexpr int kFileNameEdit = 0x480;   // edt1
constexpr int kFileNameCombo = 0x47C;  // cmb13, where Windows has a combo box

}  // namespace

void WhenModal(std::function<void(ScreenWindow)> script) {
  // Polls, as the modal window opens only once the caller has entered its loop.
  auto watch = std::make_unique<ModalWatch>();
  for (HWND window : ShownWindows()) watch->before.insert(window);
  watch->script = std::move(script);
  const UINT_PTR timer = ::SetTimer(nullptr, 0, 10, WatchForModal);
  Watches()[timer] = std::move(watch);
}

bool ModalWindowShown() {
  return !ShownWindows().empty();
}

void PressKey(ScreenWindow window, Key key) {
  SendKey(HandleOf(window), VirtualKey(key));
}

void PressMnemonic(ScreenWindow window, char letter) {
  // What Windows makes of Alt and a letter: a system character, which the dialog
  // manager takes for the mnemonic of a control.
  HWND dialog = HandleOf(window);
  HWND focus = ::GetFocus();
  MSG msg{};
  msg.hwnd = focus != nullptr && ::IsChild(dialog, focus) ? focus : dialog;
  msg.message = WM_SYSCHAR;
  msg.wParam = static_cast<WPARAM>(std::tolower(static_cast<unsigned char>(letter)));
  msg.lParam = 1 | LPARAM{1} << 29;  // the Alt key is down
  if (!::IsDialogMessageW(dialog, &msg)) ::DispatchMessageW(&msg);
}

void CloseWithCloseBox(ScreenWindow window) {
  ::SendMessageW(HandleOf(window), WM_SYSCOMMAND, SC_CLOSE, 0);
}

ScreenWindow WindowOf(const Dialog& dialog) {
  return {DialogWindow(dialog)};
}

ScreenWindow OwnerOf(ScreenWindow window) {
  return {::GetWindow(HandleOf(window), GW_OWNER)};
}

std::string WindowTitle(ScreenWindow window) {
  return FromWide(TextOf(HandleOf(window)));
}

std::string FocusedButtonText(ScreenWindow window) {
  HWND focus = ::GetFocus();
  if (focus == nullptr || !::IsChild(HandleOf(window), focus) || ClassOf(focus) != L"Button") {
    return {};
  }
  return FromWide(TextOf(focus));
}

std::string MessageBoxText(ScreenWindow box) {
  // The message is the box's static text of id 0xFFFF.
  HWND text = ::GetDlgItem(HandleOf(box), 0xFFFF);
  return text == nullptr ? std::string() : FromWide(TextOf(text));
}

bool ChooseSystemMenuItem(const Dialog& dialog, int command) {
  HWND window = DialogWindow(dialog);
  HMENU menu = window == nullptr ? nullptr : ::GetSystemMenu(window, FALSE);
  if (menu == nullptr || ::GetMenuState(menu, static_cast<UINT>(command), MF_BYCOMMAND) == ~0u) {
    return false;
  }
  ::SendMessageW(window, WM_SYSCOMMAND, static_cast<WPARAM>(command), 0);
  return true;
}

void ClickItem(const Dialog& dialog, int id) {
  if (HWND button = DlgItemWindow(dialog, id); button != nullptr && ::IsWindowEnabled(button)) {
    ::SendMessageW(button, BM_CLICK, 0, 0);
  }
}

void TypeKeys(const Dialog& dialog, int id, std::string_view text) {
  HWND edit = DlgItemWindow(dialog, id);
  if (edit == nullptr) return;
  for (const wchar_t c : ToWide(text)) ::SendMessageW(edit, WM_CHAR, c, 1);
}

void SelectAllText(const Dialog& dialog, int id) {
  if (HWND edit = DlgItemWindow(dialog, id)) ::SendMessageW(edit, EM_SETSEL, 0, -1);
}

void DeleteSelectedText(const Dialog& dialog, int id) {
  if (HWND edit = DlgItemWindow(dialog, id)) {
    ::SendMessageW(edit, WM_KEYDOWN, VK_DELETE, 1);
    ::SendMessageW(edit, WM_KEYUP, VK_DELETE, static_cast<LPARAM>(0xC0000001));
  }
}

bool HasSelectedText(const Dialog& dialog, int id) {
  HWND edit = DlgItemWindow(dialog, id);
  if (edit == nullptr) return false;
  DWORD start = 0;
  DWORD end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return start != end;
}

bool IsReadOnly(const Dialog& dialog, int id) {
  HWND edit = DlgItemWindow(dialog, id);
  return edit != nullptr && (StyleOf(edit) & ES_READONLY) != 0;
}

std::string ShownTextAt(const Dialog& dialog, std::size_t index) {
  HWND control = DlgItemWindowAt(dialog, index);
  return control == nullptr ? std::string() : FromWide(ShownText(control));
}

int VisibleListLines(const Dialog& dialog, int id) {
  HWND list = DlgItemWindow(dialog, id);
  if (list == nullptr) return 0;
  RECT client{};
  ::GetClientRect(list, &client);
  const auto line = ::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
  return line <= 0 ? 0 : static_cast<int>((client.bottom - client.top) / line);
}

SidewaysExtent ListSidewaysExtent(const Dialog& dialog, int id) {
  HWND list = DlgItemWindow(dialog, id);
  if (list == nullptr) return {0, 0};
  RECT client{};
  ::GetClientRect(list, &client);
  const int view = static_cast<int>(client.right - client.left);
  SCROLLINFO bar{sizeof bar, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
  if ((::GetWindowLongPtrW(list, GWL_STYLE) & WS_HSCROLL) == 0 ||
      !::GetScrollInfo(list, SB_HORZ, &bar)) {
    return {view, view};
  }
  // Windows' list box scrolls as far as the horizontal extent it was given.
  const auto extent = static_cast<int>(::SendMessageW(list, LB_GETHORIZONTALEXTENT, 0, 0));
  return {std::max(extent, view), view};
}

void ScrollListToRightEnd(const Dialog& dialog, int id) {
  if (HWND list = DlgItemWindow(dialog, id)) {
    ::SendMessageW(list, WM_HSCROLL, MAKEWPARAM(SB_RIGHT, 0), 0);
    ::UpdateWindow(list);
  }
  ProcessEvents();
}

int TextWidthIn(const Dialog& dialog, int id, std::string_view text) {
  HWND control = DlgItemWindow(dialog, id);
  if (control == nullptr) return 0;
  HDC context = ::GetDC(control);
  HGDIOBJ previous = ::SelectObject(context, FontOf(control));
  const std::wstring wide = ToWide(text);
  SIZE size{};
  ::GetTextExtentPoint32W(context, wide.c_str(), static_cast<int>(wide.size()), &size);
  ::SelectObject(context, previous);
  ::ReleaseDC(control, context);
  return static_cast<int>(size.cx);
}

void ShowAndWaitDrawn(const Dialog& dialog) {
  HWND window = DialogWindow(dialog);
  ::ShowWindow(window, SW_SHOW);
  ::UpdateWindow(window);
  ProcessEvents();
}

std::vector<std::string> TextsNotShownWhole(const Dialog& dialog) {
  std::vector<std::string> clipped;
  for (std::size_t index = 0;; ++index) {
    HWND control = DlgItemWindowAt(dialog, index);
    if (control == nullptr) break;
    if (!TextFits(control)) clipped.push_back(FromWide(TextOf(control)));
  }
  return clipped;
}

bool SaveScreenshot(ScreenWindow window, std::string_view fileName) {
  // Windows has no PNG writer of its own: the picture is a BMP of the same name
  // (scripts/wine-tests turns it into a PNG where ImageMagick is installed).
  std::string path = QUELVANE_BUILD_DIR "/" + std::string(fileName);
  if (path.ends_with(".png")) path.replace(path.size() - 4, 4, ".bmp");
  HWND handle = HandleOf(window);
  if (handle == nullptr) return false;
  ::SetWindowPos(handle, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  ::RedrawWindow(handle, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW | RDW_ALLCHILDREN);
  ProcessEvents();
  // The inside of the window, as Qt's pictures are: with no window manager on
  // the test display, wine leaves the frame undrawn.
  return WriteBitmap(PictureOf(handle, false), path);
}

bool SaveScreenshot(const Dialog& dialog, std::string_view fileName) {
  return SaveScreenshot(WindowOf(dialog), fileName);
}

std::optional<int> FocusedItem(const Dialog& dialog) {
  HWND focus = ::GetFocus();
  HWND window = DialogWindow(dialog);
  if (focus == nullptr || window == nullptr || ::GetParent(focus) != window) return std::nullopt;
  return ::GetDlgCtrlID(focus);
}

std::vector<std::uint32_t> ItemPicture(const Dialog& dialog, int id) {
  HWND control = DlgItemWindow(dialog, id);
  if (control == nullptr) return {};
  ::RedrawWindow(control, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
  return PictureOf(control, true).pixels;
}

FontUnits DialogFontUnits(const Dialog& dialog) {
  HWND window = DialogWindow(dialog);
  HFONT font = FontOf(window);
  LOGFONTW description{};
  ::GetObjectW(font, sizeof description, &description);
  HDC context = ::GetDC(window);
  const int pointsPerInch = ::GetDeviceCaps(context, LOGPIXELSY);
  HGDIOBJ previous = ::SelectObject(context, font);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(context, &metrics);
  SIZE letters{};
  const std::wstring_view all = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
  ::GetTextExtentPoint32W(context, all.data(), static_cast<int>(all.size()), &letters);
  ::SelectObject(context, previous);
  ::ReleaseDC(window, context);
  const int height = description.lfHeight < 0 ? -description.lfHeight
                                              : metrics.tmHeight - metrics.tmInternalLeading;
  return {::MulDiv(height, 72, pointsPerInch), (static_cast<int>(letters.cx) / 26 + 1) / 2,
          static_cast<int>(metrics.tmHeight)};
}

PixelRect ClientRect(const Dialog& dialog) {
  RECT client{};
  ::GetClientRect(DialogWindow(dialog), &client);
  return {0, 0, client.right, client.bottom};
}

namespace {

PixelRect PlaceOf(HWND control) {
  if (control == nullptr) return {};
  const RECT rect = RectInParent(control);
  return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

}  // namespace

PixelRect ItemRect(const Dialog& dialog, int id) {
  return PlaceOf(DlgItemWindow(dialog, id));
}

PixelRect ItemRectAt(const Dialog& dialog, std::size_t index) {
  return PlaceOf(DlgItemWindowAt(dialog, index));
}

std::size_t ItemCount(const Dialog& dialog) {
  return Children(DialogWindow(dialog)).size();
}

std::optional<std::size_t> ItemHitAtCentreOf(const Dialog& dialog, std::size_t index) {
  HWND target = DlgItemWindowAt(dialog, index);
  if (target == nullptr) return std::nullopt;
  const RECT rect = RectInParent(target);
  const POINT centre{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  // The topmost visible child there; a group box lets clicks through to what it
  // surrounds, as Windows' hit test does (statics let them through to the dialog,
  // which is not what this asks).
  for (HWND child : Children(DialogWindow(dialog))) {
    const RECT place = RectInParent(child);
    if (!::IsWindowVisible(child) || !::PtInRect(&place, centre)) continue;
    if (ClassOf(child) == L"Button" && (StyleOf(child) & BS_TYPEMASK) == BS_GROUPBOX) continue;
    return IndexOf(dialog, child);
  }
  return std::nullopt;
}

BoxIcon MessageBoxIcon(ScreenWindow box) {
  for (HWND child : Children(HandleOf(box))) {
    if (ClassOf(child) != L"Static" || (StyleOf(child) & SS_TYPEMASK) != SS_ICON ||
        !::IsWindowVisible(child)) {
      continue;
    }
    const auto icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
    if (icon == nullptr) return BoxIcon::kNone;
    const std::pair<LPCWSTR, BoxIcon> kIcons[] = {{IDI_HAND, BoxIcon::kStop},
                                                  {IDI_QUESTION, BoxIcon::kQuestion},
                                                  {IDI_ASTERISK, BoxIcon::kInformation},
                                                  {IDI_EXCLAMATION, BoxIcon::kWarning}};
    for (const auto& [name, kind] : kIcons) {
      if (::LoadIconW(nullptr, name) == icon) return kind;
    }
  }
  return BoxIcon::kNone;
}

std::vector<BoxAnswer> MessageBoxButtons(ScreenWindow box) {
  // The answers are the buttons' ids.
  std::vector<BoxAnswer> answers;
  for (const BoxAnswer answer : {BoxAnswer::kOk, BoxAnswer::kYes, BoxAnswer::kNo}) {
    HWND button = ::GetDlgItem(HandleOf(box), static_cast<int>(answer));
    if (button != nullptr && ::IsWindowVisible(button)) answers.push_back(answer);
  }
  return answers;
}

void PressMessageBoxButton(ScreenWindow box, BoxAnswer answer) {
  const int id = static_cast<int>(answer);
  HWND button = ::GetDlgItem(HandleOf(box), id);
  if (button != nullptr) {
    ::PostMessageW(HandleOf(box), WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
  }
}

BoxLayout MessageBoxLayout(ScreenWindow box) {
  BoxLayout layout;
  HWND window = HandleOf(box);
  HWND label = ::GetDlgItem(window, 0xFFFF);
  if (label == nullptr) return layout;
  RECT client{};
  ::GetClientRect(label, &client);
  layout.textWidth = client.right;
  layout.textHeight = client.bottom;
  const std::wstring text = TextOf(label);
  HFONT font = FontOf(label);
  for (std::size_t start = 0; start <= text.size();) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring_view line(text.data() + start, end - start);
    if (!line.empty() && line.back() == L'\r') line.remove_suffix(1);
    layout.longestLine =
        std::max(layout.longestLine, static_cast<int>(TextExtent(label, font, line).cx));
    start = end + 1;
  }
  HDC context = ::GetDC(label);
  HGDIOBJ previous = ::SelectObject(context, font);
  const UINT format = DT_CALCRECT | DT_NOPREFIX | DT_EXPANDTABS;
  RECT wrapped{0, 0, layout.textWidth, 0};
  ::DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &wrapped,
              format | DT_WORDBREAK);
  RECT written{0, 0, 0, 0};
  ::DrawTextW(context, text.c_str(), static_cast<int>(text.size()), &written, format);
  ::SelectObject(context, previous);
  ::ReleaseDC(label, context);
  layout.wrappedHeight = wrapped.bottom;
  layout.writtenHeight = written.bottom;
  // A box's title bar holds the caption, the close button and the frame.
  RECT frame{};
  ::GetWindowRect(window, &frame);
  layout.captionRoom = frame.right - frame.left - ::GetSystemMetrics(SM_CXSIZE) -
                       2 * (::GetSystemMetrics(SM_CXFIXEDFRAME) + ::GetSystemMetrics(SM_CXEDGE));
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
  HFONT captionFont = ::CreateFontIndirectW(&metrics.lfCaptionFont);
  layout.captionWidth = static_cast<int>(TextExtent(window, captionFont, TextOf(window)).cx);
  ::DeleteObject(captionFont);
  return layout;
}

std::vector<std::string> FileDialogFilters(ScreenWindow dialog) {
  std::vector<std::string> filters;
  HWND types = ::GetDlgItem(HandleOf(dialog), kFileTypes);
  const auto count = types == nullptr ? 0 : ::SendMessageW(types, CB_GETCOUNT, 0, 0);
  for (WPARAM i = 0; static_cast<LRESULT>(i) < count; ++i) {
    std::wstring text(static_cast<std::size_t>(::SendMessageW(types, CB_GETLBTEXTLEN, i, 0)) + 1,
                      L'\0');
    text.resize(static_cast<std::size_t>(
        ::SendMessageW(types, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()))));
    filters.push_back(FromWide(text));
  }
  return filters;
}

int FileDialogSelectedFilter(ScreenWindow dialog) {
  HWND types = ::GetDlgItem(HandleOf(dialog), kFileTypes);
  return types == nullptr ? -1 : static_cast<int>(::SendMessageW(types, CB_GETCURSEL, 0, 0));
}

bool FileDialogTakesSeveralFiles(ScreenWindow dialog) {
  HWND list = FindDescendant(HandleOf(dialog), WC_LISTVIEWW);
  return list != nullptr && (StyleOf(list) & LVS_SINGLESEL) == 0;
}

std::vector<std::string> FileDialogColumnsNotShownWhole(ScreenWindow dialog) {
  // Only the detail view has columns; Windows' dialog opens on the list view.
  HWND list = FindDescendant(HandleOf(dialog), WC_LISTVIEWW);
  if (list == nullptr || (StyleOf(list) & LVS_TYPEMASK) != LVS_REPORT) return {};
  auto* header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  std::vector<std::string> cut;
  RECT view{};
  ::GetClientRect(list, &view);
  const auto count = header == nullptr ? 0 : ::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t title[128] = {};
    HDITEMW item{};
    item.mask = HDI_TEXT | HDI_WIDTH;
    item.pszText = title;
    item.cchTextMax = 128;
    ::SendMessageW(header, HDM_GETITEMW, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    RECT place{};
    ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(i),
                   reinterpret_cast<LPARAM>(&place));
    const int needed = static_cast<int>(TextExtent(header, FontOf(header), title).cx) +
                       2 * ::GetSystemMetrics(SM_CXEDGE) * 3;
    if (item.cxy < needed || place.right > view.right) cut.push_back(FromWide(title));
  }
  return cut;
}

void ChooseInFileDialog(ScreenWindow dialog, const std::vector<std::string>& names) {
  std::wstring typed;
  for (const std::string& name : names) {
    typed += (typed.empty() ? L"\"" : L" \"") + ToWide(name) + L"\"";
  }
  HWND window = HandleOf(dialog);
  HWND edit = ::GetDlgItem(window, kFileNameEdit);
  if (edit == nullptr) edit = ::GetDlgItem(window, kFileNameCombo);
  ::SetWindowTextW(edit, typed.c_str());
  ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
                 reinterpret_cast<LPARAM>(::GetDlgItem(window, IDOK)));
}

struct PaintCounter::Impl {
  HWND control = nullptr;
  int paints = 0;
  static LRESULT CALLBACK Count(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                UINT_PTR /*id*/, DWORD_PTR self) {
    if (message == WM_PAINT) ++reinterpret_cast<Impl*>(self)->paints;
    return ::DefSubclassProc(window, message, wParam, lParam);
  }
};

PaintCounter::PaintCounter(const Dialog& dialog, int id) : impl_(std::make_unique<Impl>()) {
  impl_->control = DlgItemWindow(dialog, id);
  if (impl_->control != nullptr) {
    ::SetWindowSubclass(impl_->control, Impl::Count, 7, reinterpret_cast<DWORD_PTR>(impl_.get()));
  }
}
PaintCounter::~PaintCounter() {
  if (impl_->control != nullptr && ::IsWindow(impl_->control)) {
    ::RemoveWindowSubclass(impl_->control, Impl::Count, 7);
  }
}
int PaintCounter::Paints() const {
  return impl_->paints;
}

void PostClick(const Dialog& dialog, int id) {
  HWND button = DlgItemWindow(dialog, id);
  RECT client{};
  ::GetClientRect(button, &client);
  const LPARAM centre = MAKELPARAM(client.right / 2, client.bottom / 2);
  ::PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, centre);
  ::PostMessageW(button, WM_LBUTTONUP, 0, centre);
}

void PostChar(const Dialog& dialog, int id, char character) {
  // Typed at the end of the text, where a person who clicked after it types
  // (setting an edit's text leaves Windows' caret at its start).
  HWND edit = DlgItemWindow(dialog, id);
  const auto end = static_cast<WPARAM>(::GetWindowTextLengthW(edit));
  ::SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
  ::PostMessageW(edit, WM_CHAR, static_cast<unsigned char>(character), 1);
}

std::function<bool()> PostDeletion() {
  // A window closed by a posted WM_CLOSE goes when that message is handled.
  HWND doomed = ::CreateWindowExW(0, L"STATIC", L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
  ::PostMessageW(doomed, WM_CLOSE, 0, 0);
  return [doomed] { return ::IsWindow(doomed) != FALSE; };
}

namespace {

const std::function<void()>* pendingBody = nullptr;
bool bodyDone = false;

void CALLBACK RunBody(HWND /*window*/, UINT /*message*/, UINT_PTR timer, DWORD /*time*/) {
  ::KillTimer(nullptr, timer);
  if (pendingBody != nullptr) (*pendingBody)();
  bodyDone = true;
}

}  // namespace

void RunFromEventLoop(const std::function<void()>& body) {
  pendingBody = &body;
  bodyDone = false;
  ::SetTimer(nullptr, 0, 0, RunBody);
  MSG message;
  while (!bodyDone && ::GetMessageW(&message, nullptr, 0, 0) > 0) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
  pendingBody = nullptr;
}

void ProcessEvents() {
  MSG message;
  while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
  }
}

}  // namespace quelvane::testing
