// The user's scripted actions reaching the program's windows through the
// message loop: clicks routed to the window under the pointer, typing into
// the focused edit field, timers in virtual time, the modal loop of a message
// box, and the run stopping when the script is used up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/win32.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;
using Kind = sim::UserAction::Kind;

struct Received {
  HWND window;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  uint64_t atMs;  // the process's virtual time when it arrived
};

std::vector<Received> received;

// Records what it gets; paints validate and a destroyed window ends the loop.
LRESULT RecordingProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  received.push_back({window, message, wParam, lParam, sim::CurrentMachine().process.elapsedMs});
  if (message == WM_DESTROY) PostQuitMessage(3);
  return DefWindowProcA(window, message, wParam, lParam);
}

// The messages of the given kinds in the order they arrived.
std::vector<Received> ReceivedOf(UINT message, UINT other = 0, UINT third = 0) {
  std::vector<Received> found;
  for (const Received &r : received)
    if (r.message == message || r.message == other || r.message == third) found.push_back(r);
  return found;
}

sim::UserAction Action(Kind kind, int x = 0, int y = 0) {
  sim::UserAction action;
  action.kind = kind, action.x = x, action.y = y;
  return action;
}

sim::UserAction Wait(unsigned ms) {
  sim::UserAction action = Action(Kind::kWait);
  action.ms = ms;
  return action;
}

sim::UserAction InMessageBox(sim::UserAction action) {
  action.duringMessageBox = true;
  return action;
}

// A shown main window of a recording class, painted, with nothing received.
HWND OpenMainWindow() {
  static WNDCLASSA windowClass;
  windowClass.lpfnWndProc = RecordingProcedure;
  windowClass.lpszClassName = "recorder";
  RegisterClassA(&windowClass);
  HWND main = CreateWindowExA(0, "recorder", "main", WS_SYSMENU, 100, 100, 400, 310, NULL, NULL, NULL, NULL);
  ShowWindow(main, SW_SHOWNORMAL);
  UpdateWindow(main);
  received.clear();
  return main;
}

HWND Child(const char *className, HWND parent, int x, int y, int width, int height, DWORD visible = WS_VISIBLE) {
  return CreateWindowExA(0, className, "", WS_CHILD | visible, x, y, width, height, parent, NULL, NULL, NULL);
}

// Runs the main loop until the program quits or the script runs out.
void RunLoop() {
  MSG msg;
  try {
    while (GetMessageA(&msg, NULL, 0, 0)) DispatchMessageA(&msg);
  } catch (const sim::ScriptExhausted &) {
  }
}

TEST(UserClick, ReachesTheDeepestVisibleWindowUnderThePointRelativeToIt) {
  struct Row {
    Kind kind;
    int x, y;
    const char *target;
    UINT message;
    WPARAM buttons;
    int clientX, clientY;
  };
  const Row rows[] = {
      {Kind::kClick, 130, 195, "panel", WM_LBUTTONDOWN, MK_LBUTTON, 0, 0},        // top-left corner is inside
      {Kind::kClick, 359, 214, "panel", WM_LBUTTONDOWN, MK_LBUTTON, 229, 19},     // last pixel is inside
      {Kind::kClick, 360, 195, "main", WM_LBUTTONDOWN, MK_LBUTTON, 360, 195},     // right edge is outside
      {Kind::kClick, 130, 215, "main", WM_LBUTTONDOWN, MK_LBUTTON, 130, 215},     // bottom edge is outside
      {Kind::kClick, 145, 200, "inner", WM_LBUTTONDOWN, MK_LBUTTON, 5, 3},        // child of the child
      {Kind::kClick, 15, 105, "main", WM_LBUTTONDOWN, MK_LBUTTON, 15, 105},       // hidden child is passed by
      {Kind::kRightClick, 300, 20, "main", WM_RBUTTONDOWN, MK_RBUTTON, 300, 20},  // outside every child
      {Kind::kRightClick, 200, 200, "panel", WM_RBUTTONDOWN, MK_RBUTTON, 70, 5},
  };
  for (const Row &row : rows) {
    ScopedMachine machine;
    HWND main = OpenMainWindow();
    HWND panel = Child("recorder", main, 130, 195, 230, 20);
    HWND inner = Child("recorder", panel, 10, 2, 20, 10);
    Child("recorder", main, 10, 100, 50, 20, 0);
    received.clear();
    machine->script.actions = {Action(row.kind, row.x, row.y)};
    RunLoop();
    HWND expected = std::string(row.target) == "main" ? main : std::string(row.target) == "panel" ? panel : inner;
    const LPARAM where = MAKELPARAM(row.clientX, row.clientY);
    auto mouse = ReceivedOf(WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_RBUTTONDOWN);
    ASSERT_EQ(mouse.size(), 2u) << row.x << "," << row.y;
    EXPECT_EQ(mouse[0].message, static_cast<UINT>(WM_MOUSEMOVE)) << row.x << "," << row.y;
    EXPECT_EQ(mouse[0].lParam, where) << row.x << "," << row.y;
    EXPECT_EQ(mouse[1].window, expected) << row.x << "," << row.y;
    EXPECT_EQ(mouse[1].message, row.message) << row.x << "," << row.y;
    EXPECT_EQ(mouse[1].wParam, row.buttons) << row.x << "," << row.y;
    EXPECT_EQ(mouse[1].lParam, where) << row.x << "," << row.y;
    auto clicks = machine->events.OfKind("click");
    ASSERT_EQ(clicks.size(), 1u);
    EXPECT_EQ(clicks[0].Field("x"), std::to_string(row.x));
  }
}

// The click gives the edit field the focus, so the main window loses it and
// the typed text, with its backspace, lands in the field in the ANSI code page.
TEST(UserTyping, GoesIntoTheClickedEditFieldWithBackspaceRemovingACharacter) {
  ScopedMachine machine("win10-x64");
  machine->profile.ansiCodePage = 936;
  HWND main = OpenMainWindow();
  HWND edit = Child("EDIT", main, 130, 165, 230, 20);
  sim::UserAction typing = Action(Kind::kType);
  typing.text = u8"ab\b中x\b\b汉";
  machine->script.actions = {Action(Kind::kClick, 140, 170), typing};
  RunLoop();
  char text[32];
  EXPECT_EQ(GetWindowTextA(edit, text, sizeof text), 3);
  EXPECT_STREQ(text, "a汉");
  ASSERT_EQ(ReceivedOf(WM_KILLFOCUS).size(), 1u);
  EXPECT_EQ(ReceivedOf(WM_KILLFOCUS)[0].wParam, reinterpret_cast<WPARAM>(edit));
  EXPECT_EQ(machine->events.OfKind("type").at(0).Field("text"), typing.text);
}

TEST(UserTimer, FiresInVirtualTimeBetweenTheScriptedActions) {
  struct Row {
    const char *name;
    std::vector<sim::UserAction> actions;
    bool resetAfterFirstAction;
    std::vector<UINT> order;
    std::vector<uint64_t> atMs;
  };
  const Row rows[] = {
      {"an action comes before a timer that is not due", {Action(Kind::kClick, 1, 1)}, false,
       {WM_LBUTTONDOWN, WM_TIMER}, {0, 1600}},
      {"a wait lets the timer fire inside it", {Wait(2000), Action(Kind::kClick, 1, 1)}, false,
       {WM_TIMER, WM_LBUTTONDOWN}, {1600, 2000}},
      {"a shorter wait does not", {Wait(1000), Action(Kind::kClick, 1, 1)}, false,
       {WM_LBUTTONDOWN, WM_TIMER}, {1000, 1600}},
      {"setting the id again restarts it", {Wait(1000), Action(Kind::kClick, 1, 1)}, true,
       {WM_LBUTTONDOWN, WM_TIMER}, {1000, 2600}},
  };
  for (const Row &row : rows) {
    ScopedMachine machine;
    HWND main = OpenMainWindow();
    ASSERT_EQ(SetTimer(main, 2, 1600, NULL), 2u);
    machine->script.actions.assign(row.actions.begin(), row.actions.end());
    MSG msg;
    std::vector<UINT> order;
    std::vector<uint64_t> atMs;
    while (order.size() < row.order.size() && GetMessageA(&msg, NULL, 0, 0)) {
      DispatchMessageA(&msg);
      if (msg.message != WM_LBUTTONDOWN && msg.message != WM_TIMER) continue;
      order.push_back(msg.message);
      atMs.push_back(machine->process.elapsedMs);
      if (row.resetAfterFirstAction && order.size() == 1) SetTimer(main, 2, 1600, NULL);
      if (msg.message == WM_TIMER) {
        EXPECT_EQ(msg.wParam, 2u) << row.name;
      }
    }
    EXPECT_EQ(order, row.order) << row.name;
    EXPECT_EQ(atMs, row.atMs) << row.name;
  }
}

// The close box pressed while a box of the install sequence is open: the box
// ends with the quit message and hands it on to the main loop, and the click
// meant for the main loop stays in the script.
TEST(MessageBoxLoop, DeliversTheMarkedCloseAndLeavesUnmarkedActionsForTheMainLoop) {
  ScopedMachine machine;
  HWND main = OpenMainWindow();
  InvalidateRect(main, NULL, FALSE);
  machine->script.actions = {InMessageBox(Action(Kind::kClose)), Action(Kind::kClick, 5, 5)};
  EXPECT_EQ(MessageBoxA(NULL, "copying", "setup", MB_OK), 0);
  ASSERT_EQ(ReceivedOf(WM_PAINT).size(), 1u);
  EXPECT_EQ(ReceivedOf(WM_CLOSE).size(), 1u);
  EXPECT_FALSE(IsWindow(main));
  auto box = machine->events.OfKind("messagebox");
  ASSERT_EQ(box.size(), 1u);
  EXPECT_EQ(box[0].Field("answer"), "quit");
  MSG msg;
  EXPECT_FALSE(GetMessageA(&msg, NULL, 0, 0));
  EXPECT_EQ(msg.wParam, 3u);
  ASSERT_EQ(machine->script.actions.size(), 1u);
  EXPECT_EQ(machine->script.actions[0].kind, Kind::kClick);
}

// Without a quit the box takes its answer once its loop has nothing left.
TEST(MessageBoxLoop, TakesItsAnswerAfterTheMarkedClick) {
  ScopedMachine machine;
  OpenMainWindow();
  machine->script.actions = {InMessageBox(Action(Kind::kClick, 5, 5)), Action(Kind::kClick, 6, 6)};
  machine->script.yesNoAnswers = {false};
  EXPECT_EQ(MessageBoxW(NULL, L"continue?", L"setup", MB_YESNO), IDNO);
  ASSERT_EQ(ReceivedOf(WM_LBUTTONDOWN).size(), 1u);
  EXPECT_EQ(ReceivedOf(WM_LBUTTONDOWN)[0].lParam, MAKELPARAM(5, 5));
  EXPECT_EQ(machine->script.actions.size(), 1u);
}

TEST(MainLoop, StopsWithoutHangingWhenNoActionIsLeftForIt) {
  struct Row {
    const char *name;
    std::vector<sim::UserAction> actions;
    bool timer;
    bool destroy;
    const char *reason;
  };
  const Row rows[] = {
      {"no action", {}, false, false, "was not given"},
      {"an action for a message box", {InMessageBox(Action(Kind::kClose))}, false, false, "for a message box"},
      {"a repeating timer runs for an idle minute", {}, true, false, "was not given"},
      {"a destroyed window's timer is gone", {}, true, true, "was not given"},
  };
  for (const Row &row : rows) {
    ScopedMachine machine;
    HWND main = OpenMainWindow();
    HWND field = Child("EDIT", main, 0, 0, 10, 10, 0);
    if (row.timer) SetTimer(field, 1, 1000, NULL);
    if (row.destroy) DestroyWindow(field);
    machine->script.actions.assign(row.actions.begin(), row.actions.end());
    MSG msg;
    size_t ticks = 0;
    try {
      while (GetMessageA(&msg, NULL, 0, 0)) {
        ticks += msg.message == WM_TIMER;
        DispatchMessageA(&msg);
      }
      ADD_FAILURE() << row.name << ": the loop ended";
    } catch (const sim::ScriptExhausted &e) {
      EXPECT_NE(std::string(e.what()).find(row.reason), std::string::npos) << row.name << ": " << e.what();
    }
    EXPECT_EQ(ticks, row.timer && !row.destroy ? 60u : 0u) << row.name;
    EXPECT_TRUE(IsWindow(main)) << row.name;
    EXPECT_EQ(machine->events.OfKind("stopped").size(), 1u) << row.name;
  }
}

}  // namespace
