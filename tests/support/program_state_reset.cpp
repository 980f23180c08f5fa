#include "support/program_state_reset.h"

#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "package/module_deployment.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "registration/preload_list.h"
#include "settings/install_report.h"
#include "settings/settings_files.h"
#include "shell/conflict_detection.h"
#include "shell/stage_code.h"
#include "shell/window_procedure.h"
#include "ui/wizard_layout.h"
#include "userdata/backup_state.h"
#include "userdata/skin_installation.h"
#include "userdata/user_data_backup.h"

namespace testing_support {

// One call per owner of program state, each the owner's own reset of its
// one record; tests/build/check_program_state.py fails the build's checks
// when a source file holds state that is missing here.
void ResetProgramState() {
  ResetWindowsFacts();
  ResetInstallDir();
  ResetProgramValues();
  ResetFailuresShown();
  ResetProgressState();
  ReleasePackageResource();
  FreeWorkingBuffer();
  ResetDeploymentHooks();
  ResetPreloadList();
  ResetInstallDirScan();
  ResetSettingsRecords();
  ResetConflicts();
  ResetStageCode();
  ResetWindowWork();
  ResetWizardLayout();
  ResetUserDataBackup();
  ResetSkinDialog();
  ResetKeptNames();
}

}  // namespace testing_support
