// Clearing the way for a new file: deleting an old one, or moving one that a
// running program holds out of the way, as Windows allows for files in use.
#pragma once

// Deletes the file at `path` after clearing its read-only, hidden and system
// attributes. Returns 0 when there was no file to delete (or it cannot be
// opened for reading) or the deletion worked, -1 when it is there and stays:
// an exception to the program's 1 for success, kept as the deletion has
// always answered (callers test for -1).
int DeleteIfPresent(const char *path);

// Clears the read-only, hidden and system marks of the file at `path` (not
// of a link: what it leads to is not the program's), so that it can be
// replaced or deleted.
void ClearFileMarks(const char *path);

// Renames the file at `path` to an aside name: the character five places
// from the end replaced by '2' ("morvak4.ime" becomes "morvak2.ime"), or by
// '1' when that rename fails. A file already under the aside name is deleted
// first, unless `taken` (may be null) answers 1 for that file name: it is
// another file that must stay ("votb01.bmp" for "votb02.bmp" among the
// package's files), and the name is not used. Only the file name is ever
// marked: a name shorter than five bytes, or whose fifth byte from the end is
// half of a double-byte character, is left where it is (whoever wanted it
// gone then fails as usual). Nothing is reported; aside copies are never
// removed later.
void MoveAside(const char *path, int (*taken)(const char *name));
