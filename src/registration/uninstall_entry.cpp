#include "registration/uninstall_entry.h"

#include "platform/win32.h"

namespace {

const int kWindowsDirLength = 100;

// REG_SZ without its terminator, as every string value of the program.
void WriteText(HKEY key, const WCHAR *name, const WCHAR *text) {
  RegSetValueExW(key, name, 0, REG_SZ, (const BYTE *)text, (DWORD)(lstrlenW(text) * sizeof(WCHAR)));
}

}  // namespace

void WriteUninstallEntry() {
  HKEY parent = NULL, entry = NULL;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", 0, KEY_READ,
                    &parent) != ERROR_SUCCESS)
    return;
  DWORD disposition = 0;
  if (RegCreateKeyExW(parent, L"vorlqwb8", 0, NULL, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, NULL, &entry,
                      &disposition) == ERROR_SUCCESS) {
    WriteText(entry, L"DisplayName", L"智能Qelvo8");
    WCHAR windowsDir[kWindowsDirLength] = {0};
    WCHAR command[kWindowsDirLength + 16];
    GetWindowsDirectoryW(windowsDir, kWindowsDirLength);
    wsprintfW(command, L"%s\\vorldel8.exe", windowsDir);
    WriteText(entry, L"UninstallString", command);
    RegCloseKey(entry);
  }
  RegCloseKey(parent);
}
