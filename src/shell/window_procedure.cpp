#include "shell/window_procedure.h"

#include "common/os_detection.h"
#include "common/program_flow.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "common/texts.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "shell/confirm_sequence.h"
#include "shell/profile_step.h"
#include "ui/profile_screen.h"
#include "ui/progress_bar.h"
#include "ui/wizard_layout.h"
#include "ui/wizard_screens.h"
#include "userdata/backup_state.h"

namespace {

struct WindowWork {
  // The installation, its ending or the finish timer's work is running: the
  // message boxes they show let messages through, and what those messages
  // would end or free is held back until the work is done.
  int installWorkRunning;
  // WM_DESTROY came while the work ran; the program ends when it is done.
  int endRequested;
  int resourcesReleased;
};
WindowWork windowWork;

void CreateWizardResources(HWND window) {
  ResetWindowWork();
  AllocConsole();
  ShowWindow(GetConsoleWindow(), SW_HIDE);
  program.editionChoice = 0;
  program.wizardModeFlag = 1;
  if (windowsFacts.codePage == kTraditionalCodePage) SetWindowTextW(window, kWizardTitleTraditional);
  ResetProgressState();
  program.mainWindow = window;
  SetWizardLayout();
  wizardLayout.bodyFont = CreateFontA(22, 7, 0, 0, 0, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
  wizardLayout.titleFont = CreateFontA(40, 20, 0, 0, 0, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "楷体");
  wizardLayout.progressBrush = CreateSolidBrush(RGB(30, 144, 255));
  SetProgressHooks(UpdateProgress, RepaintInstallScreen);
  LoadPackageResource();
  if (!AllocateWorkingBuffer()) return;
  ResetUserDataBackup();
}

// Everything window creation acquired, let go once.
void ReleaseWizardResources() {
  if (windowWork.resourcesReleased) return;
  windowWork.resourcesReleased = 1;
  SetProgressHooks(NULL, NULL);
  FreeWorkingBuffer();
  ReleasePackageResource();
  DeleteObject(wizardLayout.titleFont);
  DeleteObject(wizardLayout.bodyFont);
  DeleteObject(wizardLayout.progressBrush);
  wizardLayout.titleFont = NULL;
  wizardLayout.bodyFont = NULL;
  wizardLayout.progressBrush = NULL;
}

void EndProgram() {
  ReleaseWizardResources();
  PostQuitMessage(0);
}

void PaintCurrentScreen(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (program.wizardState <= kWizardIntro) PaintIntroScreen(dc);
  else if (program.wizardState <= kWizardLastProfileScreen) PaintProfileScreen(dc);
  else if (program.wizardState <= kWizardReady) PaintInstallScreen(dc);
  else if (program.wizardState == kWizardInstalling) PaintWorkingScreen(dc);
  else PaintFinishScreen(dc);
  EndPaint(window, &paint);
}

// Runs one piece of the install work with the program's end held back until
// it returns.
void RunInstallWork(HWND window, void (*work)(HWND)) {
  windowWork.installWorkRunning = 1;
  work(window);
  windowWork.installWorkRunning = 0;
  if (windowWork.endRequested) EndProgram();
}

// From the intro or the profile screen on: the profile screen is shown at
// once with its fields, and the profile step moves the wizard on.
void ConfirmOnEarlyScreen(HWND window) {
  HDC dc = GetDC(window);
  PaintProfileScreen(dc);
  ReleaseDC(window, dc);
  HWND fields[3] = {program.editFieldB, program.editFieldC, program.editFieldD};
  for (HWND field : fields) {
    ShowWindow(field, SW_HIDE);
    ShowWindow(field, SW_SHOW);
  }
  if (program.wizardState == kWizardIntro) {
    SetWindowTextA(program.editFieldD, "");
    LoadProfile();
  }
  ConfirmProfile();
  InvalidateRect(window, NULL, FALSE);
}

void ConfirmClicked(HWND window) {
  EmptyChoiceRectangles();
  if (program.wizardState == kWizardReady) RunInstallWork(window, RunConfirmSequence);
  else if (program.wizardState >= kWizardFinishConfirmed) RunInstallWork(window, RunEnding);
  else if (program.wizardState == kWizardFinished) {
    program.wizardState = kWizardFinishConfirmed;
    InvalidateRect(window, NULL, FALSE);
  } else if (program.wizardState <= kWizardLastProfileScreen) {
    ConfirmOnEarlyScreen(window);
  }
}

// The first choice hit changes its value and shows it; 0 when none was hit.
int ChoiceClicked(HWND window, int x, int y) {
  if (PointInRectangle(&wizardLayout.pinyinChoiceRect, x, y)) program.editionChoice = 1;
  else if (PointInRectangle(&wizardLayout.wubiChoiceRect, x, y)) program.editionChoice = 0;
  else if (PointInRectangle(&wizardLayout.tsfChoiceRect, x, y)) program.interfaceChoice = 1;
  else if (PointInRectangle(&wizardLayout.imeChoiceRect, x, y)) program.interfaceChoice = 0;
  else return 0;
  InvalidateRect(window, NULL, FALSE);
  return 1;
}

// Before the installation the program ends at once; after it, through the
// ending.
LRESULT QuitClicked(HWND window) {
  if (program.wizardState < kWizardFinished) return PostMessageA(window, WM_DESTROY, 0, 0);
  RunInstallWork(window, RunEnding);
  return 0;
}

// Both mouse buttons act alike. While the install runs clicks do nothing.
LRESULT Clicked(HWND window, LPARAM lParam) {
  if (program.wizardState == kWizardInstalling || windowWork.installWorkRunning) return 0;
  const int x = (int)(lParam & 0xFFFF);
  const int y = (int)((lParam >> 16) & 0xFFFF);
  if (PointInRectangle(&wizardLayout.quitButtonRect, x, y)) return QuitClicked(window);
  if (ChoiceClicked(window, x, y)) return 0;
  if (PointInRectangle(&wizardLayout.confirmButtonRect, x, y)) ConfirmClicked(window);
  return 0;
}

}  // namespace

void ResetWindowWork() { windowWork = WindowWork(); }

LRESULT CALLBACK MainWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      CreateWizardResources(window);
      return 0;
    case WM_DESTROY:
      if (windowWork.installWorkRunning) windowWork.endRequested = 1;
      else EndProgram();
      return 0;
    // The close box waits while the install works: closing would take the
    // window from under the work that still draws into it. On the finish
    // screen it ends the program as the quit button does, through the
    // ending: a close pressed while the installation held the window comes
    // exactly then, and the installation is not complete without it.
    case WM_CLOSE:
      if (windowWork.installWorkRunning) return 0;
      if (program.wizardState >= kWizardFinished) return QuitClicked(window);
      break;
    case WM_SETFOCUS:
      SetFocus(program.editFieldA);
      return 0;
    case WM_PAINT:
      PaintCurrentScreen(window);
      return 0;
    case WM_MOUSEMOVE:
      return 0;
    case WM_TIMER:
      if (!windowWork.installWorkRunning) RunInstallWork(window, CompleteFinishTimer);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
      return Clicked(window, lParam);
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
