// Checking installed files against an archive's entries.
#pragma once

#include "platform/win32.h"

// Checks the file in the installation directory for every entry of the
// archive (`length` bytes). Long layout: the file's digest must equal the
// stored one, unless the entry's name occurs in `exemptList` (blank-separated
// names, compared as by ContainsCommandWord). Short layout: the file must be
// at least as long as the entry's compressed data. An entry whose name is not
// a plain file name fails without any file being read. `failureText`
// (`failureSize` bytes) is cleared and receives each failing name followed by
// "....", then a closing sentence when fewer entries passed than the archive
// counts. Returns the number of entries that passed.
int VerifyArchive(const BYTE *archive, DWORD length, char *failureText, int failureSize, const char *exemptList);

// 1 when the archive holds the entry `name` intact (its content matches its
// digest) and the file of that name in `folder` is that content compacted as
// a phrase list, the form ExtractArchive writes it in. Inflates through the
// scratch area (`scratchSize` bytes). 0 otherwise.
int CompactedEntryInstalled(const BYTE *archive, DWORD length, const char *folder, const char *name, BYTE *scratch,
                            DWORD scratchSize);
