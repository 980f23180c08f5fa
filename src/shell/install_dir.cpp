#include "shell/install_dir.h"

#include "common/program_state.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

namespace {

const char kRecordName[] = "vorlpat8.voh";
const int kRecordReadLimit = 512;
const char kInstallSubdirectory[] = "morvak8\\";

void WriteRecordFile(const char *path) {
  HFILE file = _lcreat(path, 0);
  if (file == HFILE_ERROR) return;
  _lwrite(file, installDir, lstrlenA(installDir));
  _lclose(file);
}

// The installation directory under `programFiles` (at most MAX_PATH bytes,
// changed in place): cut at its first '(' and trailing blanks, a backslash,
// "morvak8\". 0 when that would not fit the installation directory whole.
int ComposeInstallDir(char *programFiles) {
  for (char *c = programFiles; *c; ++c)
    if (*c == '(') *c = '\0';
  for (int n = lstrlenA(programFiles); n > 0 && programFiles[n - 1] == ' '; --n) programFiles[n - 1] = '\0';
  char directory[MAX_PATH + sizeof kInstallSubdirectory + 1];
  CopyText(directory, sizeof directory, programFiles);
  EnsureTrailingBackslash(directory, sizeof directory);
  AppendText(directory, sizeof directory, kInstallSubdirectory);
  if (lstrlenA(directory) >= kInstallDirSize) return 0;
  CopyText(installDir, kInstallDirSize, directory);
  return 1;
}

}  // namespace

char *ComputeInstallDir() {
  // Windows may give up to MAX_PATH bytes; a folder too long for the
  // directory is treated as if it could not be had.
  char folder[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPathA(NULL, folder, CSIDL_PROGRAM_FILES, FALSE) || !ComposeInstallDir(folder)) {
    CopyText(folder, sizeof folder, "c:\\Program Files");
    ComposeInstallDir(folder);
  }
  return installDir;
}

void FindDataDrive(char *directory, int size) {
  char root[] = "g:\\";
  CopyText(directory, size, "");
  for (char letter = 'g'; letter >= 'c'; --letter) {
    root[0] = letter;
    if (GetDriveTypeA(root) == DRIVE_FIXED) {
      char found[16];
      wsprintfA(found, "%smorvak8\\", root);
      CopyText(directory, size, found);
      return;
    }
  }
}

void WriteInstallDirRecord() {
  char path[kSystemDirSize + 16];
  const int windowsFolder = ReadWindowsFolder(systemDirString, kSystemDirSize);
  wsprintfA(path, "%s\\%s", systemDirString, kRecordName);
  EnsureTrailingBackslash(installDir, kInstallDirSize);
  if (windowsFolder) WriteRecordFile(path);
  ReadSystemFolder(systemDirString, kSystemDirSize);
  if (osMajorVersion < 6) return;
  char dataDrive[32];
  FindDataDrive(dataDrive, sizeof dataDrive);
  _mkdir(dataDrive);
  wsprintfA(path, "%s%s", dataDrive, kRecordName);
  WriteRecordFile(path);
}

void ReadInstallDirRecord(char *target, int size) {
  char windowsDir[kSystemDirSize];
  char path[kSystemDirSize + 16];
  if (!ReadWindowsFolder(windowsDir, sizeof windowsDir)) return;
  wsprintfA(path, "%s\\%s", windowsDir, kRecordName);
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR || size <= 0) return;
  int limit = size - 1 < kRecordReadLimit ? size - 1 : kRecordReadLimit;
  UINT n = _lread(file, target, limit);
  _lclose(file);
  target[n == (UINT)HFILE_ERROR ? 0 : n] = '\0';
}
