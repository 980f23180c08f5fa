#include "package/archive_reader.h"

#include <string.h>
#include <zlib.h>

#include "common/file_operations.h"
#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/plain_files.h"
#include "common/progress.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/archive_format.h"
#include "package/md5_digest.h"
#include "package/package_data.h"
#include "package/phrase_list.h"
#include "package/working_buffer.h"

static_assert(kUnpackScratch.size - kScratchContentOffset - kScratchReserve == kLargestInstallableEntry,
              "the package's entries fit the working buffer");

// The entry that is written compacted: the phrase-list backup.
static const char kCompactedEntryName[] = "vorlcyzk.bak";
// Failures named one message each; a package that fails everywhere (a
// read-only folder, a damaged download) must not bury the user in hundreds.
static const DWORD kNamedFailureLimit = 5;

static DWORD InflateEntry(const ArchiveEntry *entry, BYTE *target, DWORD capacity);
static int DigestMatches(const ArchiveEntry *entry, BYTE *content, DWORD length);
static int ExtractEntry(const ArchiveEntry *entry, const char *folder, BYTE *scratch, DWORD scratchSize);
static int FindPackageEntry(const char *name, ArchiveEntry *entry);
static int IsPackageName(const char *name);
static void ReportFailedEntry(const char *name, DWORD failures);
static void ReportFurtherFailures(DWORD failures);

// The inflated length, or 0 when the stream is bad or does not fit.
static DWORD InflateEntry(const ArchiveEntry *entry, BYTE *target, DWORD capacity) {
  uLongf length = capacity;
  if (uncompress(target, &length, entry->data, entry->compressedLength) != Z_OK) return 0;
  return (DWORD)length;
}

// Long layout: the digest of the content, computed behind it in the scratch
// area, must equal the stored digest text. The short layout has no digest.
static int DigestMatches(const ArchiveEntry *entry, BYTE *content, DWORD length) {
  if (!entry->digestText) return 1;
  char *digest = (char *)content + length + kScratchDigestGap;
  Md5Hex(content, length, digest);
  return strncmp(digest, entry->digestText, kDigestFieldSize) == 0;
}

// The file is written whole under a name of its own and then takes the
// entry's name in one step (ReplacePlainFile): never through a link or a
// second name planted there, and a crash leaves the old file or the new one,
// never an empty or cut one. A read-only mark is cleared first, and a file
// that a running program holds is moved aside.
static int ExtractEntry(const ArchiveEntry *entry, const char *folder, BYTE *scratch, DWORD scratchSize) {
  char *name = (char *)scratch;
  if (!EntryNameIsSafeIn(entry, IsAnsiLeadByte)) return 0;
  BYTE *content = scratch + kScratchContentOffset;
  DWORD length = InflateEntry(entry, content, scratchSize - kScratchContentOffset - kScratchReserve);
  if (length == 0 || !DigestMatches(entry, content, length)) return 0;
  char target[MAX_PATH];
  if (!JoinPath(target, sizeof target, folder, name)) return 0;
  if (strcmp(name, kCompactedEntryName) == 0) length = CompactPhraseList(content, length) + kPhraseListTrailerSize;
  char fresh[MAX_PATH];
  if (!FreshNameFor(target, fresh, sizeof fresh)) return 0;
  if (!WritePlainFile(fresh, content, length)) {
    DeleteFileA(fresh);
    return 0;
  }
  ClearFileMarks(target);
  if (PutFileInPlace(fresh, target)) return 1;
  MoveAside(target, IsPackageName);
  if (PutFileInPlace(fresh, target)) return 1;
  DeleteFileA(fresh);
  return 0;
}

// `failures` counts this one.
static void ReportFailedEntry(const char *name, DWORD failures) {
  if (failures > kNamedFailureLimit) return;
  char text[128];
  wsprintfA(text, kEntryNotUnpackedFormat, name);
  ShowFailure(text, kSetupCaption);
}

static void ReportFurtherFailures(DWORD failures) {
  if (failures <= kNamedFailureLimit) return;
  char text[128];
  wsprintfA(text, kFurtherEntriesNotUnpackedFormat, (unsigned long)(failures - kNamedFailureLimit));
  ShowFailure(text, kSetupCaption);
}

int ExtractArchive(const BYTE *archive, DWORD length, BYTE *scratch, DWORD scratchSize, DWORD *writtenCount) {
  return ExtractSelectedEntries(archive, length, installDir, NULL, scratch, scratchSize, writtenCount);
}

int ExtractSelectedEntries(const BYTE *archive, DWORD length, const char *folder, EntrySelector selected,
                           BYTE *scratch, DWORD scratchSize, DWORD *writtenCount) {
  if (writtenCount) *writtenCount = 0;
  if (!scratch || scratchSize <= kScratchContentOffset + kScratchReserve) return 0;
  ArchiveWalk walk;
  if (!BeginArchiveWalk(&walk, archive, length)) return 0;
  ArchiveEntry entry;
  DWORD written = 0, failures = 0, passedOver = 0;
  while (NextArchiveEntry(&walk, &entry)) {
    // The name stays at the start of the scratch area for the message.
    CopyEntryName(&entry, (char *)scratch, kScratchContentOffset);
    if (selected && !selected(folder, (const char *)scratch)) ++passedOver;
    else if (ExtractEntry(&entry, folder, scratch, scratchSize)) ++written;
    else ReportFailedEntry((const char *)scratch, ++failures);
    AdvanceProgress(1);
  }
  ReportFurtherFailures(failures);
  if (writtenCount) *writtenCount = written;
  return written + passedOver == walk.count;
}

// A file of the package's in the folder it is unpacked into: no aside name.
static int IsPackageName(const char *name) { return PackageEntryDigest(name) != NULL; }

// The first package entry named `name`; 0 when there is none.
static int FindPackageEntry(const char *name, ArchiveEntry *entry) {
  ArchiveWalk walk;
  BeginArchiveWalk(&walk, carriedPackage.data, carriedPackage.size);
  while (NextArchiveEntry(&walk, entry))
    if (EntryNameIs(entry, name)) return 1;
  return 0;
}

BufferRegion LoadPackageEntry(const char *name) {
  const BufferRegion scratch = WorkingBufferRegion(kUnpackScratch);
  if (!scratch.bytes) return scratch;
  const BufferRegion content = {scratch.bytes + kScratchContentOffset, scratch.size - kScratchContentOffset};
  if (!carriedPackage.data) return content;
  content.bytes[0] = 0;
  content.bytes[1] = 0;
  ArchiveEntry entry;
  if (FindPackageEntry(name, &entry) && entry.compressedLength > 0)
    InflateEntry(&entry, content.bytes, content.size - kScratchReserve);
  return content;
}

const char *PackageEntryDigest(const char *name) {
  ArchiveEntry entry;
  return FindPackageEntry(name, &entry) ? entry.digestText : NULL;
}

int ArchiveHasEntries(const BYTE *archive, DWORD length) {
  ArchiveWalk walk;
  return BeginArchiveWalk(&walk, archive, length) && walk.count > 0;
}
