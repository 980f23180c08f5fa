#include "ui/progress_bar.h"

#include "common/program_state.h"
#include "ui/wizard_layout.h"
#include "ui/wizard_screens.h"

namespace {

const int kHeldBack = 15;
const int kBarInset = 3;

}  // namespace

void DrawProgressBar(HDC dc, int step, int total) {
  const int x = wizardLayout.progressFrame[0];
  const int width = wizardLayout.progressFrame[2];
  const int top = wizardLayout.progressFrame[1] + kBarInset;
  const int bottom = wizardLayout.progressFrame[1] + wizardLayout.progressFrame[3];
  int fill = 0;
  if (total == 0) fill = 0;
  else if (total < step) fill = width;
  else fill = (int)((long long)width * step / total);
  if (step < 1) {
    SelectObject(dc, GetStockObject(WHITE_BRUSH));
    Rectangle(dc, x, top, x + width, bottom);
    return;
  }
  SelectObject(dc, wizardLayout.progressBrush);
  Rectangle(dc, x, top, x + fill, bottom);
}

void UpdateProgress(int step, int total) {
  if (step > total - kHeldBack) step = total - kHeldBack;
  if (program.runMode == kRunModeWindowless) return;
  HDC dc = GetDC(program.mainWindow);
  DrawProgressBar(dc, step, total);
  ReleaseDC(program.mainWindow, dc);
}

void RepaintInstallScreen() {
  if (program.runMode == kRunModeWindowless) return;
  HDC dc = GetDC(program.mainWindow);
  PaintInstallScreen(dc);
  ReleaseDC(program.mainWindow, dc);
}
