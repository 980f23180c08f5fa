// The progress bar over the install screen's path line, drawn straight into
// the wizard window while the install blocks its message loop.
#pragma once

#include "platform/win32.h"

// Draws the bar for `step` of `total`: the empty white bar for a step below
// 1, else a fill in proportion (the full width when the step passes the
// total, none for a total of 0).
void DrawProgressBar(HDC dc, int step, int total);
// Draws the bar into the wizard window with the step held 15 below the
// total, so the bar never looks finished while the install still works;
// nothing in the windowless run.
void UpdateProgress(int step, int total);
// Paints the whole install screen into the wizard window again; nothing in
// the windowless run.
void RepaintInstallScreen();
