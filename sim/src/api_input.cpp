// USER32: the user's scripted actions delivered as Windows delivers input:
// a click to the window under the pointer, typing to the window with the
// focus, the close box to the main window, and waiting in virtual time.
#include <string>

#include "api_support.h"
#include "message_loop.h"

using sim::M;
using Kind = sim::UserAction::Kind;

namespace {

// The program's main window: the first of its top-level windows on screen.
HWND MainWindow() {
  for (const auto &w : M().user.windows)
    if (w->createdByProgram && !w->destroyed && w->visible && !(w->style & WS_CHILD)) return w.get();
  return nullptr;
}

// The deepest visible child of `window` under a point in its client area,
// with the point made relative to that child. A child covers x to
// x + width - 1; children made first lie on top, as CreateWindowEx puts a new
// child at the bottom of its siblings.
HWND WindowAt(HWND window, int *x, int *y) {
  for (bool descended = true; descended;) {
    descended = false;
    for (const auto &w : M().user.windows) {
      if (w->destroyed || !w->visible || !(w->style & WS_CHILD) || w->parent != window) continue;
      if (*x < w->x || *x >= w->x + w->width || *y < w->y || *y >= w->y + w->height) continue;
      *x -= w->x, *y -= w->y;
      window = w.get();
      descended = true;
      break;
    }
  }
  return window;
}

// The pointer moves to the point, then the button goes down there.
void Click(bool right, int x, int y) {
  HWND main = MainWindow();
  if (!main) return;
  HWND target = WindowAt(main, &x, &y);
  LPARAM where = MAKELPARAM(x, y);
  auto &input = M().user.input;
  input.push_back(sim::QueuedMessage(target, WM_MOUSEMOVE, 0, where));
  input.push_back(sim::QueuedMessage(target, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON,
                                     where));
}

// An ANSI window gets a two-byte character as two WM_CHAR messages, lead
// byte first.
void Type(const std::string &text) {
  HWND focus = M().user.focus;
  if (!focus) return;
  for (char c : sim::Utf8ToAnsi(text))
    M().user.input.push_back(sim::QueuedMessage(focus, WM_CHAR, static_cast<BYTE>(c), 1));
}

void PressCloseBox() {
  if (HWND main = MainWindow()) M().user.input.push_back(sim::QueuedMessage(main, WM_CLOSE, 0, 0));
}

void Deliver(const sim::UserAction &action) {
  const char *loop = action.duringMessageBox ? "messagebox" : "main";
  switch (action.kind) {
    case Kind::kClick:
    case Kind::kRightClick: {
      bool right = action.kind == Kind::kRightClick;
      M().events.Add("click", {{"button", right ? "right" : "left"},
                               {"x", std::to_string(action.x)},
                               {"y", std::to_string(action.y)},
                               {"loop", loop}});
      Click(right, action.x, action.y);
      break;
    }
    case Kind::kType:
      M().events.Add("type", {{"text", action.text}, {"loop", loop}});
      Type(action.text);
      break;
    case Kind::kClose:
      M().events.Add("close", {{"loop", loop}});
      PressCloseBox();
      break;
    case Kind::kWait:
      M().events.Add("wait", {{"ms", std::to_string(action.ms)}, {"loop", loop}});
      M().user.waitUntilMs = M().process.elapsedMs + action.ms;
      break;
  }
}

}  // namespace

bool sim::StartScriptedAction(bool messageBoxOpen) {
  auto &actions = M().script.actions;
  if (actions.empty() || actions.front().duringMessageBox != messageBoxOpen) return false;
  UserAction action = actions.front();
  actions.pop_front();
  Deliver(action);
  return true;
}

std::string sim::WhyNoActionForMainLoop() {
  if (M().script.actions.empty()) return "the program waits for a user action (a click or key) that was not given";
  return "the program waits for a user action, but the next one given is for a message box";
}

void sim::TypeIntoEdit(HWND edit, BYTE byte) {
  SimWindow *w = M().user.Find(edit);
  if (!w) return;
  if (byte == 8) {
    if (w->pendingLeadByte) w->pendingLeadByte = 0;
    else if (!w->title.empty()) w->title.pop_back();
  } else if (w->pendingLeadByte) {
    const char character[] = {static_cast<char>(w->pendingLeadByte), static_cast<char>(byte)};
    w->title += CodePageToUtf16(AnsiCodePage(), std::string_view(character, 2));
    w->pendingLeadByte = 0;
  } else if (IsDBCSLeadByte(byte)) {
    w->pendingLeadByte = byte;
    return;
  } else if (byte >= 0x20) {
    const char character = static_cast<char>(byte);
    w->title += CodePageToUtf16(AnsiCodePage(), std::string_view(&character, 1));
  } else {
    return;
  }
  w->needsPaint = true;
}
