// SHELL32: the special folders the program asks for.
#include "api_support.h"

using sim::M;

namespace {

// The folder's path in UTF-8; empty for a folder not known here (only those
// this program uses are) or when the profile makes the call fail.
std::string SpecialFolder(int folder) {
  const sim::Profile &p = M().profile;
  if (p.specialFolderFails) return "";
  if (folder == CSIDL_PROGRAM_FILES) return p.ProgramFilesForProgram();
  if (folder == CSIDL_WINDOWS) return p.windowsDir;
  if (folder == CSIDL_SYSTEM) return p.systemDir;
  return "";
}

}  // namespace

// The path comes in the machine's ANSI code page. A path that does not fit
// in MAX_PATH bytes fails (Windows cuts it instead).
BOOL SHGetSpecialFolderPathA(HWND, LPSTR path, int folder, BOOL) {
  const std::string result = sim::Utf8ToAnsi(SpecialFolder(folder));
  return !result.empty() && sim::CopyOut(result, path, MAX_PATH) < MAX_PATH;
}

// As SHGetSpecialFolderPathA, in UTF-16.
BOOL SHGetSpecialFolderPathW(HWND, LPWSTR path, int folder, BOOL) {
  const std::u16string result = sim::Utf8ToUtf16(SpecialFolder(folder));
  return !result.empty() && sim::CopyOutWide(result, path, MAX_PATH) < MAX_PATH;
}
