#include "common/file_operations.h"

#include "common/text_buffer.h"
#include "platform/win32.h"

static int RenameAside(const char *path, char *aside, int position, char mark);
static int AsideMarkPosition(const char *path, int length);

// Tries one aside name; returns 0 when the file was renamed to it. A path
// that already carries the mark is its own aside name: clearing that name
// would delete the very file, so it counts as a failed rename.
static int RenameAside(const char *path, char *aside, int position, char mark) {
  if (path[position] == mark) return -1;
  aside[position] = mark;
  DeleteIfPresent(aside);
  return rename(path, aside);
}

void ClearFileMarks(const char *path) {
  const DWORD attributes = GetFileAttributesA(path);
  const DWORD marks = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & marks) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
    SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
}

int DeleteIfPresent(const char *path) {
  SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE);
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return 0;
  _lclose(file);
  return remove(path) == 0 ? 0 : -1;
}

// Where the mark goes: the fifth byte from the end, if it lies in the file
// name and is a character of its own. In the folder part it would rename the
// file into another folder, or a folder's file into this one; on half of a
// double-byte character it could turn the other half into a separator.
// -1 when the name has no such place.
static int AsideMarkPosition(const char *path, int length) {
  const int position = length - 5;
  int nameStart = 0;
  int markIsCharacter = 0;
  for (int i = 0; i < length; ++i) {
    const int lead = IsAnsiLeadByte((unsigned char)path[i]);
    if (i == position) markIsCharacter = !lead;
    if (lead) {
      ++i;
      continue;
    }
    if (path[i] == '\\' || path[i] == '/' || path[i] == ':') nameStart = i + 1;
  }
  return position >= nameStart && markIsCharacter ? position : -1;
}

void MoveAside(const char *path) {
  char aside[MAX_PATH];
  const int length = lstrlenA(path);
  // A path that does not fit would be renamed to a cut name.
  if (length < 5 || length >= MAX_PATH) return;
  const int position = AsideMarkPosition(path, length);
  if (position < 0) return;
  CopyText(aside, sizeof aside, path);
  if (RenameAside(path, aside, position, '2') != 0) RenameAside(path, aside, position, '1');
}
