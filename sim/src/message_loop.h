// The message loop's parts shared by the USER32 calls: the modal loop of a
// message box, the user's scripted actions turned into input, and the timers
// and typing that windows own.
#pragma once

#include <string>

#include "simwin/windows.h"

namespace sim {

// A message as the queue hands it out, stamped with the tick count.
inline MSG QueuedMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return MSG{window, message, wParam, lParam, GetTickCount(), {0, 0}};
}

// The message loops the program's thread can be in: its own, a message box's,
// or a modal dialog's.
enum class Loop { kMain, kMessageBox, kDialog };

// Serves the program's windows while a message box is open: dispatches
// posted messages, paints, due timers and the scripted actions marked for a
// message box, until none is left. True when a WM_QUIT ended the loop; the
// quit message is then posted again for the loop outside.
bool RunMessageBoxLoop();

// Runs a modal dialog's loop until EndDialog: dispatches what the main loop
// would, turns Esc into WM_COMMAND IDCANCEL as IsDialogMessage does, and
// delivers the actions for a dialog. True when a WM_QUIT ended it; the quit
// message is then posted again for the loop outside.
bool RunDialogLoop(HWND dialog);

// Starts the user's next scripted action if it may happen in this loop (a
// marked one only while a message box is open, an action on a dialog only in
// a dialog's loop, an unmarked one in the main loop or a dialog's): its mouse
// or keyboard messages go into the input queue, a wait sets the time it ends.
// False when the next action, if any, is not for this loop.
bool StartScriptedAction(Loop loop);

// The reason the main loop or a dialog's cannot go on: no action left, or
// one that is meant for another loop.
std::string WhyNoAction(Loop loop);

// A typed ANSI byte reaching an EDIT window: appended to its text (a
// two-byte character once both bytes are in), backspace (8) removes the
// last character, other control characters are ignored.
void TypeIntoEdit(HWND edit, BYTE byte);

// Marks the program's shown top-level windows for a paint when the system
// does not keep what a message box or dialog covered (before Vista).
void UncoverProgramWindows();

// Forgets the timers of a window that is being destroyed.
void DropTimers(HWND window);

}  // namespace sim
