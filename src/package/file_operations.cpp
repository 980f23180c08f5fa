#include "package/file_operations.h"

#include "common/text_buffer.h"
#include "platform/win32.h"

static int RenameAside(const char *path, char *aside, int position, char mark);

// Tries one aside name; returns 0 when the file was renamed to it. A path
// that already carries the mark is its own aside name: clearing that name
// would delete the very file, so it counts as a failed rename.
static int RenameAside(const char *path, char *aside, int position, char mark) {
  if (path[position] == mark) return -1;
  aside[position] = mark;
  DeleteIfPresent(aside);
  return rename(path, aside);
}

int DeleteIfPresent(const char *path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return 0;
  _lclose(file);
  return remove(path) == 0 ? 0 : -1;
}

void MoveAside(const char *path) {
  char aside[MAX_PATH];
  const int length = lstrlenA(path);
  // A path without five characters has no place to mark, and one that does
  // not fit would be renamed to a cut name.
  if (length < 5 || length >= MAX_PATH) return;
  CopyText(aside, sizeof aside, path);
  if (RenameAside(path, aside, length - 5, '2') != 0) RenameAside(path, aside, length - 5, '1');
}
