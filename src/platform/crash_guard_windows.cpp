// The crash guard on Windows: an unhandled-exception filter that shows the
// message and declines the exception, so that the system ends the process.
#include "platform/crash_guard.h"

namespace {

const char *crashMessage = "";
const char *crashCaption = "";

// Called for a fault that nothing inside the guarded stretch handled.
LONG WINAPI ShowCrashMessage(EXCEPTION_POINTERS *) {
  MessageBoxA(NULL, crashMessage, crashCaption, MB_OK);
  return EXCEPTION_CONTINUE_SEARCH;
}

}  // namespace

void RunCrashGuarded(void (*body)(HWND), HWND window, const char *message, const char *caption) {
  crashMessage = message;
  crashCaption = caption;
  LPTOP_LEVEL_EXCEPTION_FILTER previous = SetUnhandledExceptionFilter(ShowCrashMessage);
  body(window);
  SetUnhandledExceptionFilter(previous);
}
