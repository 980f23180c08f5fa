#include "userdata/backup_state.h"

#include <stdlib.h>
#include <string.h>

#include "common/install_dir.h"
#include "common/plain_files.h"
#include "common/program_state.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "common/texts.h"

UserDataBackup userDataBackup;

namespace {

const char kPendingName[] = "vorlback.pnd";
const int kDigestLength = 32;

// The pending record's path in the Windows directory; 0 when Windows does not give it.
int PendingPath(char *path, int size) {
  char windows[kSystemDirSize];
  return ReadWindowsFolder(windows, sizeof windows) && JoinPath(path, size, windows, kPendingName);
}

int IsDigestText(const char *text) {
  for (int i = 0; i < kDigestLength; ++i) {
    const char c = text[i];
    if (!((c >= '0' && c <= '9') || (c >= 'A' && c <= 'F'))) return 0;
  }
  return 1;
}

// Copies a folder ending in a backslash from `text` up to `end` (the text's
// end when null) into `folder`; 0 when there is none.
int TakeFolder(const char *text, const char *end, char folder[256]) {
  const int length = end ? (int)(end - text) : lstrlenA(text);
  if (length == 0 || length >= 256 || text[length - 1] != '\\') return 0;
  lstrcpynA(folder, text, length + 1);
  return 1;
}

// "DIGEST SIZE FOLDER|TARGET": the digest's 32 hex digits, the length in
// decimal, the backup's folder and the folder unpacked into, each ending in
// a backslash ('|' is in no Windows path).
int ParsePendingRecord(char *text, BackupRecord *record) {
  if (!IsDigestText(text) || text[kDigestLength] != ' ') return 0;
  char *end = NULL;
  const unsigned long size = strtoul(text + kDigestLength + 1, &end, 10);
  if (*end != ' ' || end == text + kDigestLength + 1) return 0;
  const char *bar = strchr(end + 1, '|');
  if (!bar || !TakeFolder(end + 1, bar, record->folder) || !TakeFolder(bar + 1, NULL, record->target)) return 0;
  lstrcpynA(record->digest, text, kDigestLength + 1);
  record->size = (DWORD)size;
  return 1;
}

}  // namespace

void ResetUserDataBackup() { userDataBackup = UserDataBackup(); }

void AskToKeepEarlierData() {
  if (userDataBackup.state != 1) return;
  if (program.runMode == kRunModeWindowless) {
    userDataBackup.state = 2;
    return;
  }
  const WCHAR *question = strcmp(installDir, previousInstallRecord) != 0 ? kKeepEarlierDataText : kKeepDataHereText;
  if (MessageBoxW(NULL, question, kSetupCaptionW, MB_YESNO) == IDYES) userDataBackup.state = 2;
  else ClearBackupPending();
}

void MarkBackupPending() {
  char path[MAX_PATH], text[sizeof userDataBackup.made.folder + sizeof userDataBackup.made.target + 64];
  if (userDataBackup.state < 1 || !PendingPath(path, sizeof path)) return;
  CopyText(userDataBackup.made.target, sizeof userDataBackup.made.target, installDir);
  wsprintfA(text, "%s %lu %s|%s", userDataBackup.made.digest, (unsigned long)userDataBackup.made.size, userDataBackup.made.folder,
            userDataBackup.made.target);
  ReplacePlainFile(path, text, (DWORD)lstrlenA(text));
}

void ClearBackupPending() {
  char path[MAX_PATH];
  if (PendingPath(path, sizeof path)) DeleteFileA(path);
}

int ReadPendingBackup(BackupRecord *record) {
  char path[MAX_PATH], text[sizeof record->folder + sizeof record->target + 64];
  DWORD size = 0, read = 0;
  if (!PendingPath(path, sizeof path)) return 0;
  HANDLE file = OpenPlainFile(path, GENERIC_READ, &size);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const BOOL whole = size < sizeof text && ReadFile(file, text, size, &read, NULL) && read == size;
  CloseHandle(file);
  text[whole ? read : 0] = '\0';
  return whole && ParsePendingRecord(text, record);
}

void PreferPendingBackupFolder() {
  BackupRecord pending;
  if (!ReadPendingBackup(&pending)) return;
  const char *folder = FolderStillThere(pending.target) ? pending.target : pending.folder;
  if (FolderStillThere(folder)) SetPreviousInstallation(folder);
}

int FolderStillThere(const char *folder) {
  return GetFileAttributesA(folder) != INVALID_FILE_ATTRIBUTES && !FolderIsLink(folder);
}
