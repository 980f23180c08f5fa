// Messages in the program's own 8-bit texts. They are GBK whatever the
// machine's code page, so they are shown through UTF-16 and read the same on
// a traditional-Chinese or any other Windows.
#pragma once

#include "platform/win32.h"

// How many failure messages the run has shown; the windowless run's exit
// code tells from it whether everything worked.
extern int failuresShown;
// None shown, as at start.
void ResetFailuresShown();

// Shows a GBK text and caption with no owner window and returns the button
// pressed. Converted from code page 936 and shown with MessageBoxW; where
// Windows cannot convert (Windows 98 without that code page) the bytes go to
// MessageBoxA as they are.
int ShowGbkMessage(const char *text, const char *caption, UINT buttons);
// ShowGbkMessage with an OK button, counted in failuresShown.
void ShowFailure(const char *text, const char *caption);
