#include "support/program_state_reset.h"

#include <cstring>

#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "package/module_deployment.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "registration/preload_list.h"
#include "security/command_capture.h"
#include "settings/settings_files.h"
#include "shell/stage_code.h"
#include "userdata/backup_state.h"

namespace testing_support {
namespace {

void ResetStartFacts() {
  runMode = kRunModeWizard;
  ResetWindowsFacts();
  ResetInstallDir();
  interfaceChoice = 0;
  editionChoice = 0;
  wizardModeFlag = 0;
  windowModeChoice = 3;
  std::memset(profileRecord, 0, sizeof profileRecord);
}

void ResetWindowsAndProgress() {
  wizardState = 0;
  programInstance = NULL;
  mainWindow = NULL;
  editFieldA = editFieldB = editFieldC = editFieldD = NULL;
  std::memset(stageCode, 0, sizeof stageCode);
  progressStep = 0;
  progressTotal = 0;
  failuresShown = 0;
}

void ResetInstallationState() {
  FreeWorkingBuffer();
  packageData = NULL;
  packageSize = 0;
  backupState = 0;
  std::memset(preloadTable, 0, sizeof preloadTable);
  std::memset(layoutTextTable, 0, sizeof layoutTextTable);
  preloadCount = 0;
  ownPreloadPosition = 0;
  ownEntryFoundFlag = 0;
  std::memset(capturedOutput, 0, sizeof capturedOutput);
  std::memset(networkRecord, 0, sizeof networkRecord);
  SetProgressHooks(NULL, NULL);
  SetEarlierDataQuestion(NULL);
}

}  // namespace

void ResetProgramState() {
  ResetStartFacts();
  ResetWindowsAndProgress();
  ResetInstallationState();
}

}  // namespace testing_support
