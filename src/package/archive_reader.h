// Reading archives: unpacking every entry into the installation directory
// with its integrity checked, and inflating one package entry by name.
#pragma once

#include "platform/win32.h"

// Where ExtractArchive lays out an entry in its scratch area: the name at 0,
// the inflated content at 100, its digest text 10 bytes behind the content.
const DWORD kScratchContentOffset = 100;
const DWORD kScratchDigestGap = 10;
// Room the scratch area keeps behind the largest content: the gap and the
// digest text.
const DWORD kScratchReserve = 44;

// Writes every entry of the archive (`length` bytes) as a file named after
// the entry in the installation directory, through the scratch area
// (`scratchSize` bytes, within the working buffer). An entry that does not
// inflate, inflates to nothing or to more than the scratch area holds, fails
// its digest (long layout), has a name that is not a plain file name in the
// ANSI code page, or cannot be written is a failure; a file already there
// under that name is then left untouched (unless the write itself failed).
// The first five failures show one message each with the entry's name, and
// one message at the end gives the number of the others. Every entry
// advances the progress step by one. A vorlcyzk.bak entry is written
// compacted (with its trailer). Returns 1 if every counted entry was
// written, 0 otherwise (also without archive or scratch area), and the
// number of entries written in *writtenCount unless it is null. The walk
// stops at a header without "CF" or one whose data would pass `length`.
int ExtractArchive(const BYTE *archive, DWORD length, BYTE *scratch, DWORD scratchSize, DWORD *writtenCount);

// 1 when the archive can be unpacked at all: its header is there and it
// counts at least one entry.
int ArchiveHasEntries(const BYTE *archive, DWORD length);

// Inflates the package entry named `name` (case-sensitive) into the working
// buffer at offset 100. Offsets 100 and 101 are cleared first, so a missing
// entry leaves two zero bytes there. Without package or working buffer it
// does nothing at all. No integrity check; the inflater's result is not used.
void LoadPackageEntry(const char *name);
