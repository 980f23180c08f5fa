#include "shell/window_procedure.h"

// Ends the program when the window goes; everything else is default handling
// until the wizard's screens and clicks are handled here.
LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
