// The working buffer: one zero-filled movable block of 2 MB, locked while the
// program runs, that every file operation uses as scratch. The wizard
// acquires it at window creation and the windowless run at its start. Each
// use lays it out afresh in the regions named here, and reaches them only
// through WorkingBufferRegion: the regions one use needs at the same time
// never overlap, which the checks at the end of this header prove.
#pragma once

#include "platform/win32.h"

const DWORD kWorkingBufferSize = 0x200000;

// Where a region lies in the buffer.
struct BufferLayout {
  DWORD offset;
  DWORD size;
};

// ---- Unpacking an archive or checking a phrase list against one: the
// archive reader's scratch area (archive_reader.h lays it out). A selector
// of the entries to unpack may use it too (IsPackagesOwn): the entry's name
// at its start is left alone by the reader's layout.
constexpr BufferLayout kUnpackScratch = {0, kWorkingBufferSize};

// ---- The package check after unpacking: the exempt names and the text
// naming the files that failed. The text is still wanted after the skin
// dialog when the skin's archive does not open; the archive is read into its
// region only once it has opened, when the text no longer is.
constexpr BufferLayout kPackageCheckExempt = {0, 0x1000};
constexpr BufferLayout kPackageCheckFailures = {0x1000, 0x1F000};

// ---- A skin's archive, read whole (at most 0x20000 bytes), and the scratch
// area it is unpacked through. The skin check that follows puts its exempt
// names and failure text behind the archive's bytes (SkinCheckExempt,
// SkinCheckFailures), when the unpacking is done.
constexpr BufferLayout kSkinArchive = {0, 0x20000};
constexpr BufferLayout kSkinUnpackScratch = {0x20000, kWorkingBufferSize - 0x20000};
const DWORD kSkinCheckExemptGap = 6;
const DWORD kSkinCheckFailureGap = 20;

// ---- The check of the restored files: the failure text, the exempt names
// and the scratch area in which the phrase list is compacted to compare.
constexpr BufferLayout kRestoreFailures = {0, 0x1000};
constexpr BufferLayout kRestoreExempt = {0x1000, 32};
constexpr BufferLayout kRestoreScratch = {0x1020, kWorkingBufferSize - 0x1020};

// ---- The message naming the programs that hold the input method (UTF-16):
// the message, one line of it, and the list it is composed from.
constexpr BufferLayout kConflictMessage = {0, 0x40000};
constexpr BufferLayout kConflictLine = {0x40000, 0x4200};
constexpr BufferLayout kConflictList = {0x44200, kWorkingBufferSize - 0x44200};

// ---- A module read whole to patch its version text.
constexpr BufferLayout kVersionPatchBytes = {0, 0x20000};

// Part of the working buffer: `bytes` is null and `size` 0 while there is no
// buffer.
struct BufferRegion {
  BYTE *bytes;
  DWORD size;
};

// Allocates and locks the working buffer. Returns 1 on success; on failure
// there is no buffer and nothing is kept.
int AllocateWorkingBuffer();
// Unlocks and frees the working buffer; there is none afterwards, as at
// start (also the reset of the buffer's state between runs in one process).
void FreeWorkingBuffer();
// 1 while there is a working buffer.
int HaveWorkingBuffer();

BufferRegion WorkingBufferRegion(BufferLayout layout);
// The skin check's regions behind the `archiveLength` bytes of a skin's
// archive (at most kSkinArchive.size).
BufferRegion SkinCheckExempt(DWORD archiveLength);
BufferRegion SkinCheckFailures(DWORD archiveLength);

constexpr bool Inside(BufferLayout a) { return a.offset + a.size <= kWorkingBufferSize; }
constexpr bool Apart(BufferLayout a, BufferLayout b) {
  return a.offset + a.size <= b.offset || b.offset + b.size <= a.offset;
}
static_assert(Inside(kPackageCheckFailures) && Apart(kPackageCheckExempt, kPackageCheckFailures),
              "the package check's regions are live together");
static_assert(Inside(kSkinUnpackScratch) && Apart(kSkinArchive, kSkinUnpackScratch),
              "a skin's archive is unpacked through the scratch area");
static_assert(kSkinArchive.offset == 0 && kSkinCheckFailureGap > kSkinCheckExemptGap,
              "the skin check's regions lie behind the archive's bytes, in this order");
static_assert(Inside(kRestoreScratch) && Apart(kRestoreFailures, kRestoreExempt) &&
                  Apart(kRestoreFailures, kRestoreScratch) && Apart(kRestoreExempt, kRestoreScratch),
              "the restore check's regions are live together");
static_assert(Inside(kConflictList) && Apart(kConflictMessage, kConflictLine) &&
                  Apart(kConflictMessage, kConflictList) && Apart(kConflictLine, kConflictList),
              "the conflict message is composed from its line and list");
static_assert(Inside(kVersionPatchBytes), "a module to patch fits the buffer");
