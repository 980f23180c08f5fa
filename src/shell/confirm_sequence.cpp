#include "shell/confirm_sequence.h"

#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/module_copy.h"
#include "common/os_detection.h"
#include "common/program_flow.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "common/safe_command.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "platform/crash_guard.h"
#include "registration/preload_list.h"
#include "registration/text_service.h"
#include "settings/install_report.h"
#include "settings/settings_files.h"
#include "shell/conflict_detection.h"
#include "shell/install_driver.h"
#include "shell/stage_code.h"
#include "userdata/backup_state.h"
#include "userdata/skin_installation.h"
#include "userdata/user_data_restore.h"

namespace {

const int kInstallProgressTotal = 110;
const UINT kFinishTimerPeriod = 1600;

// 0 when the installation must stop here: the IME that is the default input
// method refused, and the program ends.
int PassesDefaultInputMethodCheck(HWND window, int *skipConflicts) {
  *skipConflicts = 0;
  if (program.interfaceChoice == 1) {
    *skipConflicts = FindTextServiceInSortOrder() == 0;
    return 1;
  }
  if (CheckDefaultInputMethod() != 0) return 1;
  PostMessageA(window, WM_DESTROY, 0, 0);
  return 0;
}

// 0 when programs hold the input method: they are named and the wizard waits
// on the install screen for the user to close them. That screen is painted
// again as it shows before the installation, without the empty progress bar
// the installation's start drew over the path.
int NoProgramHoldsInputMethod(HWND window) {
  SetStageCode(kStageProgramsHoldingIt);
  FindConflictingPrograms();
  if (conflicts.count > 0) {
    MessageBoxW(NULL, ConflictMessageText(), kProductCaptionW, MB_OK);
    program.wizardState = kWizardReady;
    InvalidateRect(window, NULL, FALSE);
    return 0;
  }
  SetStageCode(kStageSharedMemory);
  ProbeImeSharedMemory();
  if (conflicts.count != 0) MessageBoxW(NULL, kSharedMemoryText, kProductCaptionW, MB_OK);
  return 1;
}

// Its path is quoted: the installation directory holds a blank.
void StartProductHelper() {
  char program[kInstallDirSize + 16];
  char command[kInstallDirSize + 32];
  if (JoinPath(program, sizeof program, installDir, "vorlkelt.exe") &&
      FormatProgramCommand(command, sizeof command, program, "vo"))
    WinExec(command, SW_SHOW);
}

void ShowFinishScreen(HWND window) {
  program.wizardState = kWizardFinished;
  SetWindowTextA(program.editFieldA, "");
  InvalidateRect(window, NULL, FALSE);
}

void FinishInstallation(HWND window) {
  SetStageCode(kStageFinish);
  if (windowsFacts.is64BitWindows) {
    ShowFinishScreen(window);
    if (program.interfaceChoice == 0) {
      SetTimer(window, kFinishTimer, kFinishTimerPeriod, NULL);
      return;
    }
  }
  RunEnding(window);
}

// Everything of the installation that the crash guard covers: each of its
// ends leaves the guard by returning.
void InstallUnderCrashGuard(HWND window) {
  ResetProgress(kInstallProgressTotal);
  SetStageCode(kStageDefaultInputMethod);
  int skipConflicts = 0;
  if (!PassesDefaultInputMethodCheck(window, &skipConflicts)) return;
  if (!skipConflicts && !NoProgramHoldsInputMethod(window)) return;
  SetStageCode(kStageInstallDriver);
  if (RunInstallDriver() == kInstallRefused) {
    PostMessageA(window, WM_DESTROY, 0, 0);
    return;
  }
  SetStageCode(kStageSkinAndSettings);
  InstallSkin();
  WriteSettingsFiles();
  WriteInputOptionsRecord();
  SetStageCode(kStageRestore);
  WriteInstallStamp();
  if (userDataBackup.state == 2) RestoreUserData();
  StartProductHelper();
  FinishInstallation(window);
}

// The installation is complete only when nothing it did failed: after the
// report and the final check, and only when no failure was shown at all.
void TellCompletion() {
  if (failuresShown == 0) MessageBoxW(NULL, kInstalledText, kProductCaptionW, MB_OK);
}

// The stage code is GBK text, as every message: shown through its code page,
// it reads the same on a machine of another one.
void TellCrash() { ShowFailure(stageCode.text, kEditionSetupCaption); }

}  // namespace

// A crash anywhere in the installation shows the stage code, so that the
// user's report names the stage that failed, and the process ends.
void RunConfirmSequence(HWND window) {
  program.wizardState = kWizardInstalling;
  RunCrashGuarded(InstallUnderCrashGuard, window, TellCrash);
}

void RunEnding(HWND window) {
  KillTimer(window, kFinishTimer);
  ShowInstallReport();
  CheckTextServiceFiles();
  TellCompletion();
  PostMessageA(window, WM_DESTROY, 0, 0);
}

void CompleteFinishTimer(HWND window) {
  KillTimer(window, kFinishTimer);
  ShowFinishScreen(window);
  CopyModule("morvak4.ime", "morvak4.ime", kTargetSyswow64);
  CheckTextServiceFiles();
  TellCompletion();
  PostMessageA(window, WM_DESTROY, 0, 0);
}
