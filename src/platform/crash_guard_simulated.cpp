// The crash guard on the simulated machine, where a processor fault is the
// structured exception the simulation raises: it is seen here as the
// Windows filter sees it, and thrown on to whoever runs the program, which
// treats it as the end of a crashed process.
#include "platform/crash_guard.h"

#include "simmachine/structured_exception.h"

void RunCrashGuarded(void (*body)(HWND), HWND window, void (*tellCrash)()) {
  try {
    body(window);
  } catch (const sim::StructuredException &) {
    tellCrash();
    throw;
  }
}
