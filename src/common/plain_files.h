// Files in folders that every user may write: the installation directory
// (its access grants every authenticated user full control) and the earlier
// installation's. This program runs elevated, so there it reads, creates,
// copies and replaces files without ever following a link: a reparse point
// (a file link, or a junction where a file is expected) is never opened
// through, a file with more than one name (a hard link) is never read or
// written through, as its other name may be a file the user could not read
// or write, new files are created exclusively, so that a name taken in
// between fails instead of leading elsewhere, and nothing is read or written
// in a folder that is itself a link. A file is judged on its handle, so
// nothing can be swapped in between the check and the use.
#pragma once

#include "platform/win32.h"

// Opens the existing file `path` with `access` (GENERIC_READ, or with
// GENERIC_WRITE too), sharing reads only. `size` (may be null) receives its
// length. INVALID_HANDLE_VALUE when it is missing, a link, a folder, has more
// than one name or is 4 GB or larger.
HANDLE OpenPlainFile(const char *path, DWORD access, DWORD *size);

// 1 when OpenPlainFile would open `path` for reading; `size` (may be null)
// receives its length. Nothing of it is read.
int PlainFileThere(const char *path, DWORD *size);

// Creates `path` anew for reading and writing. Whatever is under the name (a
// file, a file link, a second name of another file, a junction, an empty
// folder) is deleted first, the name only: a link's target and a hard
// link's other names keep their content. A plain
// file of one name that cannot be deleted (another program holds it open
// without sharing delete) is emptied and written in place instead.
// INVALID_HANDLE_VALUE when neither works.
HANDLE CreatePlainFile(const char *path);

// `length` bytes as the whole content of `path` (CreatePlainFile). 1 when all
// were written; a write cut short leaves the part written.
int WritePlainFile(const char *path, const void *bytes, DWORD length);

// The name new content for `path` is written under before it takes that
// name: the same name with "~" for its last character, in the same folder
// ("vorlback.voz" becomes "vorlback.vo~"). 0 when `path` has no file name.
int FreshNameFor(const char *path, char *fresh, int size);

// The same, written first under a name of its own beside `path` and then put
// in place in one step, so that a crash leaves the old content or the new,
// never a cut one. On Windows 9x, which cannot replace in one step, the old
// file is deleted first.
int ReplacePlainFile(const char *path, const void *bytes, DWORD length);

// Gives the file `fresh` the name `path` in one step, replacing what was
// there (a file, or a link itself; a junction or an empty folder is removed
// first); on Windows 9x, which cannot replace in one step, what was there is
// deleted first. 1 when it moved.
int PutFileInPlace(const char *fresh, const char *path);

// Copies the plain file `from` (OpenPlainFile) to `to`, written whole under
// a name of its own beside `to` and then put in place, as ReplacePlainFile
// does. 1 when the whole content arrived.
int CopyPlainFile(const char *from, const char *to);

// 1 when `folder` (with or without its trailing backslash) is a reparse
// point: a junction or folder link that leads somewhere else.
int FolderIsLink(const char *folder);
