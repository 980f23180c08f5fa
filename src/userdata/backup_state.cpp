#include "userdata/backup_state.h"

#include <string.h>

#include "common/program_state.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "platform/win32.h"

int backupState = 0;

namespace {

const char kPendingMarkerName[] = "vorlback.pnd";

// The marker's path in the earlier installation's directory; 0 without one.
int PendingMarkerPath(char *path, int size) {
  if (previousInstallRecord[0] == '\0') return 0;
  CopyText(path, size, previousInstallRecord);
  AppendText(path, size, kPendingMarkerName);
  return 1;
}

}  // namespace

void AskToKeepEarlierData() {
  if (backupState != 1) return;
  const WCHAR *question = strcmp(installDir, previousInstallRecord) != 0 ? kKeepEarlierDataText : kKeepDataHereText;
  if (MessageBoxW(NULL, question, kSetupCaptionW, MB_YESNO) == IDYES) backupState = 2;
  else ClearBackupPending();
}

void MarkBackupPending() {
  char path[MAX_PATH];
  if (!PendingMarkerPath(path, sizeof path)) return;
  HFILE marker = _lcreat(path, 0);
  if (marker != HFILE_ERROR) _lclose(marker);
}

void ClearBackupPending() {
  char path[MAX_PATH];
  if (PendingMarkerPath(path, sizeof path)) DeleteFileA(path);
}

int BackupIsPending() {
  char path[MAX_PATH];
  return PendingMarkerPath(path, sizeof path) && GetFileAttributesA(path) != INVALID_FILE_ATTRIBUTES;
}
