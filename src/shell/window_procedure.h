// The wizard window's procedure.
#pragma once

#include "platform/win32.h"

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
