#include "userdata/user_data_backup.h"

#include <string.h>

#include "common/install_dir.h"
#include "common/plain_files.h"
#include "common/text_buffer.h"
#include "package/archive_format.h"
#include "package/archive_writer.h"
#include "package/md5_digest.h"
#include "package/memory_block.h"
#include "platform/win32.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_files.h"
#include "userdata/user_data_restore.h"

namespace {

// The names the unpack passes over, each followed by a blank.
char keptNames[kUserDataFileCount * 16];

void KeepInPlace(const char *name) {
  AppendText(keptNames, sizeof keptNames, name);
  AppendText(keptNames, sizeof keptNames, " ");
}

// How one of the user's files stands: gone (or not the folder's own: a link
// or a second name, whose content lives elsewhere and is not touched), one
// the archive can carry, or one it cannot (empty or too large).
enum FileStanding { kGone, kCarried, kNotCarried };

FileStanding StandingOf(const char *path) {
  DWORD size = 0;
  if (!PlainFileThere(path, &size)) return kGone;
  return size == 0 || size > kLargestInstallableEntry ? kNotCarried : kCarried;
}

// A row archived through a ".bak" copy. A copy already there, unless it is
// the package's own, is the user's data from a restore not merged yet, the
// data the input method's helper puts over the file: it goes into the
// archive as it is, or, when the archive cannot carry it, stays in place as
// it is. Otherwise the file is copied and the copy archived. Returns 0 when
// the row's data cannot be put in the archive.
int BackUpCopiedRow(HANDLE archive, const char *folder, const UserDataFile &row) {
  char file[MAX_PATH], copy[MAX_PATH];
  JoinPath(file, sizeof file, folder, row.file);
  JoinPath(copy, sizeof copy, folder, row.entry);
  const FileStanding copyStanding = StandingOf(copy);
  if (copyStanding == kNotCarried) {
    KeepInPlace(row.entry);
    return 1;
  }
  if (copyStanding == kCarried && !IsPackagesOwn(folder, row.entry)) return AppendToArchive(archive, copy);
  const FileStanding fileStanding = StandingOf(file);
  if (fileStanding == kNotCarried) KeepInPlace(row.file);
  if (fileStanding != kCarried) return 1;
  return CopyPlainFile(file, copy) && AppendToArchive(archive, copy);
}

int BackUpRow(HANDLE archive, const char *folder, const UserDataFile &row) {
  if (IsCopiedRow(row)) return BackUpCopiedRow(archive, folder, row);
  char file[MAX_PATH];
  JoinPath(file, sizeof file, folder, row.file);
  const FileStanding standing = StandingOf(file);
  if (standing == kNotCarried) KeepInPlace(row.file);
  return standing != kCarried || AppendToArchive(archive, file);
}

// Every row into the archive under construction; 0 at the first that fails.
int WriteBackup(const char *path, const char *folder) {
  HANDLE archive = CreatePlainFile(path);
  if (archive == INVALID_HANDLE_VALUE) return 0;
  int written = StartArchive(archive);
  for (const UserDataFile &row : kUserDataFiles)
    if (written) written = BackUpRow(archive, folder, row);
  CloseHandle(archive);
  return written;
}

// 1 when the archive at `path` holds its header and no entry.
int HeaderOnly(const char *path) {
  DWORD size = 0;
  return PlainFileThere(path, &size) && size == kArchiveHeaderSize;
}

// The finished archive's length and digest into userDataBackup.made.
int RecordBackup(const char *path, const char *folder) {
  DWORD size = 0, read = 0;
  HANDLE file = OpenPlainFile(path, GENERIC_READ, &size);
  if (file == INVALID_HANDLE_VALUE) return 0;
  HGLOBAL block = NULL;
  BYTE *bytes = AllocateLockedBlock(size + 1, &block);
  const BOOL whole = bytes && ReadFile(file, bytes, size, &read, NULL) && read == size;
  CloseHandle(file);
  char digest[kDigestFieldSize];
  if (whole) Md5Hex(bytes, size, digest);
  FreeLockedBlock(block);
  if (!whole) return 0;
  CopyText(userDataBackup.made.folder, sizeof userDataBackup.made.folder, folder);
  userDataBackup.made.size = size;
  lstrcpynA(userDataBackup.made.digest, digest, sizeof userDataBackup.made.digest);
  return 1;
}

// 1 when `name` is one of the blank-separated names of `list`.
int NameInList(const char *list, const char *name) {
  const int length = lstrlenA(name);
  for (const char *word = list; *word;) {
    const char *end = strchr(word, ' ');
    const int wordLength = end ? (int)(end - word) : lstrlenA(word);
    if (wordLength == length && length > 0 && strncmp(word, name, (size_t)length) == 0) return 1;
    if (!end) break;
    word = end + 1;
  }
  return 0;
}

int FolderExists(const char *folder) {
  const DWORD attributes = GetFileAttributesA(folder);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// 1 when one of the user's files, or a copy of one, is in `folder`.
int HoldsUserData(const char *folder) {
  for (const UserDataFile &row : kUserDataFiles) {
    char path[MAX_PATH];
    JoinPath(path, sizeof path, folder, row.entry);
    if (StandingOf(path) != kGone) return 1;
    JoinPath(path, sizeof path, folder, row.file);
    if (StandingOf(path) != kGone) return 1;
  }
  return 0;
}

// The folder the earlier installation's data is in: the one its record
// names, or, when the record names no folder there is (it could not be
// written, or it went), the installation directory itself when the user's
// files are there.
const char *EarlierDataFolder() {
  if (previousInstallRecord[0] != '\0' && FolderExists(previousInstallRecord)) return previousInstallRecord;
  return FolderExists(installDir) && !FolderIsLink(installDir) && HoldsUserData(installDir) ? installDir : "";
}

}  // namespace

BackupResult BackupUserData() {
  userDataBackup.state = 0;
  ResetKeptNames();
  const char *folder = EarlierDataFolder();
  if (folder[0] == '\0' || FolderIsLink(folder)) return kNothingToBackUp;
  if (!RecoverPendingBackup()) return kBackupImpossible;
  // Built under a name of its own and put in place whole, in one step.
  char archive[MAX_PATH], fresh[MAX_PATH];
  JoinPath(archive, sizeof archive, folder, kBackupArchiveName);
  if (!FreshNameFor(archive, fresh, sizeof fresh)) return kBackupImpossible;
  if (!WriteBackup(fresh, folder)) {
    DeleteFileA(fresh);
    return kBackupImpossible;
  }
  // Nothing of the user's there (only the package's own copies, as a first
  // installation that stopped early leaves them): nothing to ask about.
  if (HeaderOnly(fresh) && keptNames[0] == '\0') {
    DeleteFileA(fresh);
    return kNothingToBackUp;
  }
  if (!PutFileInPlace(fresh, archive) || !RecordBackup(archive, folder)) {
    DeleteFileA(fresh);
    return kBackupImpossible;
  }
  userDataBackup.state = 1;
  return kBackedUp;
}

// The unpack into another folder takes every entry: the files kept in place
// there come over at the restore.
int UnpackTakes(const char *folder, const char *name) {
  return strcmp(folder, userDataBackup.made.folder) != 0 || !NameInList(keptNames, name);
}

const char *KeptInPlaceNames() { return keptNames; }

void ResetKeptNames() { keptNames[0] = '\0'; }
