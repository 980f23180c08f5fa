#include "userdata/user_data_restore.h"

#include <string.h>

#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/plain_files.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/archive_format.h"
#include "package/archive_reader.h"
#include "package/archive_verifier.h"
#include "package/md5_digest.h"
#include "package/memory_block.h"
#include "package/working_buffer.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"
#include "userdata/user_data_files.h"

namespace {

const char kPhraseListBackup[] = "vorlcyzk.bak";

// The backup `record` describes, read whole into a new block: null unless it
// is a plain file of exactly the recorded length whose digest matches. A
// file of another length is not read at all.
BYTE *ReadCheckedBackup(const BackupRecord &record, HGLOBAL *block) {
  *block = NULL;
  char path[MAX_PATH];
  JoinPath(path, sizeof path, record.folder, kBackupArchiveName);
  DWORD size = 0, read = 0;
  HANDLE file = OpenPlainFile(path, GENERIC_READ, &size);
  if (file == INVALID_HANDLE_VALUE) return NULL;
  BYTE *bytes = size == record.size ? AllocateLockedBlock(size + 1, block) : NULL;
  const BOOL whole = bytes && ReadFile(file, bytes, size, &read, NULL) && read == size;
  CloseHandle(file);
  char digest[kDigestFieldSize];
  if (whole) Md5Hex(bytes, size, digest);
  if (whole && strncmp(digest, record.digest, kDigestTextLength) == 0) return bytes;
  FreeLockedBlock(*block);
  *block = NULL;
  return NULL;
}

int SelectedForRestore(const char *folder, const char *name) {
  return IsUserDataEntry(name) && UnpackTakes(folder, name);
}

// Missing, empty, or as the package has it: not the user's since.
int SelectedForRecovery(const char *folder, const char *name) {
  if (!IsUserDataEntry(name)) return 0;
  char path[MAX_PATH];
  JoinPath(path, sizeof path, folder, name);
  DWORD size = 0;
  HANDLE file = OpenPlainFile(path, GENERIC_READ, &size);
  if (file == INVALID_HANDLE_VALUE) return 1;
  CloseHandle(file);
  return size == 0 || IsPackagesOwn(folder, name);
}

// The phrase list comes back compacted; it counts as restored when it is
// the compacted form of what was archived. Returns 1 when every entry
// checked out; tells the user either way (the windowless run only of a
// failure).
int ReportRestore(const BYTE *archive, DWORD length) {
  const BufferRegion failureRegion = WorkingBufferRegion(kRestoreFailures);
  const BufferRegion exemptRegion = WorkingBufferRegion(kRestoreExempt);
  const BufferRegion scratch = WorkingBufferRegion(kRestoreScratch);
  char *failures = (char *)failureRegion.bytes, *exempt = (char *)exemptRegion.bytes;
  CopyText(exempt, (int)exemptRegion.size, "");
  if (CompactedEntryInstalled(archive, length, installDir, kPhraseListBackup, scratch.bytes, scratch.size))
    CopyText(exempt, (int)exemptRegion.size, kPhraseListBackup);
  const int passed = VerifyArchive(archive, length, failures, (int)failureRegion.size, exempt);
  if (failures[0] != '\0') {
    AppendText(failures, (int)failureRegion.size, "\r\n\r\n");
    AppendText(failures, (int)failureRegion.size, kEarlierDataFailedLine);
    ShowFailure(failures, kProductCaption);
    return 0;
  }
  if (program.runMode == kRunModeWindowless) return 1;
  WCHAR text[64];
  wsprintfW(text, kEarlierDataRestoredFormat, passed);
  MessageBoxW(NULL, text, kProductCaptionW, MB_OK);
  return 1;
}

// The backup beside the new installation too, as the record names it from
// now on.
void CopyBackupHere() {
  if (strcmp(installDir, userDataBackup.made.folder) == 0) return;
  char from[MAX_PATH], to[MAX_PATH];
  JoinPath(from, sizeof from, userDataBackup.made.folder, kBackupArchiveName);
  JoinPath(to, sizeof to, installDir, kBackupArchiveName);
  CopyPlainFile(from, to);
}

}  // namespace

void RestoreUserData() {
  if (userDataBackup.state != 2 || !HaveWorkingBuffer()) return;
  HGLOBAL block;
  BYTE *archive = ReadCheckedBackup(userDataBackup.made, &block);
  if (!archive) {
    ShowFailure(kEarlierDataFailedLine, kProductCaption);
    return;
  }
  CopyBackupHere();
  const BufferRegion scratch = WorkingBufferRegion(kUnpackScratch);
  ExtractSelectedEntries(archive, userDataBackup.made.size, installDir, SelectedForRestore, scratch.bytes, scratch.size,
                         NULL);
  if (ReportRestore(archive, userDataBackup.made.size)) ClearBackupPending();
  FreeLockedBlock(block);
}

int RecoverPendingBackup() {
  BackupRecord pending;
  if (!ReadPendingBackup(&pending)) return 1;
  HGLOBAL block;
  const BufferRegion scratch = WorkingBufferRegion(kUnpackScratch);
  BYTE *archive = scratch.bytes && !FolderIsLink(pending.folder) ? ReadCheckedBackup(pending, &block) : NULL;
  const int recovered = !archive || ExtractSelectedEntries(archive, pending.size, pending.folder, SelectedForRecovery,
                                                           scratch.bytes, scratch.size, NULL);
  if (archive) FreeLockedBlock(block);
  if (recovered) ClearBackupPending();
  return recovered;
}
