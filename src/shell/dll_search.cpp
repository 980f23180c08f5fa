#include "shell/dll_search.h"

#include "platform/win32.h"

namespace {
typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI *SetDllDirectoryAFunction)(LPCSTR);
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
}  // namespace

void RestrictDllSearch() {
  HMODULE kernel32 = GetModuleHandleA("kernel32");
  if (!kernel32) return;
  SetDefaultDllDirectoriesFunction setDefault =
      (SetDefaultDllDirectoriesFunction)(void *)GetProcAddress(kernel32, "SetDefaultDllDirectories");
  if (setDefault && setDefault(kSearchSystem32)) return;
  SetDllDirectoryAFunction setDirectory = (SetDllDirectoryAFunction)(void *)GetProcAddress(kernel32, "SetDllDirectoryA");
  if (setDirectory) setDirectory("");
}
