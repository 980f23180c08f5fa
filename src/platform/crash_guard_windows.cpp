// The crash guard on Windows: an unhandled-exception filter that shows the
// message and declines the exception, so that the system ends the process.
#include "platform/crash_guard.h"

namespace {

void (*tellCrash)() = nullptr;

// Called for a fault that nothing inside the guarded stretch handled.
LONG WINAPI ShowCrashMessage(EXCEPTION_POINTERS *) {
  tellCrash();
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void RunCrashGuarded(void (*body)(HWND), HWND window, void (*tell)()) {
  tellCrash = tell;
  LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(ShowCrashMessage);
  body(window);
  SetUnhandledExceptionFilter(previous);
}
