// USER32: the user's scripted actions delivered as Windows delivers input:
// a click to the window under the pointer, typing to the window with the
// focus, the close box to the main window, the open dialog's controls, Esc
// and close box, and waiting in virtual time.
#include <string>

#include "api_support.h"
#include "other_program_windows.h"
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

// A window takes mouse input when neither it nor a window it is a child of
// is disabled.
bool TakesInput(HWND window) {
  for (SimWindow *w = M().user.Find(window); w; w = (w->style & WS_CHILD) ? M().user.Find(w->parent) : nullptr)
    if (!w->enabled) return false;
  return true;
}

// The pointer moves to the point, then the button goes down there; a
// disabled window (the owner of a modal dialog) lets the click fall away.
void Click(bool right, int x, int y) {
  HWND main = MainWindow();
  if (!main) return;
  HWND target = WindowAt(main, &x, &y);
  if (!TakesInput(target)) return;
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

void PressCloseBox(HWND window) {
  if (window && TakesInput(window)) M().user.input.push_back(sim::QueuedMessage(window, WM_CLOSE, 0, 0));
}

HWND OpenDialog() { return M().user.dialogs.empty() ? nullptr : M().user.dialogs.back(); }

// A click in the middle of the dialog's control: pointer move, button down
// and up, as a button reacts when the button comes up.
void ClickDialogControl(int id) {
  HWND control = GetDlgItem(OpenDialog(), id);
  SimWindow *w = M().user.Find(control);
  if (!w || !w->visible || !TakesInput(control)) return;
  LPARAM middle = MAKELPARAM(w->width / 2, w->height / 2);
  auto &input = M().user.input;
  input.push_back(sim::QueuedMessage(control, WM_MOUSEMOVE, 0, middle));
  input.push_back(sim::QueuedMessage(control, WM_LBUTTONDOWN, MK_LBUTTON, middle));
  input.push_back(sim::QueuedMessage(control, WM_LBUTTONUP, 0, middle));
}

// Esc goes to the window with the focus, else to the dialog itself.
void PressEscape() {
  HWND dialog = OpenDialog();
  HWND focus = M().user.focus;
  HWND target = (focus && (focus == dialog || GetParent(focus) == dialog)) ? focus : dialog;
  M().user.input.push_back(sim::QueuedMessage(target, WM_KEYDOWN, VK_ESCAPE, 1));
}

const char *LoopName(sim::Loop loop) {
  if (loop == sim::Loop::kMessageBox) return "messagebox";
  return loop == sim::Loop::kDialog ? "dialog" : "main";
}

void Deliver(const sim::UserAction &action, sim::Loop where) {
  const char *loop = LoopName(where);
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
      PressCloseBox(MainWindow());
      break;
    case Kind::kQuitPrograms:
      M().events.Add("quit_programs", {{"class", action.text}, {"loop", loop}});
      sim::QuitOtherPrograms(M(), action.text);
      break;
    case Kind::kWait:
      M().events.Add("wait", {{"ms", std::to_string(action.ms)}, {"loop", loop}});
      M().user.waitUntilMs = M().process.elapsedMs + action.ms;
      break;
    case Kind::kDialogClick:
      M().events.Add("dialog_click", {{"id", std::to_string(action.controlId)}, {"loop", loop}});
      ClickDialogControl(action.controlId);
      break;
    case Kind::kDialogEscape:
      M().events.Add("dialog_escape", {{"loop", loop}});
      PressEscape();
      break;
    case Kind::kDialogClose:
      M().events.Add("dialog_close", {{"loop", loop}});
      PressCloseBox(OpenDialog());
      break;
  }
}

}  // namespace

static bool IsForLoop(const sim::UserAction &action, sim::Loop loop) {
  if (action.duringMessageBox) return loop == sim::Loop::kMessageBox;
  if (action.ForDialog()) return loop == sim::Loop::kDialog;
  return loop != sim::Loop::kMessageBox;
}

bool sim::StartScriptedAction(Loop loop) {
  auto &actions = M().script.actions;
  if (actions.empty() || !IsForLoop(actions.front(), loop)) return false;
  UserAction action = actions.front();
  actions.pop_front();
  Deliver(action, loop);
  return true;
}

std::string sim::WhyNoAction(Loop loop) {
  const char *waiter = loop == Loop::kDialog ? "the dialog waits" : "the program waits";
  if (M().script.actions.empty()) return std::string(waiter) + " for a user action (a click or key) that was not given";
  const UserAction &next = M().script.actions.front();
  return std::string(waiter) + " for a user action, but the next one given is for " +
         (next.duringMessageBox ? "a message box" : "a dialog");
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
