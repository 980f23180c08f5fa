#include "userdata/user_data_restore.h"

#include <string.h>

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
#include "package/package_data.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"
#include "userdata/user_data_files.h"

namespace {

const char kPhraseListBackup[] = "vorlcyzk.bak";
const DWORD kExemptListOffset = 0x1000;

// The backup a recovery writes back, for its entry selector.
const BackupRecord *recovering = NULL;

void FolderPath(char *path, int size, const char *folder, const char *name) {
  CopyText(path, size, folder);
  AppendText(path, size, name);
}

// The backup `record` describes, read whole into a new block: null unless it
// is a plain file of exactly the recorded length whose digest matches. A
// file of another length is not read at all.
BYTE *ReadCheckedBackup(const BackupRecord &record, HGLOBAL *block) {
  *block = NULL;
  char path[MAX_PATH];
  FolderPath(path, sizeof path, record.folder, kBackupArchiveName);
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

int SelectedForRestore(const char *name) { return IsUserDataEntry(name) && UnpackTakes(name); }

// Files the backup could not carry (empty, too large) stay in the backup's
// folder; when the run unpacked into another, they come over where the
// package's own is in their place.
void BringUncarriedFiles(const BackupRecord &pending) {
  if (strcmp(pending.folder, pending.target) == 0) return;
  for (const UserDataFile &row : kUserDataFiles) {
    char from[MAX_PATH], to[MAX_PATH];
    FolderPath(from, sizeof from, pending.folder, row.file);
    FolderPath(to, sizeof to, pending.target, row.file);
    DWORD size = 0;
    HANDLE file = OpenPlainFile(from, GENERIC_READ, &size);
    if (file == INVALID_HANDLE_VALUE) continue;
    CloseHandle(file);
    if ((size == 0 || size > kLargestInstallableEntry) && IsPackagesOwn(pending.target, row.file))
      CopyPlainFile(from, to);
  }
}

// 1 when the unpack left `name` in the folder it went to as the package has
// it, and the user has not written it since: the package's own there, or,
// when the backup lies in another folder, not there at all. (A file the user
// emptied or deleted in the folder unpacked into is theirs too; the unpack
// leaves neither, as it puts each file in place whole.)
int LeftByTheUnpack(const char *name) {
  if (IsPackagesOwn(recovering->target, name)) return 1;
  if (strcmp(recovering->folder, recovering->target) == 0) return 0;
  char path[MAX_PATH];
  FolderPath(path, sizeof path, recovering->target, name);
  return GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES;
}

// An entry comes back where the unpack left its file. A ".bak" copy comes
// back only while its file is left so too: once the user wrote the file,
// the older copy would go over the newer work when the input method's
// helper merges it.
int SelectedForRecovery(const char *name) {
  if (!IsUserDataEntry(name) || !LeftByTheUnpack(name)) return 0;
  const char *file = FileOfCopy(name);
  return !file || LeftByTheUnpack(file);
}

// The phrase list comes back compacted; it counts as restored when it is
// the compacted form of what was archived. Returns 1 when every entry
// checked out; tells the user either way (the windowless run only of a
// failure).
int ReportRestore(const BYTE *archive, DWORD length) {
  char *failures = (char *)workingBuffer;
  char *exempt = (char *)workingBuffer + kExemptListOffset;
  CopyText(exempt, 32, "");
  if (CompactedEntryInstalled(archive, length, installDir, kPhraseListBackup, workingBuffer + kExemptListOffset + 32,
                              kWorkingBufferSize - kExemptListOffset - 32))
    CopyText(exempt, 32, kPhraseListBackup);
  const int passed = VerifyArchive(archive, length, failures, (int)kExemptListOffset, exempt);
  if (failures[0] != '\0') {
    AppendText(failures, (int)kExemptListOffset, "\r\n\r\n");
    AppendText(failures, (int)kExemptListOffset, kEarlierDataFailedLine);
    ShowFailure(failures, kProductCaption);
    return 0;
  }
  if (runMode == kRunModeWindowless) return 1;
  WCHAR text[64];
  wsprintfW(text, kEarlierDataRestoredFormat, passed);
  MessageBoxW(NULL, text, kProductCaptionW, MB_OK);
  return 1;
}

void CopyFromEarlierFolder(const char *name) {
  char from[MAX_PATH], to[MAX_PATH];
  FolderPath(from, sizeof from, madeBackup.folder, name);
  FolderPath(to, sizeof to, installDir, name);
  CopyPlainFile(from, to);
}

// Into a new installation directory come the backup, as the record names
// that directory from now on, and the files the archive could not carry,
// as they are, over the new defaults.
void CopyHereFromEarlierFolder() {
  if (strcmp(installDir, madeBackup.folder) == 0) return;
  CopyFromEarlierFolder(kBackupArchiveName);
  char names[sizeof madeBackup.folder];
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
  if (backupState != 2 || !workingBuffer) return;
  HGLOBAL block;
  BYTE *archive = ReadCheckedBackup(madeBackup, &block);
  if (!archive) {
    ShowFailure(kEarlierDataFailedLine, kProductCaption);
    return;
  }
  CopyHereFromEarlierFolder();
  ExtractSelectedEntries(archive, madeBackup.size, installDir, SelectedForRestore, workingBuffer, kWorkingBufferSize,
                         NULL);
  if (ReportRestore(archive, madeBackup.size)) ClearBackupPending();
  FreeLockedBlock(block);
}

int RecoverPendingBackup() {
  BackupRecord pending;
  if (!ReadPendingBackup(&pending)) return 1;
  // A folder moved since is the one the record names now.
  if (!FolderStillThere(pending.folder)) CopyText(pending.folder, sizeof pending.folder, previousInstallRecord);
  if (!FolderStillThere(pending.target)) CopyText(pending.target, sizeof pending.target, previousInstallRecord);
  HGLOBAL block;
  const int reachable = workingBuffer && !FolderIsLink(pending.folder) && !FolderIsLink(pending.target);
  BYTE *archive = reachable ? ReadCheckedBackup(pending, &block) : NULL;
  recovering = &pending;
  const int recovered = !archive || ExtractSelectedEntries(archive, pending.size, pending.target, SelectedForRecovery,
                                                           workingBuffer, kWorkingBufferSize, NULL);
  if (archive) BringUncarriedFiles(pending);
  recovering = NULL;
  if (archive) FreeLockedBlock(block);
  if (recovered) ClearBackupPending();
  return recovered;
}
