// The last guard of a stretch of the program: a processor fault (an access
// violation and the like) anywhere inside it shows one message box, and the
// process then ends as any crashed process ends; the stretch is never
// resumed. MinGW has no __try, so on Windows the guard is an unhandled-
// exception filter; on the simulated machine it catches the structured
// exception the simulation raises and lets it travel on.
#pragma once

#include "platform/win32.h"

// Runs `body(window)` and returns when it returns. When a fault cuts it
// short, `tellCrash()` shows the message and the fault goes on to the
// system's handling of an unhandled exception, which ends the process: the
// call never returns. `tellCrash` runs at the fault, so a text the body
// keeps up to date names the place it reached. A fault guard
// (fault_guard.h) inside the body still takes the faults of its own stretch.
// Guards do not nest.
void RunCrashGuarded(void (*body)(HWND), HWND window, void (*tellCrash)());
