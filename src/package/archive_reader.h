// Reading archives: unpacking every entry into the installation directory
// with its integrity checked, and inflating one package entry by name.
#pragma once

#include "package/working_buffer.h"
#include "platform/win32.h"

// Where ExtractArchive lays out an entry in its scratch area: the name at 0,
// the inflated content at 100, its digest text 10 bytes behind the content.
const DWORD kScratchContentOffset = 100;
const DWORD kScratchDigestGap = 10;
// Room the scratch area keeps behind the largest content: the gap and the
// digest text.
const DWORD kScratchReserve = 44;

// Writes every entry of the archive (`length` bytes) as a file named after
// the entry in the installation directory (made anew, never through a link
// or a second name planted there), through the scratch area
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

// Which entries to unpack into `folder`, by name: 1 for those to write.
typedef int (*EntrySelector)(const char *folder, const char *name);
// ExtractArchive into `folder` (ending in a backslash), of the entries
// `selected` takes (every entry when it is null). An entry passed over is
// neither written nor a failure, and advances the progress as any other.
// Returns 1 when every entry not passed over was written.
int ExtractSelectedEntries(const BYTE *archive, DWORD length, const char *folder, EntrySelector selected,
                           BYTE *scratch, DWORD scratchSize, DWORD *writtenCount);

// The stored digest text of the package entry named `name` (case-sensitive,
// long layout), or null when the package holds no such entry.
const char *PackageEntryDigest(const char *name);

// 1 when the archive can be unpacked at all: its header is there and it
// counts at least one entry.
int ArchiveHasEntries(const BYTE *archive, DWORD length);

// Inflates the package entry named `name` (case-sensitive) into the content
// area of the unpack scratch (kUnpackScratch), and returns that area. Its
// first two bytes are cleared first, so a missing entry leaves two zero
// bytes there. Without package it does nothing but return the area; without
// working buffer the area is null. No integrity check; the inflater's result
// is not used.
BufferRegion LoadPackageEntry(const char *name);
