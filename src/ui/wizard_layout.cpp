#include "ui/wizard_layout.h"

HFONT bodyFont = NULL;
HFONT titleFont = NULL;
HBRUSH progressBrush = NULL;

RECT confirmButtonRect;
RECT quitButtonRect;
RECT passwordRowRect;
RECT userNameRowRect;
RECT phoneRowRect;
RECT pinyinChoiceRect;
RECT wubiChoiceRect;
RECT tsfChoiceRect;
RECT imeChoiceRect;

int progressFrame[4];

namespace {

void SetRectangle(RECT *rect, LONG left, LONG top, LONG right, LONG bottom) {
  rect->left = left;
  rect->top = top;
  rect->right = right;
  rect->bottom = bottom;
}

}  // namespace

void SetWizardLayout() {
  SetRectangle(&confirmButtonRect, 40, 245, 140, 270);
  SetRectangle(&quitButtonRect, 260, 245, 360, 270);
  SetRectangle(&passwordRowRect, 30, 192, 365, 217);
  SetRectangle(&userNameRowRect, 30, 162, 365, 187);
  SetRectangle(&phoneRowRect, 30, 132, 365, 157);
  SetRectangle(&pinyinChoiceRect, 160, 190, 255, 210);
  SetRectangle(&wubiChoiceRect, 275, 190, 370, 210);
  SetRectangle(&tsfChoiceRect, 160, 215, 255, 235);
  SetRectangle(&imeChoiceRect, 275, 215, 370, 235);
  progressFrame[0] = 30;
  progressFrame[1] = 188;
  progressFrame[2] = 340;
  progressFrame[3] = 30;
}

void EmptyChoiceRectangles() {
  SetRectangle(&pinyinChoiceRect, 0, 0, 0, 0);
  SetRectangle(&wubiChoiceRect, 0, 0, 0, 0);
  SetRectangle(&tsfChoiceRect, 0, 0, 0, 0);
  SetRectangle(&imeChoiceRect, 0, 0, 0, 0);
}

// An emptied rectangle is all zeros; with edges included it would still hold
// the client origin, so a rectangle without area holds no point.
int PointInRectangle(const RECT *rect, int x, int y) {
  if (rect->left >= rect->right || rect->top >= rect->bottom) return 0;
  return rect->left <= x && x <= rect->right && rect->top <= y && y <= rect->bottom;
}
