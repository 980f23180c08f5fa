// The system's window classes the program uses without registering them:
// EDIT, BUTTON (push, default push, group box, auto radio), STATIC and the
// dialog class "#32770", and how their children show on their parent.
#pragma once

#include <string>

#include "simmachine/canvas.h"
#include "simmachine/user_state.h"
#include "simwin/windows.h"

namespace sim {

// The button face colour of dialogs and their controls (COLOR_BTNFACE as
// Wine's default theme sets it).
constexpr COLORREF kButtonFace = RGB(245, 245, 245);

// The procedure of a system class by name (case-insensitive), or null.
WNDPROC SystemClassProcedure(const std::string &className);

// The window procedure of class "#32770": the dialog procedure first, then
// the default dialog handling (defined with the dialog calls).
LRESULT DialogWindowProcedure(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Where the client area of a window of that style lies in it (after its
// left border and caption), and the window size a client area needs (AdjustWindowRect).
POINT ClientOffset(DWORD style);
SIZE WindowSizeForClient(DWORD style, SIZE client);

// Draws the visible controls of the system classes over their parent's
// canvas at the end of its paint: Windows paints children after their
// parent, which has no WS_CLIPCHILDREN.
void DrawChildControls(HWND parent, Canvas &canvas);

}  // namespace sim
