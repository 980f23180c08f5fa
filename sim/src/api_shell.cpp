// SHELL32: the special folders the program asks for.
#include "api_support.h"

using sim::M;

// Only the folders this program uses are known; others fail.
BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int folder, BOOL) {
  const sim::Profile &p = M().profile;
  std::string result;
  if (folder == CSIDL_PROGRAM_FILES) result = p.ProgramFilesForProgram();
  if (folder == CSIDL_WINDOWS) result = p.windowsDir;
  if (folder == CSIDL_SYSTEM) result = p.systemDir;
  if (p.specialFolderFails || result.empty()) return FALSE;
  sim::CopyOut(result, path, MAX_PATH);
  return TRUE;
}
