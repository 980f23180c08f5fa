#include "registration/uninstall_entry.h"

#include "common/registry_values.h"
#include "common/texts.h"
#include "platform/win32.h"

namespace {
const UINT kWindowsDirLength = 100;
}

void WriteUninstallEntry() {
  HKEY parent = NULL, entry = NULL;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0, KEY_READ,
                    &parent) != ERROR_SUCCESS)
    return;
  DWORD disposition = 0;
  if (RegCreateKeyExW(parent, L"vorlqwb8", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &entry,
                      &disposition) == ERROR_SUCCESS) {
    SetWideTextValue(entry, L"DisplayName", kUninstallDisplayName);
    WCHAR windowsDir[kWindowsDirLength] = {0};
    WCHAR command[kWindowsDirLength + 16];
    // A Windows folder that does not fit gives no command rather than a wrong one.
    const UINT length = GetWindowsDirectoryW(windowsDir, kWindowsDirLength);
    if (length > 0 && length < kWindowsDirLength) {
      wsprintfW(command, L"%s\\vorldel8.exe", windowsDir);
      SetWideTextValue(entry, L"UninstallString", command);
    }
    RegCloseKey(entry);
  }
  RegCloseKey(parent);
}
