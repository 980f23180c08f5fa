#include "userdata/user_data_backup.h"

#include <string.h>

#include "common/install_dir.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "package/archive_writer.h"
#include "platform/win32.h"
#include "userdata/backup_state.h"

namespace {

const char kBackupArchiveName[] = "vorlback.voz";

// Essential files archived through a ".bak" copy made beside them.
const char *const kCopiedFiles[][2] = {
    {"vorlcyzk.voh", "vorlcyzk.bak"}, {"voszsj43.voh", "voszsj43.bak"}, {"cfontset.voh", "cfontset.bak"},
    {"cwbzlcz1.voh", "cwbzlcz1.bak"}, {"vowbcmxz.voh", "vowbcmxz.bak"}, {"vodhzcm.voh", "vodhzcm.bak"},
    {"vorldhz.voh", "vorldhz.bak"},   {"vogbkhz.voh", "vogbkhz.bak"},
};
// Essential files archived as they are.
const char *const kEssentialFiles[] = {"voszsj43.voh", "vorldwdw.txt", "vorlzdym.voh", "vopyzdym.voh",
                                       "vowbpy.txt",   "vorlynhz.txt", "vorlzdfh.voh"};
// Files archived when they are there.
const char *const kOptionalFiles[] = {"userck.txt",   "delck.txt",   "ftvozdym.txt", "ftpyzdym.txt", "cwb.ov1",
                                      "vorlpymb.ov1", "vogbkbh.voh", "voszsj05.voh", "voszsj06.voh"};

void BackupPath(char *path, int size, const char *name) {
  CopyText(path, size, installDir);
  AppendText(path, size, name);
}

int AppendFile(const char *archive, const char *name) {
  char path[MAX_PATH];
  BackupPath(path, sizeof path, name);
  return AppendToArchive(archive, path);
}

// A stale ".bak" from an earlier run is archived when the copy fails.
int AppendCopy(const char *archive, const char *original, const char *copy) {
  char from[MAX_PATH], to[MAX_PATH];
  BackupPath(from, sizeof from, original);
  BackupPath(to, sizeof to, copy);
  CopyFileA(from, to, FALSE);
  return AppendToArchive(archive, to);
}

}  // namespace

int BackupUserData() {
  ComputeInstallDir();
  if (previousInstallRecord[0] == '\0') return 0;
  if (strcmp(installDir, previousInstallRecord) != 0) CopyText(installDir, kInstallDirSize, previousInstallRecord);
  char archive[MAX_PATH];
  BackupPath(archive, sizeof archive, kBackupArchiveName);
  if (BackupIsPending() && GetFileAttributesA(archive) != INVALID_FILE_ATTRIBUTES) return 1;
  remove(archive);
  for (const auto &file : kCopiedFiles)
    if (!AppendCopy(archive, file[0], file[1])) return 0;
  for (const char *name : kEssentialFiles)
    if (!AppendFile(archive, name)) return 0;
  for (const char *name : kOptionalFiles) AppendFile(archive, name);
  return 1;
}
