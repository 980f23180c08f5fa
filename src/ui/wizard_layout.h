// What the wizard window owns and its screens read: the two long-lived
// fonts, the progress brush, the painted buttons' and choices' rectangles
// and the progress-bar frame. Set at window creation and released at its
// destruction.
#pragma once

#include "platform/win32.h"

struct WizardLayout {
  HFONT bodyFont;
  HFONT titleFont;
  HBRUSH progressBrush;
  // Client coordinates, edges included in a hit.
  RECT confirmButtonRect;
  RECT quitButtonRect;
  RECT passwordRowRect;
  RECT userNameRowRect;
  RECT phoneRowRect;
  RECT pinyinChoiceRect;
  RECT wubiChoiceRect;
  RECT tsfChoiceRect;
  RECT imeChoiceRect;
  // x, y, width and height of the progress bar.
  int progressFrame[4];
};
extern WizardLayout wizardLayout;
// No fonts, brush or rectangles, as before window creation; what the window
// created is not released here.
void ResetWizardLayout();

// Sets the nine rectangles and the progress-bar frame.
void SetWizardLayout();
// Empties the four choice rectangles: they match no point afterwards.
void EmptyChoiceRectangles();
// 1 when (x, y) lies in `rect`, its edges included; an emptied rectangle
// holds no point.
int PointInRectangle(const RECT *rect, int x, int y);
