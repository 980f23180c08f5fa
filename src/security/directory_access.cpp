#include "security/directory_access.h"

#include "common/install_dir.h"
#include "common/safe_command.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

namespace {

// The blanks between the entries are part of the text the program has always
// used; Windows skips them (Wine stops at the first one).
const char kDirectorySddl[] = "D: (A;OICI;GA;;;AC) (A;OICI;GRGWGX;;;AU) (A;OICI;GA;;;BA) ";
const int kUserNameSize = 198;
// The installation directory in the usual Program Files folder, which the
// commands have always named by its short name.
const char kUsualDirectory[] = "C:\\Program Files\\morvak8\\";

char AsciiUpper(char c) { return c >= 'a' && c <= 'z' ? (char)(c - 'a' + 'A') : c; }

// Up to ASCII case: the directory rule's fallback spells the drive "c:".
int IsUsualDirectory(const char *directory) {
  int i = 0;
  for (; kUsualDirectory[i]; ++i)
    if (AsciiUpper(directory[i]) != AsciiUpper(kUsualDirectory[i])) return 0;
  return directory[i] == '\0';
}

// Starts icacls with `format` filled with the directory.
void StartIntegrityCommand(const char *format) {
  char folder[kInstallDirSize], arguments[kInstallDirSize + 48];
  char command[kSystemDirSize + MAX_PATH];
  IcaclsFolder(folder, sizeof folder, "c:\\Progra~1\\morvak8");
  wsprintfA(arguments, format, folder);
  if (FormatSystemToolCommand(command, sizeof command, "icacls.exe", arguments)) WinExec(command, SW_SHOW);
}

}  // namespace

// Elsewhere the short name would be another folder's, or none: a Program
// Files folder of another name, drive or code page names the directory itself.
int IcaclsFolder(char *out, int size, const char *shortName) {
  if (IsUsualDirectory(installDir)) {
    CopyText(out, size, shortName);
    return 1;
  }
  CopyText(out, size, installDir);
  const int length = lstrlenA(out);
  if (length > 3 && out[length - 1] == '\\') out[length - 1] = '\0';
  return 0;
}

int CreateInstallDirectory(const char *path) {
  SECURITY_ATTRIBUTES attributes;
  attributes.nLength = sizeof attributes;
  attributes.bInheritHandle = FALSE;
  attributes.lpSecurityDescriptor = NULL;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(kDirectorySddl, SDDL_REVISION_1,
                                                            &attributes.lpSecurityDescriptor, NULL))
    return 0;
  const BOOL created = CreateDirectoryA(path, &attributes);
  LocalFree((HLOCAL)attributes.lpSecurityDescriptor);
  return created ? 1 : 0;
}

int GrantUserFullAccess(const char *path) {
  char user[kUserNameSize] = {0};
  DWORD userSize = sizeof user;
  if (!GetUserNameA(user, &userSize)) return 0;
  PACL current = NULL;
  PSECURITY_DESCRIPTOR descriptor = NULL;
  if (GetNamedSecurityInfoA(path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, &current, NULL, &descriptor) !=
      ERROR_SUCCESS)
    return 0;
  EXPLICIT_ACCESS_A entry;
  BuildExplicitAccessWithNameA(&entry, user, GENERIC_ALL, GRANT_ACCESS, SUB_CONTAINERS_AND_OBJECTS_INHERIT);
  PACL updated = NULL;
  DWORD result = SetEntriesInAclA(1, &entry, current, &updated);
  if (result == ERROR_SUCCESS)
    result = SetNamedSecurityInfoA((LPSTR)path, SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, NULL, NULL, updated, NULL);
  LocalFree((HLOCAL)updated);
  LocalFree((HLOCAL)descriptor);
  return result == ERROR_SUCCESS ? 1 : 0;
}

void SetLowIntegrityLevel() {
  StartIntegrityCommand("\"%s\" /SetIntegrityLevel Level: L");
  StartIntegrityCommand("%s /SetIntegrityLevel Level: L");
}

void PrepareInstallDirectory() {
  // Before Windows 8 the descriptor cannot be expressed; the directory is then
  // made with default security so that the user's grant and the "filer"
  // subdirectory still apply (an existing directory is left as it is).
  if (!CreateInstallDirectory(installDir)) _mkdir(installDir);
  GrantUserFullAccess(installDir);
  char filer[kInstallDirSize + 8];
  if (JoinPath(filer, sizeof filer, installDir, "filer\\")) _mkdir(filer);
}
