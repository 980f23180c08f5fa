#include "shell/window_procedure.h"

#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "common/texts.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "shell/confirm_sequence.h"
#include "ui/profile_screen.h"
#include "ui/progress_bar.h"
#include "ui/wizard_layout.h"
#include "ui/wizard_screens.h"
#include "userdata/backup_state.h"

namespace {

// The installation, its ending or the finish timer's work is running: the
// message boxes they show let messages through, and what those messages
// would end or free is held back until the work is done.
int installWorkRunning = 0;
// WM_DESTROY came while the work ran; the program ends when it is done.
int endRequested = 0;
int resourcesReleased = 0;

void CreateWizardResources(HWND window) {
  installWorkRunning = 0;
  endRequested = 0;
  resourcesReleased = 0;
  AllocConsole();
  ShowWindow(GetConsoleWindow(), SW_HIDE);
  editionChoice = 0;
  wizardModeFlag = 1;
  if (windowsFacts.codePage == kTraditionalCodePage) SetWindowTextW(window, kWizardTitleTraditional);
  progressTotal = 0;
  progressStep = 0;
  mainWindow = window;
  SetWizardLayout();
  bodyFont = CreateFontA(22, 7, 0, 0, 0, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
  titleFont = CreateFontA(40, 20, 0, 0, 0, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "楷体");
  progressBrush = CreateSolidBrush(RGB(30, 144, 255));
  SetProgressHooks(UpdateProgress, RepaintInstallScreen);
  LoadPackageResource();
  if (!AllocateWorkingBuffer()) return;
  backupState = 0;
}

// Everything window creation acquired, let go once.
void ReleaseWizardResources() {
  if (resourcesReleased) return;
  resourcesReleased = 1;
  SetProgressHooks(NULL, NULL);
  FreeWorkingBuffer();
  ReleasePackageResource();
  DeleteObject(titleFont);
  DeleteObject(bodyFont);
  DeleteObject(progressBrush);
  titleFont = NULL;
  bodyFont = NULL;
  progressBrush = NULL;
}

void EndProgram() {
  ReleaseWizardResources();
  PostQuitMessage(0);
}

void PaintCurrentScreen(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (wizardState <= 0) PaintIntroScreen(dc);
  else if (wizardState <= 4) PaintProfileScreen(dc);
  else if (wizardState <= 6) PaintInstallScreen(dc);
  else if (wizardState == 7) PaintWorkingScreen(dc);
  else PaintFinishScreen(dc);
  EndPaint(window, &paint);
}

// Runs one piece of the install work with the program's end held back until
// it returns.
void RunInstallWork(HWND window, void (*work)(HWND)) {
  installWorkRunning = 1;
  work(window);
  installWorkRunning = 0;
  if (endRequested) EndProgram();
}

// From the intro or the profile screen on: the profile screen is shown at
// once with its fields, and the profile step moves the wizard on.
void ConfirmOnEarlyScreen(HWND window) {
  HDC dc = GetDC(window);
  PaintProfileScreen(dc);
  ReleaseDC(window, dc);
  HWND fields[3] = {editFieldB, editFieldC, editFieldD};
  for (HWND field : fields) {
    ShowWindow(field, SW_HIDE);
    ShowWindow(field, SW_SHOW);
  }
  if (wizardState == 0) {
    SetWindowTextA(editFieldD, "");
    LoadProfile();
  }
  ConfirmProfile();
  InvalidateRect(window, NULL, FALSE);
}

void ConfirmClicked(HWND window) {
  EmptyChoiceRectangles();
  if (wizardState == 6) RunInstallWork(window, RunConfirmSequence);
  else if (wizardState >= 9) RunInstallWork(window, RunEnding);
  else if (wizardState == 8) {
    wizardState = 9;
    InvalidateRect(window, NULL, FALSE);
  } else if (wizardState <= 4) {
    ConfirmOnEarlyScreen(window);
  }
}

// The first choice hit changes its value and shows it; 0 when none was hit.
int ChoiceClicked(HWND window, int x, int y) {
  if (PointInRectangle(&pinyinChoiceRect, x, y)) editionChoice = 1;
  else if (PointInRectangle(&wubiChoiceRect, x, y)) editionChoice = 0;
  else if (PointInRectangle(&tsfChoiceRect, x, y)) interfaceChoice = 1;
  else if (PointInRectangle(&imeChoiceRect, x, y)) interfaceChoice = 0;
  else return 0;
  InvalidateRect(window, NULL, FALSE);
  return 1;
}

// Before the installation the program ends at once; after it, through the
// ending.
LRESULT QuitClicked(HWND window) {
  if (wizardState < 8) return PostMessageA(window, WM_DESTROY, 0, 0);
  RunInstallWork(window, RunEnding);
  return 0;
}

// Both mouse buttons act alike. While the install runs clicks do nothing.
LRESULT Clicked(HWND window, LPARAM lParam) {
  if (wizardState == 7 || installWorkRunning) return 0;
  const int x = (int)(lParam & 0xFFFF);
  const int y = (int)((lParam >> 16) & 0xFFFF);
  if (PointInRectangle(&quitButtonRect, x, y)) return QuitClicked(window);
  if (ChoiceClicked(window, x, y)) return 0;
  if (PointInRectangle(&confirmButtonRect, x, y)) ConfirmClicked(window);
  return 0;
}

}  // namespace

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateWizardResources(window);
      return 0;
    case WM_DESTROY:
      if (installWorkRunning) endRequested = 1;
      else EndProgram();
      return 0;
    // The close box waits while the install works: closing would take the
    // window from under the work that still draws into it. On the finish
    // screen it ends the program as the quit button does, through the
    // ending: a close pressed while the installation held the window comes
    // exactly then, and the installation is not complete without it.
    case WM_CLOSE:
      if (installWorkRunning) return 0;
      if (wizardState >= 8) return QuitClicked(window);
      break;
    case WM_SETFOCUS:
      SetFocus(editFieldA);
      return 0;
    case WM_PAINT:
      PaintCurrentScreen(window);
      return 0;
    case WM_MOUSEMOVE:
      return 0;
    case WM_TIMER:
      if (!installWorkRunning) RunInstallWork(window, CompleteFinishTimer);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      return Clicked(window, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
