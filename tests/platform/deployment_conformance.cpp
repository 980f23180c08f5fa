// File behaviour the module deployment relies on, checked against the
// simulation and a real implementation: which error a failed copy gives (a
// missing source is told apart from a target in the way), lengths by seeking,
// and writing a file over itself without cutting it.
#include <string.h>

#include "platform/conformance.h"

namespace {

// A scratch file made afresh with `content`; its path goes to `path`.
void FreshFile(char *path, const char *name, const char *content) {
  conformance::ScratchPath(path, name);
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  CHECK(file != INVALID_HANDLE_VALUE);
  DWORD written = 0;
  CHECK(WriteFile(file, content, lstrlenA(content), &written, NULL));
  CHECK_EQ(written, lstrlenA(content));
  CloseHandle(file);
}

}  // namespace

CONFORMANCE_CHECK(CopyOntoAFileHeldOpenFailsWithSharingViolation) {
  char source[MAX_PATH], target[MAX_PATH];
  FreshFile(source, "module-new.ime", "new build");
  FreshFile(target, "module-held.ime", "running build");
  HANDLE held = CreateFileA(target, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  CHECK(held != INVALID_HANDLE_VALUE);
  SetLastError(0xdeadbeef);
  CHECK(!CopyFileA(source, target, FALSE));
  CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(held);
  CHECK(CopyFileA(source, target, FALSE));
  DeleteFileA(source);
  DeleteFileA(target);
}

// A target folder that does not exist is not a missing source.
CONFORMANCE_CHECK(CopyIntoAMissingFolderFailsWithPathNotFound) {
  char source[MAX_PATH], target[MAX_PATH];
  FreshFile(source, "module-any.ime", "x");
  conformance::ScratchPath(target, "no-such-folder\\module.ime");
  SetLastError(0xdeadbeef);
  CHECK(!CopyFileA(source, target, FALSE));
  CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  DeleteFileA(source);
}

CONFORMANCE_CHECK(ReadingMoreThanAFileHoldsGivesItsLength) {
  char path[MAX_PATH], buffer[32];
  FreshFile(path, "short-module.ime", "0123456789");
  HFILE file = _lopen(path, OF_READ);
  CHECK(file != HFILE_ERROR);
  CHECK_EQ(_lread(file, buffer, 11), 10);
  CHECK_EQ(_llseek(file, 0, FILE_END), 10);
  _lclose(file);
  DeleteFileA(path);
}

// Opened for writing, a file is written over from its start and keeps what
// lies behind the bytes written.
CONFORMANCE_CHECK(WritingOverAFileInPlaceKeepsItsLength) {
  char path[MAX_PATH], buffer[16] = {0};
  FreshFile(path, "patched.ime", "0123456789");
  HFILE file = _lopen(path, OF_WRITE);
  CHECK(file != HFILE_ERROR);
  CHECK_EQ(_lwrite(file, "abcd", 4), 4);
  _lclose(file);
  file = _lopen(path, OF_READ);
  CHECK_EQ(_lread(file, buffer, sizeof buffer - 1), 10);
  _lclose(file);
  CHECK(strcmp(buffer, "abcd456789") == 0);
  DeleteFileA(path);
}
