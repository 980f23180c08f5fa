#include "package/archive_verifier.h"

#include <string.h>
#include <zlib.h>

#include "common/command_line.h"
#include "common/install_dir.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/archive_format.h"
#include "package/archive_reader.h"
#include "package/md5_digest.h"
#include "package/phrase_list.h"

static int EntryPasses(const ArchiveEntry *entry, const char *name, const char *exemptList);

static int EntryPasses(const ArchiveEntry *entry, const char *name, const char *exemptList) {
  if (!EntryNameIsSafeIn(entry, IsAnsiLeadByte)) return 0;
  char path[MAX_PATH];
  if (!JoinPath(path, sizeof path, installDir, name)) return 0;
  char digest[kDigestFieldSize];
  const DWORD fileLength = FileMd5Hex(path, digest);
  if (!entry->digestText) return fileLength >= entry->compressedLength;
  return strncmp(digest, entry->digestText, kDigestFieldSize) == 0 || ContainsCommandWord(exemptList, name);
}

int VerifyArchive(const BYTE *archive, DWORD length, char *failureText, int failureSize, const char *exemptList) {
  CopyText(failureText, failureSize, "");
  ArchiveWalk walk;
  ArchiveEntry entry;
  int passed = 0;
  BeginArchiveWalk(&walk, archive, length);
  while (NextArchiveEntry(&walk, &entry)) {
    char name[kLongNameFieldSize + 1];
    CopyEntryName(&entry, name, sizeof name);
    if (EntryPasses(&entry, name, exemptList)) {
      ++passed;
    } else {
      AppendText(failureText, failureSize, name);
      AppendText(failureText, failureSize, "....");
    }
  }
  if ((DWORD)passed < walk.count) AppendText(failureText, failureSize, kVerifyIncompleteLine);
  return passed;
}

int CompactedEntryInstalled(const BYTE *archive, DWORD length, const char *folder, const char *name, BYTE *scratch,
                            DWORD scratchSize) {
  if (!scratch || scratchSize <= kScratchContentOffset + kScratchReserve) return 0;
  ArchiveWalk walk;
  ArchiveEntry entry;
  if (!BeginArchiveWalk(&walk, archive, length)) return 0;
  while (NextArchiveEntry(&walk, &entry)) {
    if (!EntryNameIs(&entry, name)) continue;
    BYTE *content = scratch + kScratchContentOffset;
    uLongf inflated = scratchSize - kScratchContentOffset - kScratchReserve;
    if (!entry.digestText || uncompress(content, &inflated, entry.data, entry.compressedLength) != Z_OK) return 0;
    char digest[kDigestFieldSize];
    Md5Hex(content, (DWORD)inflated, digest);
    if (inflated == 0 || strncmp(digest, entry.digestText, kDigestFieldSize) != 0) return 0;
    const DWORD compacted = CompactPhraseList(content, (uint32_t)inflated) + kPhraseListTrailerSize;
    Md5Hex(content, compacted, digest);
    char path[MAX_PATH], installed[kDigestFieldSize];
    return JoinPath(path, sizeof path, folder, name) && FileMd5Hex(path, installed) == compacted &&
           strncmp(installed, digest, kDigestFieldSize) == 0;
  }
  return 0;
}
