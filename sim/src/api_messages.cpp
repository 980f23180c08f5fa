// USER32: the message queue, the main and modal message loops, and timers in
// the process's virtual time.
#include <algorithm>
#include <limits>

#include "api_support.h"
#include "message_loop.h"

using sim::M;

namespace {

// With its script used up, the user is taken to sit idle this long while the
// program's timers run, before the run stops: a repeating timer never ends a
// run by itself.
const uint64_t kIdleMs = 60000;

uint64_t Now() { return M().process.elapsedMs; }

bool TakeFrom(std::deque<MSG> *queue, MSG *msg) {
  if (queue->empty()) return false;
  *msg = queue->front();
  queue->pop_front();
  return true;
}

// PostQuitMessage only flags the queue: the quit message comes after the
// messages posted before it, ahead of input, as Windows orders it.
bool TakeQuit(MSG *msg) {
  auto &quit = M().user.quitCode;
  if (!quit) return false;
  *msg = sim::QueuedMessage(nullptr, WM_QUIT, static_cast<WPARAM>(*quit), 0);
  quit.reset();
  return true;
}

// On screen: the window and every window it is a child of are visible.
bool IsShown(const SimWindow *w) {
  for (; w; w = (w->style & WS_CHILD) ? M().user.Find(w->parent) : nullptr)
    if (!w->visible) return false;
  return true;
}

// A paint for the first of the program's windows on screen that needs one;
// Windows makes WM_PAINT only when nothing else is queued.
bool TakePaint(MSG *msg) {
  for (const auto &w : M().user.windows)
    if (w->createdByProgram && !w->destroyed && w->needsPaint && IsShown(w.get())) {
      *msg = sim::QueuedMessage(w.get(), WM_PAINT, 0, 0);
      return true;
    }
  return false;
}

// The timer due first, if it is due by `limitMs`; virtual time moves on to
// it. As on Windows, a timer that fell behind fires once and counts its next
// interval from now.
bool TakeTimer(uint64_t limitMs, MSG *msg) {
  auto &timers = M().user.timers;
  auto next = std::min_element(timers.begin(), timers.end(),
                               [](const sim::Timer &a, const sim::Timer &b) { return a.dueMs < b.dueMs; });
  if (next == timers.end() || next->dueMs > limitMs) return false;
  M().process.elapsedMs = std::max(Now(), next->dueMs);
  next->dueMs = Now() + next->intervalMs;
  *msg = sim::QueuedMessage(next->window, WM_TIMER, next->id, 0);
  return true;
}

// A wait lets the timers that fall due within it fire, then ends at its time.
bool TakeTimerWhileWaiting(MSG *msg) {
  auto &until = M().user.waitUntilMs;
  if (!until) return false;
  if (TakeTimer(*until, msg)) return true;
  M().process.elapsedMs = std::max(Now(), *until);
  until.reset();
  return false;
}

// The main loop's last resort once no scripted action is for it: a while of
// idle time for the timers, then the run stops.
bool StartIdleWait() {
  sim::UserState &user = M().user;
  if (user.idleWaitSpent) return false;
  user.idleWaitSpent = true;
  user.waitUntilMs = Now() + kIdleMs;
  return true;
}

// The next message for the loop, in Windows' order; false when a message
// box's loop has nothing left to do.
bool NextMessage(sim::Loop loop, MSG *msg) {
  sim::UserState &user = M().user;
  for (;;) {
    if (TakeFrom(&user.queue, msg) || TakeQuit(msg) || TakeFrom(&user.input, msg) || TakePaint(msg) ||
        TakeTimer(Now(), msg) || TakeTimerWhileWaiting(msg))
      return true;
    if (sim::StartScriptedAction(loop)) continue;
    if (loop == sim::Loop::kMessageBox) return false;
    if (StartIdleWait()) continue;
    M().events.Add("stopped", {{"for", loop == sim::Loop::kDialog ? "dialog action" : "user action"}});
    throw sim::ScriptExhausted(sim::WhyNoAction(loop));
  }
}

}  // namespace

// Windows' modal loops end on WM_QUIT and post it again, so that the loop
// outside ends too.
bool sim::RunMessageBoxLoop() {
  MSG msg;
  while (NextMessage(sim::Loop::kMessageBox, &msg)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return true;
    }
    DispatchMessageA(&msg);
  }
  return false;
}

// IsDialogMessage's part that the dialog needs: Esc pressed in the dialog
// is its cancel command.
static bool IsDialogEscape(HWND dialog, const MSG &msg) {
  if (msg.message != WM_KEYDOWN || msg.wParam != VK_ESCAPE) return false;
  if (msg.hwnd != dialog && GetParent(msg.hwnd) != dialog) return false;
  SendMessageA(dialog, WM_COMMAND, IDCANCEL, reinterpret_cast<LPARAM>(GetDlgItem(dialog, IDCANCEL)));
  return true;
}

bool sim::RunDialogLoop(HWND dialog) {
  MSG msg;
  for (SimWindow *w = M().user.Find(dialog); w && !w->dialogResult; w = M().user.Find(dialog)) {
    NextMessage(sim::Loop::kDialog, &msg);
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return true;
    }
    if (!IsDialogEscape(dialog, msg)) DispatchMessageA(&msg);
  }
  return false;
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (window && !M().user.Find(window)) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  M().user.queue.push_back(sim::QueuedMessage(window, message, wParam, lParam));
  return TRUE;
}

void PostQuitMessage(int exitCode) { M().user.quitCode = exitCode; }

BOOL GetMessageA(LPMSG msg, HWND, UINT, UINT) {
  NextMessage(sim::Loop::kMain, msg);
  return msg->message != WM_QUIT;
}

BOOL TranslateMessage(const MSG *) { return FALSE; }

LRESULT DispatchMessageA(const MSG *msg) {
  SimWindow *w = M().user.Find(msg->hwnd);
  if (!w) return 0;
  return w->procedure(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  return w->procedure(window, message, wParam, lParam);
}

// Closing destroys the window; painting validates it; everything else is 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
  SimWindow *w = M().user.Find(window);
  if (message == WM_CLOSE) DestroyWindow(window);
  if (message == WM_PAINT && w) w->needsPaint = false;
  return 0;
}

// ---- Timers ----

namespace {

std::vector<sim::Timer>::iterator FindTimer(HWND window, UINT_PTR id) {
  auto &timers = M().user.timers;
  return std::find_if(timers.begin(), timers.end(),
                      [&](const sim::Timer &t) { return t.window == window && t.id == id; });
}

}  // namespace

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT ms, TIMERPROC callback) {
  if (!window || callback) return 0;
  if (!M().user.Find(window)) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  auto &timers = M().user.timers;
  auto timer = FindTimer(window, id);
  if (timer == timers.end()) timer = timers.insert(timers.end(), sim::Timer{window, id, 0, 0});
  timer->intervalMs = std::max<UINT>(ms, USER_TIMER_MINIMUM);
  timer->dueMs = Now() + timer->intervalMs;
  return id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  auto timer = FindTimer(window, id);
  if (timer == M().user.timers.end()) return FALSE;
  M().user.timers.erase(timer);
  return TRUE;
}

void sim::DropTimers(HWND window) {
  auto &timers = M().user.timers;
  timers.erase(std::remove_if(timers.begin(), timers.end(), [&](const Timer &t) { return t.window == window; }),
               timers.end());
}
