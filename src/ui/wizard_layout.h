// What the wizard window owns and its screens read: the two long-lived
// fonts, the progress brush, the painted buttons' and choices' rectangles
// and the progress-bar frame. Set at window creation and released at its
// destruction.
#pragma once

#include "platform/win32.h"

extern HFONT bodyFont;
extern HFONT titleFont;
extern HBRUSH progressBrush;

// Client coordinates, edges included in a hit.
extern RECT confirmButtonRect;
extern RECT quitButtonRect;
extern RECT passwordRowRect;
extern RECT userNameRowRect;
extern RECT phoneRowRect;
extern RECT pinyinChoiceRect;
extern RECT wubiChoiceRect;
extern RECT tsfChoiceRect;
extern RECT imeChoiceRect;

// x, y, width and height of the progress bar.
extern int progressFrame[4];

// Sets the nine rectangles and the progress-bar frame.
void SetWizardLayout();
// Empties the four choice rectangles: they match no point afterwards.
void EmptyChoiceRectangles();
// 1 when (x, y) lies in `rect`, its edges included; an emptied rectangle
// holds no point.
int PointInRectangle(const RECT *rect, int x, int y);
