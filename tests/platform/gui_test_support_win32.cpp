// The GUI tests' actions on real Windows controls (under wine with Xvfb on this
// machine): keys go through the dialog manager as the modal loop would hand
// them over, clicks and characters are the messages Windows makes of a
// person's input.
#include <cstdio>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <utility>
#include <vector>

#include "platform/win32/wide_text.h"
#include "platform/win32/win32_access.h"
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
  return (kind == L"Button" || kind == L"Static") && !noPrefix ? WithoutMnemonics(text) : text;
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

// A 32-bit bottom-up BMP of the window as the screen shows it.
bool WriteBitmap(HWND window, const std::string& path) {
  RECT rect{};
  ::GetWindowRect(window, &rect);
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) return false;
  HDC screen = ::GetDC(nullptr);
  HDC memory = ::CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* pixels = nullptr;
  HBITMAP bitmap = ::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &pixels, nullptr, 0);
  HGDIOBJ previous = ::SelectObject(memory, bitmap);
  // What the screen shows (wine's PrintWindow and WM_PRINT draw a dialog
  // without most of its controls).
  ::BitBlt(memory, 0, 0, width, height, screen, rect.left, rect.top, SRCCOPY);
  ::GdiFlush();
  const auto imageSize = static_cast<DWORD>(width * height * 4);
  BITMAPFILEHEADER file{
      0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + imageSize),
      0, 0, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER))};
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  out.write(static_cast<const char*>(pixels), imageSize);
  ::SelectObject(memory, previous);
  ::DeleteObject(bitmap);
  ::DeleteDC(memory);
  ::ReleaseDC(nullptr, screen);
  return out.good();
}

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

bool SaveScreenshot(const Dialog& dialog, std::string_view fileName) {
  // Windows has no PNG writer of its own: the picture is a BMP of the same name.
  std::string path = QUELVANE_BUILD_DIR "/" + std::string(fileName);
  if (path.ends_with(".png")) path.replace(path.size() - 4, 4, ".bmp");
  HWND window = DialogWindow(dialog);
  ::SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW);
  ::RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  // wine hands what a window painted to the X server a moment later.
  for (int i = 0; i < 5; ++i) {
    ProcessEvents();
    ::Sleep(60);
  }
  return window != nullptr && WriteBitmap(window, path);
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
