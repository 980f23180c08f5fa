#include "ui/wizard_layout.h"

WizardLayout wizardLayout;

namespace {

void SetRectangle(RECT *rect, LONG left, LONG top, LONG right, LONG bottom) {
  rect->left = left;
  rect->top = top;
  rect->right = right;
  rect->bottom = bottom;
}

}  // namespace

void ResetWizardLayout() { wizardLayout = WizardLayout(); }

void SetWizardLayout() {
  SetRectangle(&wizardLayout.confirmButtonRect, 40, 245, 140, 270);
  SetRectangle(&wizardLayout.quitButtonRect, 260, 245, 360, 270);
  SetRectangle(&wizardLayout.passwordRowRect, 30, 192, 365, 217);
  SetRectangle(&wizardLayout.userNameRowRect, 30, 162, 365, 187);
  SetRectangle(&wizardLayout.phoneRowRect, 30, 132, 365, 157);
  SetRectangle(&wizardLayout.pinyinChoiceRect, 160, 190, 255, 210);
  SetRectangle(&wizardLayout.wubiChoiceRect, 275, 190, 370, 210);
  SetRectangle(&wizardLayout.tsfChoiceRect, 160, 215, 255, 235);
  SetRectangle(&wizardLayout.imeChoiceRect, 275, 215, 370, 235);
  wizardLayout.progressFrame[0] = 30;
  wizardLayout.progressFrame[1] = 188;
  wizardLayout.progressFrame[2] = 340;
  wizardLayout.progressFrame[3] = 30;
}

void EmptyChoiceRectangles() {
  SetRectangle(&wizardLayout.pinyinChoiceRect, 0, 0, 0, 0);
  SetRectangle(&wizardLayout.wubiChoiceRect, 0, 0, 0, 0);
  SetRectangle(&wizardLayout.tsfChoiceRect, 0, 0, 0, 0);
  SetRectangle(&wizardLayout.imeChoiceRect, 0, 0, 0, 0);
}

// An emptied rectangle is all zeros; with edges included it would still hold
// the client origin, so a rectangle without area holds no point.
int PointInRectangle(const RECT *rect, int x, int y) {
  if (rect->left >= rect->right || rect->top >= rect->bottom) return 0;
  return rect->left <= x && x <= rect->right && rect->top <= y && y <= rect->bottom;
}
