// The windowing side of the simulated machine: registered classes, the
// program's windows, the message queue, the timers and the focus.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "simmachine/canvas.h"
#include "simwin/types.h"
#include "simwin/user32.h"

struct SimWindow {
  std::string className;  // UTF-8
  std::u16string title;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0;
  HWND parent = nullptr;
  HMENU menu = nullptr;
  HINSTANCE instance = nullptr;
  WNDPROC procedure = nullptr;
  bool visible = false;
  bool needsPaint = true;
  bool destroyed = false;
  sim::Canvas canvas;  // the client area, sized on first use
  bool createdByProgram = false;  // not another program's window nor the console
  BYTE pendingLeadByte = 0;       // an EDIT's first byte of a two-byte character being typed
  bool enabled = true;            // EnableWindow
  HFONT font = nullptr;           // a control's font of WM_SETFONT
  UINT checked = BST_UNCHECKED;   // a button's check state
  DLGPROC dialogProcedure = nullptr;  // a dialog's procedure
  std::optional<INT_PTR> dialogResult;  // EndDialog was called with it
};

namespace sim {

struct GdiState;  // the program's pens, brushes, fonts, bitmaps and device contexts

struct WindowClass {
  std::string name;  // UTF-8
  WNDPROC procedure = nullptr;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  UINT style = 0;
  ATOM atom = 0;
};

// A window's timer of SetTimer, in the process's virtual time.
struct Timer {
  HWND window = nullptr;
  UINT_PTR id = 0;
  UINT intervalMs = 0;
  uint64_t dueMs = 0;  // the process's elapsedMs at which it fires next
};

struct UserState {
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<SimWindow>> windows;  // every window ever made; destroyed ones stay marked
  std::deque<MSG> queue;  // posted messages
  std::deque<MSG> input;  // the mouse and keyboard messages of the scripted action being delivered
  std::vector<Timer> timers;
  std::optional<uint64_t> waitUntilMs;  // a wait in progress ends at this elapsedMs
  bool idleWaitSpent = false;           // the idle while after the script ran out has passed
  std::optional<int> quitCode;          // PostQuitMessage was called and its WM_QUIT not yet taken
  HWND focus = nullptr;
  std::vector<HWND> dialogs;  // the modal dialogs open, innermost last
  HWND console = nullptr;  // the console window once GetConsoleWindow made it
  ATOM nextAtom = 0xC000;
  bool otherWindowsOpen = false;  // the profile's other-program windows are among `windows`
  std::shared_ptr<GdiState> gdi;  // made by the first GDI call
  // Called after each finished paint of a top-level window (EndPaint, or
  // ReleaseDC of its device context), once its edit children are drawn; told
  // whether the paint answered a paint message (EndPaint).
  std::function<void(HWND, bool)> paintObserver;
  // Called when a message box opens, with its text (UTF-8), before its loop
  // runs: what the box says can be held against the machine at that moment.
  std::function<void(const std::string &)> messageBoxObserver;

  // The live window for a handle, or null for an unknown or destroyed one.
  SimWindow *Find(HWND window) const;
};

}  // namespace sim
