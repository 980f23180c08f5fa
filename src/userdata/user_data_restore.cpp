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

// The entries a recovery writes back into `folder`, the one the unpack went
// to: where the unpack left a file as the package has it, and the user has
// not written it since. (A file the user emptied or deleted there is theirs
// too; the unpack leaves neither, as it puts each file in place whole.) A
// ".bak" copy comes back only while its file is left so too: once the user
// wrote the file, the older copy would go over the newer work when the input
// method's helper merges it. `left` tells a file left by the unpack.
int SelectedForRecovery(const char *folder, const char *name, int (*left)(const char *, const char *)) {
  if (!IsUserDataEntry(name) || !left(folder, name)) return 0;
  const char *file = FileOfCopy(name);
  return !file || left(folder, file);
}

// A backup made in the folder it went back into: the package's own there.
int LeftHere(const char *folder, const char *name) { return IsPackagesOwn(folder, name); }

// A backup made in another folder: the unpack gave the new one no file of
// the user's at all, so one missing there counts too.
int LeftElsewhere(const char *folder, const char *name) {
  char path[MAX_PATH];
  return IsPackagesOwn(folder, name) ||
         (JoinPath(path, sizeof path, folder, name) && GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES);
}

// A file the backup could not carry (empty, too large) stays in the
// backup's folder, a row's file or its ".bak" copy; when the run unpacked
// into another folder, it comes over where the unpack left its place as it
// does for an entry (a copy only while its file is left so too).
void BringIfUncarried(const BackupRecord &pending, const char *name, const char *file) {
  char from[MAX_PATH], to[MAX_PATH];
  JoinPath(from, sizeof from, pending.folder, name);
  JoinPath(to, sizeof to, pending.target, name);
  DWORD size = 0;
  if (!PlainFileThere(from, &size)) return;
  if (size != 0 && size <= kLargestInstallableEntry) return;
  if (LeftElsewhere(pending.target, name) && LeftElsewhere(pending.target, file)) CopyPlainFile(from, to);
}

void BringUncarriedFiles(const BackupRecord &pending) {
  if (strcmp(pending.folder, pending.target) == 0) return;
  for (const UserDataFile &row : kUserDataFiles) {
    BringIfUncarried(pending, row.file, row.file);
    if (IsCopiedRow(row)) BringIfUncarried(pending, row.entry, row.file);
  }
}

int SelectedForRecoveryHere(const char *folder, const char *name) {
  return SelectedForRecovery(folder, name, LeftHere);
}
int SelectedForRecoveryElsewhere(const char *folder, const char *name) {
  return SelectedForRecovery(folder, name, LeftElsewhere);
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

void CopyFromEarlierFolder(const char *name) {
  char from[MAX_PATH], to[MAX_PATH];
  JoinPath(from, sizeof from, userDataBackup.made.folder, name);
  JoinPath(to, sizeof to, installDir, name);
  CopyPlainFile(from, to);
}

// Into a new installation directory come the backup, as the record names
// that directory from now on, and the files the archive could not carry,
// as they are, over the new defaults.
void CopyHereFromEarlierFolder() {
  if (strcmp(installDir, userDataBackup.made.folder) == 0) return;
  CopyFromEarlierFolder(kBackupArchiveName);
  char names[sizeof userDataBackup.made.folder];
  CopyText(names, sizeof names, KeptInPlaceNames());
  for (char *name = names; *name;) {
    char *blank = strchr(name, ' ');
    if (blank) *blank = '\0';
    CopyFromEarlierFolder(name);
    if (!blank) break;
    name = blank + 1;
  }
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
  CopyHereFromEarlierFolder();
  const BufferRegion scratch = WorkingBufferRegion(kUnpackScratch);
  ExtractSelectedEntries(archive, userDataBackup.made.size, installDir, SelectedForRestore, scratch.bytes, scratch.size,
                         NULL);
  if (ReportRestore(archive, userDataBackup.made.size)) ClearBackupPending();
  FreeLockedBlock(block);
}

int RecoverPendingBackup() {
  BackupRecord pending;
  if (!ReadPendingBackup(&pending)) return 1;
  // A folder moved since is the one the record names now.
  if (!FolderStillThere(pending.folder)) CopyText(pending.folder, sizeof pending.folder, previousInstallRecord);
  if (!FolderStillThere(pending.target)) CopyText(pending.target, sizeof pending.target, previousInstallRecord);
  HGLOBAL block;
  const int reachable = HaveWorkingBuffer() && !FolderIsLink(pending.folder) && !FolderIsLink(pending.target);
  BYTE *archive = reachable ? ReadCheckedBackup(pending, &block) : NULL;
  const EntrySelector selected =
      strcmp(pending.folder, pending.target) == 0 ? SelectedForRecoveryHere : SelectedForRecoveryElsewhere;
  const BufferRegion scratch = WorkingBufferRegion(kUnpackScratch);
  const int recovered =
      !archive || ExtractSelectedEntries(archive, pending.size, pending.target, selected, scratch.bytes, scratch.size, NULL);
  if (archive) BringUncarriedFiles(pending);
  if (archive) FreeLockedBlock(block);
  if (recovered) ClearBackupPending();
  return recovered;
}
