#include "shell/install_driver.h"

#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/plain_files.h"
#include "common/os_detection.h"
#include "common/program_flow.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "common/safe_command.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/module_deployment.h"
#include "platform/win32.h"
#include "registration/autostart_entry.h"
#include "registration/text_service.h"
#include "security/directory_access.h"
#include "settings/user_agent_marker.h"
#include "shell/deployment_pass.h"
#include "shell/ime_registration.h"
#include "shell/server_preparation.h"
#include "shell/stage_code.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"

namespace {

// 0 when the installation must not begin, with the reason shown: its folder
// is a link that would take every write and the folder's access elsewhere,
// or the user's earlier data cannot be backed up.
int SafeToInstall() {
  if (FolderIsLink(installDir)) {
    ShowFailure(kInstallDirectoryIsLinkText, kSetupCaption);
    return 0;
  }
  if (BackupUserData() == kBackupImpossible) {
    ShowFailure(kEarlierDataNotBackedUpText, kSetupCaption);
    return 0;
  }
  return 1;
}

// The directory is opened again after deployment: files the deployment made
// must carry the same rights, and the integrity level is set on the whole.
void OpenDirectoryAccess() {
  GrantUserFullAccess(installDir);
  SetLowIntegrityLevel();
  AdvanceProgress(1);
}

void RegisterInputMethod() {
  if (program.interfaceChoice == 1)
    RegisterTextService();
  else
    RegisterImeInterface();
}

// The 64-bit companion registers the 64-bit IME side, which this 32-bit
// program cannot do itself. Nothing waits for it.
void StartHelper64() {
  char program[kInstallDirSize + 16];
  char arguments[sizeof "regvo32=" + kInstallDirSize];
  char command[2 * kInstallDirSize + 40];
  CopyText(arguments, sizeof arguments, "regvo32=");
  AppendText(arguments, sizeof arguments, installDir);
  if (JoinPath(program, sizeof program, installDir, "setupw64.exe") &&
      FormatProgramCommand(command, sizeof command, program, arguments))
    WinExec(command, SW_SHOW);
}

}  // namespace

InstallOutcome RunInstallDriver() {
  if (!CheckPackageUsable()) return kNothingInstalled;
  if (!SafeToInstall()) return kInstallRefused;
  // Marked before the record names the new folder: a run that dies in
  // between leaves the record of the earlier folder or the mark that leads
  // there.
  MarkBackupPending();
  WriteInstallDirRecord();
  PrepareInstallDirectory();
  SetStageCode(kStageServerPreparation);
  PrepareRunningServer();
  SetStageCode(kStageDeployment);
  if (!RunDeploymentPass(kFullPass)) return kNothingInstalled;
  SetStageCode(kStageRegistration);
  OpenDirectoryAccess();
  RegisterInputMethod();
  SetStageCode(kStageMarkers);
  AdvanceProgress(1);
  WriteUserAgentMarker();
  AdvanceProgress(1);
  if (program.wizardModeFlag == 0) WriteHelperAutostartEntry();
  AdvanceProgress(1);
  if (program.interfaceChoice == 0 && windowsFacts.is64BitWindows) StartHelper64();
  return kInstalled;
}
