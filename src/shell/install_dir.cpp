#include "shell/install_dir.h"

#include "common/program_state.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

namespace {

const char kRecordName[] = "vorlpat8.voh";
const int kRecordReadLimit = 512;

void WriteRecordFile(const char *path) {
  HFILE file = _lcreat(path, 0);
  if (file == HFILE_ERROR) return;
  _lwrite(file, installDir, lstrlenA(installDir));
  _lclose(file);
}

}  // namespace

char *ComputeInstallDir() {
  char folder[kInstallDirSize] = {0};
  if (!SHGetSpecialFolderPathA(NULL, folder, CSIDL_PROGRAM_FILES, FALSE))
    CopyText(folder, sizeof folder, "c:\\Program Files");
  for (char *c = folder; *c; ++c)
    if (*c == '(') *c = '\0';
  for (int n = lstrlenA(folder); n > 0 && folder[n - 1] == ' '; --n) folder[n - 1] = '\0';
  EnsureTrailingBackslash(folder, sizeof folder);
  AppendText(folder, sizeof folder, "morvak8\\");
  CopyText(installDir, kInstallDirSize, folder);
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
  GetWindowsDirectoryA(systemDirString, kSystemDirSize);
  wsprintfA(path, "%s\\%s", systemDirString, kRecordName);
  EnsureTrailingBackslash(installDir, kInstallDirSize);
  WriteRecordFile(path);
  GetSystemDirectoryA(systemDirString, kSystemDirSize);
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
  GetWindowsDirectoryA(windowsDir, sizeof windowsDir);
  wsprintfA(path, "%s\\%s", windowsDir, kRecordName);
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR || size <= 0) return;
  int limit = size - 1 < kRecordReadLimit ? size - 1 : kRecordReadLimit;
  UINT n = _lread(file, target, limit);
  _lclose(file);
  target[n == (UINT)HFILE_ERROR ? 0 : n] = '\0';
}
