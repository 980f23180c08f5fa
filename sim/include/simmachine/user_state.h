// The windowing side of the simulated machine: registered classes, the
// program's windows, the message queue and the focus.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <memory>
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

struct UserState {
  std::vector<WindowClass> classes;
  std::vector<std::unique_ptr<SimWindow>> windows;  // every window ever made; destroyed ones stay marked
  std::deque<MSG> queue;
  HWND focus = nullptr;
  HWND console = nullptr;  // the console window once GetConsoleWindow made it
  ATOM nextAtom = 0xC000;
  bool otherWindowsOpen = false;  // the profile's other-program windows are among `windows`
  std::shared_ptr<GdiState> gdi;  // made by the first GDI call
  // Called after each finished paint of a top-level window (EndPaint, or
  // ReleaseDC of its device context), once its edit children are drawn.
  std::function<void(HWND)> paintObserver;

  // The live window for a handle, or null for an unknown or destroyed one.
  SimWindow *Find(HWND window) const;
};

}  // namespace sim
