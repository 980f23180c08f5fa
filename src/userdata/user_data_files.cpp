#include "userdata/user_data_files.h"

#include <string.h>

#include "common/plain_files.h"
#include "common/text_buffer.h"
#include "package/archive_format.h"
#include "package/archive_reader.h"
#include "package/archive_verifier.h"
#include "package/md5_digest.h"
#include "package/package_data.h"
#include "package/working_buffer.h"

const char kBackupArchiveName[] = "vorlback.voz";

// The phrase list and the seven dictionaries it goes with are archived as
// ".bak" copies: a restore brings them back beside the new defaults, and the
// input method's helper merges them in.
const UserDataFile kUserDataFiles[kUserDataFileCount] = {
    {"vorlcyzk.voh", "vorlcyzk.bak"}, {"voszsj43.voh", "voszsj43.bak"}, {"cfontset.voh", "cfontset.bak"},
    {"cwbzlcz1.voh", "cwbzlcz1.bak"}, {"vowbcmxz.voh", "vowbcmxz.bak"}, {"vodhzcm.voh", "vodhzcm.bak"},
    {"vorldhz.voh", "vorldhz.bak"},   {"vogbkhz.voh", "vogbkhz.bak"},   {"voszsj43.voh", "voszsj43.voh"},
    {"vorldwdw.txt", "vorldwdw.txt"}, {"vorlzdym.voh", "vorlzdym.voh"}, {"vopyzdym.voh", "vopyzdym.voh"},
    {"vowbpy.txt", "vowbpy.txt"},     {"vorlynhz.txt", "vorlynhz.txt"}, {"vorlzdfh.voh", "vorlzdfh.voh"},
    {"userck.txt", "userck.txt"},     {"delck.txt", "delck.txt"},       {"ftvozdym.txt", "ftvozdym.txt"},
    {"ftpyzdym.txt", "ftpyzdym.txt"}, {"cwb.ov1", "cwb.ov1"},           {"vorlpymb.ov1", "vorlpymb.ov1"},
    {"vogbkbh.voh", "vogbkbh.voh"},   {"voszsj05.voh", "voszsj05.voh"}, {"voszsj06.voh", "voszsj06.voh"},
};

int IsUserDataEntry(const char *entry) {
  for (const UserDataFile &row : kUserDataFiles)
    if (strcmp(row.entry, entry) == 0) return 1;
  return 0;
}

int IsCopiedRow(const UserDataFile &row) { return strcmp(row.file, row.entry) != 0; }

const char *FileOfCopy(const char *entry) {
  for (const UserDataFile &row : kUserDataFiles)
    if (IsCopiedRow(row) && strcmp(row.entry, entry) == 0) return row.file;
  return NULL;
}

int IsPackagesOwn(const char *folder, const char *name) {
  const char *stored = PackageEntryDigest(name);
  if (!stored) return 0;
  char path[MAX_PATH], digest[kDigestFieldSize];
  if (!JoinPath(path, sizeof path, folder, name)) return 0;
  // Only a plain file that an entry could hold is read at all.
  DWORD size = 0;
  if (!PlainFileThere(path, &size)) return 0;
  if (size == 0 || size > kLargestInstallableEntry) return 0;
  if (FileMd5Hex(path, digest) > 0 && strncmp(digest, stored, kDigestTextLength) == 0) return 1;
  const BufferRegion scratch = WorkingBufferRegion(kUnpackScratch);
  return CompactedEntryInstalled(carriedPackage.data, carriedPackage.size, folder, name, scratch.bytes, scratch.size);
}
