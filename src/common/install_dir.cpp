#include "common/install_dir.h"

#include "common/os_detection.h"
#include "common/plain_files.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

namespace {

const char kRecordName[] = "vorlpat8.voh";
const int kRecordReadLimit = 512;
const char kInstallSubdirectory[] = "morvak8\\";

struct InstallDirState {
  char directory[kInstallDirSize];
  char previous[kPreviousInstallRecordSize];
};
InstallDirState state;

// Opens `path` itself, not what a junction or link there leads to, and keeps
// the handle only if it is no reparse point; INVALID_HANDLE_VALUE otherwise.
// The name is asked too: Wine marks a folder link only there, not on the
// handle.
HANDLE OpenPlainObject(const char *path, DWORD access, DWORD disposition, DWORD flags) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return INVALID_HANDLE_VALUE;
  HANDLE handle = CreateFileA(path, access, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL, disposition,
                              flags | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (handle == INVALID_HANDLE_VALUE) return handle;
  BY_HANDLE_FILE_INFORMATION information;
  if (GetFileInformationByHandle(handle, &information) &&
      !(information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return handle;
  CloseHandle(handle);
  return INVALID_HANDLE_VALUE;
}

// The folder of a record path without its last backslash ("c:\morvak8"), so
// that the folder itself is asked about and not what a link there leads to;
// a drive's root keeps it ("c:\"); "." for a bare name.
void RecordFolder(const char *path, char *folder, int size) {
  int end = lstrlenA(path);
  while (end > 0 && path[end - 1] != '\\') --end;
  if (end == 0 || end >= size) {
    CopyText(folder, size, ".");
    return;
  }
  if (end > 1 && path[end - 2] != ':') --end;
  lstrcpynA(folder, path, end + 1);
}

// Ordinary users can delete the data drive's folder and put a junction in its
// place, which would send this elevated write anywhere. So the record's folder
// is held open without delete sharing, which keeps it from being renamed or
// replaced until the record is written, and may not be a reparse point; the
// record is written whole under a name of its own and then put in place, so
// that neither a link under its name nor a crash in between (an empty record
// would lose the earlier installation's folder) can do harm. A record that
// cannot be written this way is skipped: the other programs read it as a
// hint, this one does not need it.
void WriteRecordFile(const char *path) {
  // Reparse points (junctions and links) exist only on the NT family; Windows
  // 9x opens no folders.
  if (windowsFacts.windows9xFamily) {
    ReplacePlainFile(path, state.directory, (DWORD)lstrlenA(state.directory));
    return;
  }
  char folderPath[MAX_PATH];
  RecordFolder(path, folderPath, sizeof folderPath);
  HANDLE folder = OpenPlainObject(folderPath, GENERIC_READ, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS);
  if (folder == INVALID_HANDLE_VALUE) return;
  ReplacePlainFile(path, state.directory, (DWORD)lstrlenA(state.directory));
  CloseHandle(folder);
}

// The installation directory under `programFiles` (at most MAX_PATH bytes,
// changed in place): cut at its first '(' and trailing blanks, a backslash,
// "morvak8\". 0 when that would not fit the installation directory whole.
int ComposeInstallDir(char *programFiles) {
  for (char *c = programFiles; *c; ++c)
    if (*c == '(') *c = '\0';
  for (int n = lstrlenA(programFiles); n > 0 && programFiles[n - 1] == ' '; --n) programFiles[n - 1] = '\0';
  return JoinPath(state.directory, kInstallDirSize, programFiles, kInstallSubdirectory);
}

}  // namespace

const char (&installDir)[kInstallDirSize] = state.directory;
const char (&previousInstallRecord)[kPreviousInstallRecordSize] = state.previous;

const char *ComputeInstallDir() {
  // Windows may give up to MAX_PATH bytes; a folder too long for the
  // directory is treated as if it could not be had.
  char folder[MAX_PATH] = {0};
  if (!SHGetSpecialFolderPathA(NULL, folder, CSIDL_PROGRAM_FILES, FALSE) || !ComposeInstallDir(folder)) {
    CopyText(folder, sizeof folder, "c:\\Program Files");
    ComposeInstallDir(folder);
  }
  return state.directory;
}

void ReadPreviousInstallRecord() { ReadInstallDirRecord(state.previous, kPreviousInstallRecordSize); }

void SetPreviousInstallation(const char *folder) { CopyText(state.previous, kPreviousInstallRecordSize, folder); }

void FindDataDrive(char *directory, int size) {
  char root[] = "g:\\";
  CopyText(directory, size, "");
  for (char letter = 'g'; letter >= 'c'; --letter) {
    root[0] = letter;
    if (GetDriveTypeA(root) == DRIVE_FIXED) {
      JoinPath(directory, size, root, kInstallSubdirectory);
      return;
    }
  }
}

// Without a fixed drive among C to G the data-drive record goes to the
// current directory, as it always has.
void WriteInstallDirRecord() {
  char windows[kSystemDirSize], path[MAX_PATH];
  if (ReadWindowsFolder(windows, sizeof windows) && JoinPath(path, sizeof path, windows, kRecordName))
    WriteRecordFile(path);
  if (windowsFacts.osMajorVersion < 6) return;
  char dataDrive[32];
  FindDataDrive(dataDrive, sizeof dataDrive);
  _mkdir(dataDrive);
  if (JoinPath(path, sizeof path, dataDrive, kRecordName)) WriteRecordFile(path);
}

void ReadInstallDirRecord(char *target, int size) {
  char windows[kSystemDirSize], path[MAX_PATH];
  if (!ReadWindowsFolder(windows, sizeof windows) || !JoinPath(path, sizeof path, windows, kRecordName)) return;
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR || size <= 0) return;
  int limit = size - 1 < kRecordReadLimit ? size - 1 : kRecordReadLimit;
  UINT n = _lread(file, target, limit);
  _lclose(file);
  target[n == (UINT)HFILE_ERROR ? 0 : n] = '\0';
}

void ResetInstallDir() { state = InstallDirState(); }
