// USER32: message boxes answered from the user's script, window classes and
// windows, the focus, and character case.
#include <algorithm>
#include <cstring>

#include "api_support.h"
#include "controls.h"
#include "message_loop.h"
#include "other_program_windows.h"

using sim::M;

SimWindow *sim::UserState::Find(HWND window) const {
  for (const auto &w : windows)
    if (w.get() == window && !w->destroyed) return w.get();
  return nullptr;
}

// ---- Message boxes ----

namespace {

const char *ButtonsName(UINT type) {
  switch (type & 0xF) {
    case MB_OK: return "OK";
    case MB_OKCANCEL: return "OKCANCEL";
    case MB_YESNOCANCEL: return "YESNOCANCEL";
    case MB_YESNO: return "YESNO";
    default: return "OTHER";
  }
}

}  // namespace

// Before Windows Vista the desktop does not keep the windows' pictures: what
// a message box or dialog covered is painted again by its windows once it goes.
void sim::UncoverProgramWindows() {
  if (M().profile.major >= 6) return;
  for (const auto &w : M().user.windows)
    if (w->createdByProgram && !w->destroyed && w->visible && !(w->style & WS_CHILD)) w->needsPaint = true;
}

namespace {

// While the box is open its modal loop serves the program's windows; a quit
// message ends it with 0. Then an OK box is answered OK and a Yes/No box
// takes the next scripted answer; any other box, or a Yes/No box without an
// answer left, stops the run. The box is logged when it closes, after what
// happened while it was open.
int ShowMessageBox(HWND owner, const std::string &text, const std::string &caption, UINT type) {
  sim::Machine &m = M();
  const char *buttons = ButtonsName(type);
  if (m.user.messageBoxObserver) m.user.messageBoxObserver(text);
  const bool quit = sim::RunMessageBoxLoop();
  sim::UncoverProgramWindows();
  std::string answer;
  int result = 0;
  if (quit) {
    answer = "quit";
  } else if ((type & 0xF) == MB_OK) {
    answer = "OK", result = IDOK;
  } else if ((type & 0xF) == MB_YESNO && !m.script.yesNoAnswers.empty()) {
    bool yes = m.script.yesNoAnswers.front();
    m.script.yesNoAnswers.pop_front();
    answer = yes ? "YES" : "NO", result = yes ? IDYES : IDNO;
  }
  m.events.Add("messagebox", {{"caption", caption},
                              {"text", text},
                              {"buttons", buttons},
                              {"answer", answer.empty() ? "none" : answer},
                              {"owner", owner ? "window" : "none"}});
  if (result == 0 && !quit)
    throw sim::ScriptExhausted(std::string("a message box with buttons ") + buttons + " needs an answer that was not given: \"" +
                               caption + "\" " + text);
  return result;
}

}  // namespace

int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type) {
  return ShowMessageBox(owner, sim::AnsiToUtf8(text), sim::AnsiToUtf8(caption ? caption : "Error"), type);
}

int MessageBoxW(HWND owner, LPCWSTR text, LPCWSTR caption, UINT type) {
  return ShowMessageBox(owner, sim::Utf16ToUtf8(sim::FromWide(text)),
                        caption ? sim::Utf16ToUtf8(sim::FromWide(caption)) : "Error", type);
}

// ---- Window classes ----

namespace {

std::string ClassName(LPCSTR name) {
  if (IS_INTRESOURCE(name)) return "#" + std::to_string(reinterpret_cast<ULONG_PTR>(name));
  return sim::AnsiToUtf8(name);
}

bool SameName(const std::string &a, const std::string &b) {
  return sim::EqualNoCase(sim::Utf8ToUtf16(a), sim::Utf8ToUtf16(b));
}

const sim::WindowClass *FindClass(const std::string &name) {
  for (const auto &c : M().user.classes)
    if (SameName(c.name, name)) return &c;
  return nullptr;
}

}  // namespace

ATOM RegisterClassA(const WNDCLASSA *windowClass) {
  std::string name = ClassName(windowClass->lpszClassName);
  if (FindClass(name)) {
    sim::SetError(1410);  // ERROR_CLASS_ALREADY_EXISTS
    return 0;
  }
  sim::WindowClass c;
  c.name = name;
  c.procedure = windowClass->lpfnWndProc;
  c.instance = windowClass->hInstance;
  c.icon = windowClass->hIcon;
  c.cursor = windowClass->hCursor;
  c.background = windowClass->hbrBackground;
  c.style = windowClass->style;
  c.atom = M().user.nextAtom++;
  M().user.classes.push_back(c);
  return c.atom;
}

// ---- Windows ----

namespace {

bool IsTopLevel(const SimWindow &w) { return w.parent == nullptr || !(w.style & WS_CHILD); }

HWND CreateWindowUtf16(DWORD exStyle, const std::string &className, const std::u16string &title, DWORD style, int x,
                       int y, int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  sim::Machine &m = M();
  WNDPROC procedure = nullptr;
  if (const sim::WindowClass *c = FindClass(className)) procedure = c->procedure;
  else procedure = sim::SystemClassProcedure(className);
  if (!procedure) {
    sim::SetError(1407);  // ERROR_CANNOT_FIND_WND_CLASS
    return nullptr;
  }
  if ((style & WS_CHILD) && !m.user.Find(parent)) {
    sim::SetError(1406);  // ERROR_TLW_WITH_WSCHILD
    return nullptr;
  }
  auto window = std::make_unique<SimWindow>();
  window->className = className;
  window->title = title;
  window->style = style, window->exStyle = exStyle;
  window->x = x, window->y = y, window->width = width, window->height = height;
  window->parent = parent, window->menu = menu, window->instance = instance;
  window->procedure = procedure;
  window->visible = (style & WS_VISIBLE) != 0;
  window->createdByProgram = true;
  HWND handle = window.get();
  m.user.windows.push_back(std::move(window));
  if (IsTopLevel(*handle))
    m.events.Add("window", {{"title", sim::Utf16ToUtf8(title)},
                            {"class", className},
                            {"x", std::to_string(x)},
                            {"y", std::to_string(y)},
                            {"width", std::to_string(width)},
                            {"height", std::to_string(height)}});
  std::string ansiTitle = sim::Utf16ToCodePage(sim::AnsiCodePage(), title);
  CREATESTRUCTA create{param, instance, menu, parent, height, width, y, x,
                       static_cast<LONG>(style), ansiTitle.c_str(), nullptr, exStyle};
  if (procedure(handle, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  return handle;
}

}  // namespace

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR title, DWORD style, int x, int y, int width, int height,
                     HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowUtf16(exStyle, ClassName(className), sim::CodePageToUtf16(sim::AnsiCodePage(), title ? title : ""),
                           style, x, y, width, height, parent, menu, instance, param);
}

HWND CreateWindowExW(DWORD exStyle, LPCWSTR className, LPCWSTR title, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
  return CreateWindowUtf16(exStyle, sim::Utf16ToUtf8(sim::FromWide(className)), sim::FromWide(title), style, x, y,
                           width, height, parent, menu, instance, param);
}

BOOL DestroyWindow(HWND window) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  for (const auto &child : M().user.windows)
    if (child->parent == window && !child->destroyed) DestroyWindow(child.get());
  w->procedure(window, WM_DESTROY, 0, 0);
  w->destroyed = true;
  sim::DropTimers(window);
  if (M().user.focus == window) M().user.focus = nullptr;
  return TRUE;
}

// A top-level window of the program that appears is activated, and default
// activation gives it the focus (WM_SETFOCUS). Narrower than Windows: every
// show command but SW_HIDE shows and activates.
BOOL ShowWindow(HWND window, int show) {
  SimWindow *w = M().user.Find(window);
  if (!w) return FALSE;
  BOOL wasVisible = w->visible;
  w->visible = show != SW_HIDE;
  if (w->visible && !wasVisible) {
    w->needsPaint = true;
    if (w->createdByProgram && IsTopLevel(*w)) SetFocus(window);
  }
  return wasVisible;
}

// Paints at once when something is left to paint, as the real call does.
BOOL UpdateWindow(HWND window) {
  SimWindow *w = M().user.Find(window);
  if (!w) return FALSE;
  if (w->visible && w->needsPaint) w->procedure(window, WM_PAINT, 0, 0);
  return TRUE;
}

BOOL IsWindow(HWND window) { return M().user.Find(window) != nullptr; }

BOOL IsWindowVisible(HWND window) {
  SimWindow *w = M().user.Find(window);
  return w && w->visible;
}

HWND FindWindowA(LPCSTR className, LPCSTR title) {
  sim::OpenOtherProgramWindows(M());
  for (const auto &w : M().user.windows) {
    if (w->destroyed || !IsTopLevel(*w)) continue;
    if (className && !SameName(w->className, ClassName(className))) continue;
    if (title && w->title != sim::CodePageToUtf16(sim::AnsiCodePage(), title)) continue;
    return w.get();
  }
  return nullptr;
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM parameter) {
  sim::OpenOtherProgramWindows(M());
  std::vector<HWND> topLevel;
  for (const auto &w : M().user.windows)
    if (!w->destroyed && IsTopLevel(*w)) topLevel.push_back(w.get());
  for (HWND window : topLevel)
    if (!callback(window, parameter)) break;
  return TRUE;
}

int GetClassNameA(HWND window, LPSTR name, int size) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (!name || size <= 0) return 0;
  lstrcpynA(name, sim::Utf8ToCodePage(sim::AnsiCodePage(), w->className).c_str(), size);
  return lstrlenA(name);
}

HWND GetParent(HWND window) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return (w->style & (WS_CHILD | WS_POPUP)) ? w->parent : nullptr;
}

static BOOL SetTitle(HWND window, const std::u16string &title) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  w->title = title;
  if (IsTopLevel(*w)) M().events.Add("title", {{"title", sim::Utf16ToUtf8(title)}});
  return TRUE;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  return SetTitle(window, sim::CodePageToUtf16(sim::AnsiCodePage(), text ? text : ""));
}

BOOL SetWindowTextW(HWND window, LPCWSTR text) { return SetTitle(window, sim::FromWide(text ? text : L"")); }

int GetWindowTextA(HWND window, LPSTR text, int size) {
  SimWindow *w = M().user.Find(window);
  if (!w || size <= 0) return 0;
  std::string ansi = sim::Utf16ToCodePage(sim::AnsiCodePage(), w->title);
  int n = std::min<int>(static_cast<int>(ansi.size()), size - 1);
  std::memcpy(text, ansi.data(), n);
  text[n] = '\0';
  return n;
}

int GetWindowTextW(HWND window, LPWSTR text, int size) {
  SimWindow *w = M().user.Find(window);
  if (!w || size <= 0) return 0;
  int n = std::min<int>(static_cast<int>(w->title.size()), size - 1);
  std::memcpy(text, w->title.data(), n * 2);
  text[n] = 0;
  return n;
}

HWND SetFocus(HWND window) {
  HWND previous = M().user.focus;
  if (window && !M().user.Find(window)) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  if (window == previous) return previous;
  M().user.focus = window;
  if (previous) SendMessageA(previous, WM_KILLFOCUS, reinterpret_cast<WPARAM>(window), 0);
  if (window) SendMessageA(window, WM_SETFOCUS, reinterpret_cast<WPARAM>(previous), 0);
  return previous;
}

// A child's position is relative to its parent's client area, which for a
// framed window starts after its left border and caption.
BOOL GetWindowRect(HWND window, LPRECT rect) {
  SimWindow *w = M().user.Find(window);
  if (!w || !rect) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  POINT origin{0, 0};
  if (w->style & WS_CHILD) {
    RECT parent{};
    GetWindowRect(w->parent, &parent);
    POINT client = sim::ClientOffset(M().user.Find(w->parent)->style);
    origin = POINT{parent.left + client.x, parent.top + client.y};
  }
  *rect = RECT{origin.x + w->x, origin.y + w->y, origin.x + w->x + w->width, origin.y + w->y + w->height};
  return TRUE;
}

BOOL SetWindowPos(HWND window, HWND, int x, int y, int cx, int cy, UINT flags) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  if (!(flags & SWP_NOMOVE)) w->x = x, w->y = y;
  if (!(flags & SWP_NOSIZE)) w->width = cx, w->height = cy, w->needsPaint = true;
  if (flags & SWP_SHOWWINDOW) ShowWindow(window, SW_SHOW);
  if (flags & SWP_HIDEWINDOW) ShowWindow(window, SW_HIDE);
  return TRUE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  SimWindow *w = M().user.Find(window);
  if (!w) return FALSE;
  BOOL wasDisabled = !w->enabled;
  w->enabled = enable != FALSE;
  return wasDisabled;
}

BOOL IsWindowEnabled(HWND window) {
  SimWindow *w = M().user.Find(window);
  return w && w->enabled;
}

LONG GetWindowLongA(HWND window, int index) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (index == GWL_STYLE) return static_cast<LONG>(w->style);
  if (index == GWL_ID) return static_cast<LONG>(reinterpret_cast<LONG_PTR>(w->menu));
  return 0;
}

BOOL InvalidateRect(HWND window, const RECT *, BOOL) {
  SimWindow *w = M().user.Find(window);
  if (!w) return FALSE;
  w->needsPaint = true;
  return TRUE;
}

int GetSystemMetrics(int index) {
  if (index == SM_CXSCREEN) return M().profile.screenWidth;
  if (index == SM_CYSCREEN) return M().profile.screenHeight;
  return 0;
}

// The program's icon group and the system's arrow cursor are all there is.
HICON LoadIconA(HINSTANCE instance, LPCSTR name) {
  if (!FindResourceA(instance, name, MAKEINTRESOURCEA(14))) return nullptr;
  static int icon;
  return reinterpret_cast<HICON>(&icon);
}

HCURSOR LoadCursorA(HINSTANCE instance, LPCSTR name) {
  static int arrow;
  if (instance || name != IDC_ARROW) return nullptr;
  return reinterpret_cast<HCURSOR>(&arrow);
}

// ---- Character case: ASCII letters only (narrower than Windows, which also
// maps accented Latin letters of the code page) ----

// In the double-byte code pages 936 and 950 a byte from 0x81 on starts a
// two-byte character.
static bool IsLeadByte(unsigned char c) {
  unsigned cp = sim::AnsiCodePage();
  return (cp == 936 || cp == 950) && c >= 0x81 && c != 0xFF;
}

LPSTR CharUpperA(LPSTR text) {
  if (IS_INTRESOURCE(text)) {
    ULONG_PTR c = reinterpret_cast<ULONG_PTR>(text);
    return reinterpret_cast<LPSTR>((c >= 'a' && c <= 'z') ? c - 32 : c);
  }
  for (unsigned char *p = reinterpret_cast<unsigned char *>(text); *p; ++p) {
    if (IsLeadByte(*p) && p[1]) ++p;  // a trail byte of a two-byte character is no letter
    else if (*p >= 'a' && *p <= 'z') *p = static_cast<unsigned char>(*p - 32);
  }
  return text;
}

LPSTR CharLowerA(LPSTR text) {
  if (IS_INTRESOURCE(text)) {
    ULONG_PTR c = reinterpret_cast<ULONG_PTR>(text);
    return reinterpret_cast<LPSTR>((c >= 'A' && c <= 'Z') ? c + 32 : c);
  }
  for (unsigned char *p = reinterpret_cast<unsigned char *>(text); *p; ++p) {
    if (IsLeadByte(*p) && p[1]) ++p;
    else if (*p >= 'A' && *p <= 'Z') *p = static_cast<unsigned char>(*p + 32);
  }
  return text;
}

// The console window of AllocConsole: a window of the system's own.
HWND GetConsoleWindow() {
  sim::UserState &user = M().user;
  if (!M().process.consoleAllocated) return nullptr;
  if (!user.Find(user.console)) {
    auto window = std::make_unique<SimWindow>();
    window->className = "ConsoleWindowClass";
    window->procedure = DefWindowProcA;
    window->visible = true;
    user.console = window.get();
    user.windows.push_back(std::move(window));
  }
  return user.console;
}
