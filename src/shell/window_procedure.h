// The wizard window's procedure.
#pragma once

#include "platform/win32.h"

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// No install work running and nothing of the window's released, as at its
// creation.
void ResetWindowWork();
