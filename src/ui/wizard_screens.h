// The wizard's five screens, painted with GDI into a device context, and
// their shared drawing helpers. A painter selects its own fonts, colours and
// background mode and leaves them so; apart from refreshing the code page
// and hiding the focus field the painters change nothing.
#pragma once

#include "platform/win32.h"

// Wizard state 0 and below: banner, slogans, edition and interface choices.
void PaintIntroScreen(HDC dc);
// States 1 to 4: the profile rows with their labels.
void PaintProfileScreen(HDC dc);
// States 5 and 6, and during the install: the installation path, or the
// empty progress bar once the install counts.
void PaintInstallScreen(HDC dc);
// State 7, painted while a message box of the install is open.
void PaintWorkingScreen(HDC dc);
// States 8 and above: installed.
void PaintFinishScreen(HDC dc);

// A one-pixel raised frame: black bottom and right, white top and left. The
// white pen stays selected.
void DrawRaisedFrame(HDC dc, int left, int top, int right, int bottom);
void SetButtonTextColor(HDC dc);
// Draws part of the package's BMP entry `name`: its (xSrc, ySrc, wSrc, hSrc)
// stretched onto (xDest, yDest, wDest, hDest), kept left of clipRight and
// above clipBottom. Nothing is drawn without such an entry.
void DrawPackageBitmap(int clipRight, int clipBottom, HDC dc, const char *name, int xDest, int yDest, int wDest,
                       int hDest, int xSrc, int ySrc, int wSrc, int hSrc);
