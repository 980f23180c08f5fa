#include "shell/program_entry.h"

#include "common/command_line.h"
#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/program_flow.h"
#include "common/program_state.h"
#include "common/texts.h"
#include "shell/admin_probe.h"
#include "shell/dll_search.h"
#include "shell/main_window.h"
#include "shell/windowless_run.h"
#include "userdata/backup_state.h"

namespace {

int RunMessageLoop() {
  MSG msg;
  while (GetMessageA(&msg, NULL, 0, 0)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return (int)msg.wParam;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previousInstance, LPSTR commandLine, int showCommand) {
  RestrictDllSearch();
  program.wizardState = kWizardIntro;
  ResetFailuresShown();
  DetectWindows();
  program.runMode = kRunModeWizard;
  ComputeInstallDir();
  // "regvo32" is tested first: a command line holding both words stays interactive.
  const bool windowless = !ContainsCommandWord(commandLine, "regvo32") && ContainsCommandWord(commandLine, "setvosrf32");
  if (ProbeAdministrator() != 0) {
    MessageBoxW(NULL, kNeedsAdministratorText, kProductCaptionW, MB_OK);
    return windowless ? kExitNoAdministratorRights : 0;
  }
  PreferPendingBackupFolder();
  if (windowless) {
    program.runMode = kRunModeWindowless;
    return RunWindowless();
  }
  program.programInstance = instance;
  if (previousInstance != NULL) return 0;
  if (!RegisterMainWindowClass(instance)) return 0;
  if (!CreateMainWindow(instance, showCommand)) return 0;
  return RunMessageLoop();
}
