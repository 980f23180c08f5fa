#include "shell/install_driver.h"

#include "common/program_state.h"
#include "platform/win32.h"
#include "shell/install_dir.h"

void RunInstallDriver() {
  ComputeInstallDir();
  GetSystemDirectoryA(systemDirString, kSystemDirSize);
  WriteInstallDirRecord();
}
