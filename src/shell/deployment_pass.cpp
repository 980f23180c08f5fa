#include "shell/deployment_pass.h"

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "package/module_deployment.h"
#include "platform/win32.h"
#include "registration/uninstall_entry.h"
#include "security/directory_access.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"

int RunDeploymentPass(int pass) {
  _mkdir(installDir);
  if (windowsFacts.osMajorVersion > 5) SetLowIntegrityLevel();
  SetEarlierDataQuestion(AskToKeepEarlierData);
  SetUnpackSelector(UnpackTakes);
  if (!DeployFiles(pass)) return 0;
  if (pass == kFullPass) {
    WriteUninstallEntry();
    AdvanceProgress(1);
  }
  return 1;
}
