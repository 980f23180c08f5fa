#include "common/wow64.h"

namespace {

typedef BOOL(WINAPI *IsWow64ProcessFunction)(HANDLE, PBOOL);
typedef BOOL(WINAPI *DisableRedirectionFunction)(PVOID *);
typedef BOOL(WINAPI *RevertRedirectionFunction)(PVOID);

FARPROC Kernel32Function(const char *name) { return GetProcAddress(GetModuleHandleA("kernel32"), name); }

}  // namespace

int RunsUnderWow64() {
  IsWow64ProcessFunction isWow64Process = (IsWow64ProcessFunction)(void *)Kernel32Function("IsWow64Process");
  BOOL wow64 = FALSE;
  return isWow64Process && isWow64Process(GetCurrentProcess(), &wow64) && wow64 ? 1 : 0;
}

namespace {

// 1 with the value to revert with; 0 when redirection could not be switched
// off, or could not be switched back on.
int DisableFileRedirection(PVOID *saved) {
  DisableRedirectionFunction disable =
      (DisableRedirectionFunction)(void *)Kernel32Function("Wow64DisableWow64FsRedirection");
  *saved = NULL;
  if (!disable || !Kernel32Function("Wow64RevertWow64FsRedirection")) return 0;
  return disable(saved) == TRUE ? 1 : 0;
}

void RevertFileRedirection(PVOID saved) {
  RevertRedirectionFunction revert =
      (RevertRedirectionFunction)(void *)Kernel32Function("Wow64RevertWow64FsRedirection");
  if (revert) revert(saved);
}

}  // namespace

int RunWithoutRedirection(int (*work)(void *context), void *context, int *result) {
  PVOID saved = NULL;
  if (!RunsUnderWow64() || !DisableFileRedirection(&saved)) return 0;
  *result = work(context);
  RevertFileRedirection(saved);
  return 1;
}
