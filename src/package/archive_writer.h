// Writing archives: adding one file to an archive file in the long layout,
// as the backup of the user's data is built.
#pragma once

#include "platform/win32.h"

// Gives an empty archive file its empty header, so that an archive nothing
// is appended to still reads as one of no entries; 1 when the file holds a
// header after it.
int StartArchive(HANDLE archive);

// Appends the file at `filePath` to the open archive file `archive` (opened
// for reading and writing; an empty file is given an empty header first),
// under the file's name (the text after its last backslash). The file is
// read as a plain file only (OpenPlainFile: no link, no second name), and
// not at all when it is larger than an entry the installer can unpack; the
// compressor gets all the room the content may need. Returns 1 if the file
// was added; 0 when the name is empty, longer than 12 characters or not a
// plain file name, is already in the archive, the archive is not a
// well-formed long-layout archive, the file cannot be read or is too large,
// or a write fails. On 0 the archive's header still counts only the entries
// it had.
int AppendToArchive(HANDLE archive, const char *filePath);
