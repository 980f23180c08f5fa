#include "shell/dll_search.h"

#include "platform/system_function.h"
#include "platform/win32.h"

namespace {
typedef BOOL(WINAPI *SetDefaultDllDirectoriesFunction)(DWORD);
typedef BOOL(WINAPI *SetDllDirectoryAFunction)(LPCSTR);
const DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
}  // namespace

void RestrictDllSearch() {
  HMODULE kernel32 = GetModuleHandleA("kernel32");
  if (!kernel32) return;
  SetDefaultDllDirectoriesFunction setDefault;
  if (FindSystemFunction(kernel32, "SetDefaultDllDirectories", &setDefault) && setDefault(kSearchSystem32)) return;
  SetDllDirectoryAFunction setDirectory;
  if (FindSystemFunction(kernel32, "SetDllDirectoryA", &setDirectory)) setDirectory("");
}
