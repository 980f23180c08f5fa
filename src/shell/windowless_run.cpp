#include "shell/windowless_run.h"

#include "common/message_box.h"
#include "package/package_data.h"
#include "shell/install_driver.h"

int RunWindowless() {
  LoadPackageResource();
  AllocateWorkingBuffer();
  const int installed = RunInstallDriver();
  FreeWorkingBuffer();
  if (!installed) return kExitNothingInstalled;
  return failuresShown > 0 ? kExitInstalledWithFailures : kExitInstalled;
}
