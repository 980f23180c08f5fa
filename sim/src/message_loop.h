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

// Serves the program's windows while a message box is open: dispatches
// posted messages, paints, due timers and the scripted actions marked for a
// message box, until none is left. True when a WM_QUIT ended the loop; the
// quit message is then posted again for the loop outside.
bool RunMessageBoxLoop();

// Starts the user's next scripted action if it may happen in this loop (a
// marked one only while a message box is open, an unmarked one only in the
// main loop): its mouse or keyboard messages go into the input queue, a wait
// sets the time it ends. False when the next action, if any, is not for
// this loop.
bool StartScriptedAction(bool messageBoxOpen);

// The reason the main loop cannot go on: no action left, or one that is
// meant for a message box.
std::string WhyNoActionForMainLoop();

// A typed ANSI byte reaching an EDIT window: appended to its text (a
// two-byte character once both bytes are in), backspace (8) removes the
// last character, other control characters are ignored.
void TypeIntoEdit(HWND edit, BYTE byte);

// Forgets the timers of a window that is being destroyed.
void DropTimers(HWND window);

}  // namespace sim
