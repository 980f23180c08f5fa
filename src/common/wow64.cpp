#include "common/wow64.h"

#include "platform/system_function.h"

namespace {

typedef BOOL(WINAPI *IsWow64ProcessFunction)(HANDLE, PBOOL);
typedef BOOL(WINAPI *DisableRedirectionFunction)(PVOID *);
typedef BOOL(WINAPI *RevertRedirectionFunction)(PVOID);

HMODULE Kernel32() { return GetModuleHandleA("kernel32"); }

}  // namespace

int RunsUnderWow64() {
  IsWow64ProcessFunction isWow64Process;
  BOOL wow64 = FALSE;
  if (!FindSystemFunction(Kernel32(), "IsWow64Process", &isWow64Process)) return 0;
  return isWow64Process(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
}

namespace {

// 1 with the value to revert with; 0 when redirection could not be switched
// off, or could not be switched back on.
int DisableFileRedirection(PVOID *saved) {
  DisableRedirectionFunction disable;
  RevertRedirectionFunction revert;
  *saved = NULL;
  if (!FindSystemFunction(Kernel32(), "Wow64DisableWow64FsRedirection", &disable) ||
      !FindSystemFunction(Kernel32(), "Wow64RevertWow64FsRedirection", &revert))
    return 0;
  return disable(saved) == TRUE ? 1 : 0;
}

void RevertFileRedirection(PVOID saved) {
  RevertRedirectionFunction revert;
  if (FindSystemFunction(Kernel32(), "Wow64RevertWow64FsRedirection", &revert)) revert(saved);
}

}  // namespace

int RunWithoutRedirection(int (*work)(void *context), void *context, int *result) {
  PVOID saved = NULL;
  if (!RunsUnderWow64() || !DisableFileRedirection(&saved)) return 0;
  *result = work(context);
  RevertFileRedirection(saved);
  return 1;
}
