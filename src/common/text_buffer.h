// Bounded operations on the program's fixed-size 8-bit text buffers: the
// result is always terminated and never passes the end of its buffer.
#pragma once

// Copies `source` into `target` of `size` bytes, cutting it to fit.
void CopyText(char *target, int size, const char *source);
// Appends `source` to the text in `target` of `size` bytes, cutting it to fit.
void AppendText(char *target, int size, const char *source);
// Writes into `path` of `size` bytes `folder`, a backslash unless the folder
// is empty or ends in one, and `name` (a file name, or a deeper path). All or
// nothing: 1 when the whole path fits; otherwise `path` is empty and 0 is
// returned, so that a path cut short never names another file.
int JoinPath(char *path, int size, const char *folder, const char *name);
// Whether `byte` starts a double-byte character in the ANSI code page, the
// one through which the file system reads 8-bit names.
int IsAnsiLeadByte(unsigned char byte);
// Cuts the text before a lead byte it ends in without the byte that should
// follow: a text cut to a byte limit can end inside a double-byte character,
// and that half shows and saves as a stray character. Characters are counted
// from the start, as a trail byte can take the value of a lead byte.
void DropLoneLeadByte(char *text);
