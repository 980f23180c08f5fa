#include "shell/windowless_run.h"

#include "common/message_box.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "shell/install_driver.h"
#include "userdata/user_data_restore.h"

int RunWindowless() {
  LoadPackageResource();
  AllocateWorkingBuffer();
  const InstallOutcome outcome = RunInstallDriver();
  // The earlier data was kept without asking; it comes back last, as after
  // the wizard's Yes.
  if (outcome == kInstalled) RestoreUserData();
  FreeWorkingBuffer();
  if (outcome != kInstalled) return kExitNothingInstalled;
  return failuresShown > 0 ? kExitInstalledWithFailures : kExitInstalled;
}
