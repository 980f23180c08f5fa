#include "shell/windowless_run.h"

#include "package/package_data.h"
#include "shell/install_driver.h"

void RunWindowless() {
  LoadPackageResource();
  AllocateWorkingBuffer();
  RunInstallDriver();
  FreeWorkingBuffer();
}
