// File behaviour the program relies on, checked call by call against the
// simulation and against a real implementation: the 16-bit compatible calls,
// sharing between opens, CopyFileA, folders, attributes and the C runtime's
// remove and rename.
#include <errno.h>

#include "platform/conformance.h"

namespace {

// A path in the scratch folder with no file left there from an earlier run.
void FreshPath(char *out, const char *name) {
  conformance::ScratchPath(out, name);
  SetFileAttributesA(out, FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(out);
}

void WriteWhole(const char *path, const char *text) {
  HFILE file = _lcreat(path, 0);
  CHECK(file != HFILE_ERROR);
  CHECK_EQ(_lwrite(file, text, lstrlenA(text)), lstrlenA(text));
  CHECK_EQ(_lclose(file), 0);
}

LONG LengthOf(const char *path) {
  HFILE file = _lopen(path, OF_READ);
  CHECK(file != HFILE_ERROR);
  LONG length = _llseek(file, 0, FILE_END);
  _lclose(file);
  return length;
}

}  // namespace

CONFORMANCE_CHECK(LcreatTruncatesAndLlseekToTheEndGivesTheLength) {
  char path[MAX_PATH];
  FreshPath(path, "truncate.dat");
  WriteWhole(path, "hello world");
  CHECK_EQ(LengthOf(path), 11);
  CHECK_EQ(_lclose(_lcreat(path, 0)), 0);
  CHECK_EQ(LengthOf(path), 0);
  DeleteFileA(path);
}

CONFORMANCE_CHECK(LwriteOfNothingCutsAtThePosition) {
  char path[MAX_PATH];
  FreshPath(path, "cut.dat");
  WriteWhole(path, "0123456789");
  HFILE file = _lopen(path, OF_READWRITE);
  CHECK(file != HFILE_ERROR);
  CHECK_EQ(_llseek(file, 4, FILE_BEGIN), 4);
  CHECK_EQ(_lwrite(file, "", 0), 0);
  _lclose(file);
  CHECK_EQ(LengthOf(path), 4);
  DeleteFileA(path);
}

CONFORMANCE_CHECK(LopenOfAMissingFileFailsWithFileNotFound) {
  char path[MAX_PATH];
  FreshPath(path, "missing.dat");
  SetLastError(0xdeadbeef);
  CHECK_EQ(_lopen(path, OF_READ), HFILE_ERROR);
  CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
}

CONFORMANCE_CHECK(ExclusiveOpenRefusesASecondOpen) {
  char path[MAX_PATH];
  FreshPath(path, "exclusive.dat");
  WriteWhole(path, "x");
  HFILE first = _lopen(path, OF_READ | OF_SHARE_EXCLUSIVE);
  CHECK(first != HFILE_ERROR);
  SetLastError(0xdeadbeef);
  CHECK_EQ(_lopen(path, OF_READ), HFILE_ERROR);
  CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  _lclose(first);
  HFILE again = _lopen(path, OF_READ);
  CHECK(again != HFILE_ERROR);
  _lclose(again);
  DeleteFileA(path);
}

CONFORMANCE_CHECK(AFileOpenWithoutShareDeleteCannotBeRenamedOrDeleted) {
  char path[MAX_PATH], aside[MAX_PATH];
  FreshPath(path, "held.ime");
  FreshPath(aside, "held2.ime");
  WriteWhole(path, "module");
  HANDLE held = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
  CHECK(held != INVALID_HANDLE_VALUE);
  SetLastError(0xdeadbeef);
  CHECK(!MoveFileA(path, aside));
  CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  SetLastError(0xdeadbeef);
  CHECK(!DeleteFileA(path));
  CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  SetLastError(0xdeadbeef);
  CHECK_EQ(_lcreat(path, 0), HFILE_ERROR);
  CHECK_EQ(GetLastError(), ERROR_SHARING_VIOLATION);
  CloseHandle(held);
  CHECK(MoveFileA(path, aside));
  DeleteFileA(aside);
}

CONFORMANCE_CHECK(AFileOpenWithShareDeleteCanBeRenamed) {
  char path[MAX_PATH], aside[MAX_PATH];
  FreshPath(path, "shared.ime");
  FreshPath(aside, "shared2.ime");
  WriteWhole(path, "module");
  HANDLE held = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_EXISTING, 0, NULL);
  CHECK(held != INVALID_HANDLE_VALUE);
  CHECK(MoveFileA(path, aside));
  WriteWhole(path, "new");  // the old name is free for the new file
  CloseHandle(held);
  DeleteFileA(aside);
  DeleteFileA(path);
}

CONFORMANCE_CHECK(CopyFileRefusesAnExistingTargetOnlyWhenAsked) {
  char source[MAX_PATH], target[MAX_PATH], missing[MAX_PATH];
  FreshPath(source, "copy-from.dat");
  FreshPath(target, "copy-to.dat");
  FreshPath(missing, "copy-missing.dat");
  WriteWhole(source, "source");
  WriteWhole(target, "old target");
  SetLastError(0xdeadbeef);
  CHECK(!CopyFileA(source, target, TRUE));
  CHECK_EQ(GetLastError(), ERROR_FILE_EXISTS);
  CHECK(CopyFileA(source, target, FALSE));
  CHECK_EQ(LengthOf(target), 6);
  SetLastError(0xdeadbeef);
  CHECK(!CopyFileA(missing, target, FALSE));
  CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  DeleteFileA(source);
  DeleteFileA(target);
}

CONFORMANCE_CHECK(CreateDirectoryReportsAnExistingFolderAndAMissingParent) {
  char folder[MAX_PATH], inner[MAX_PATH], deep[MAX_PATH];
  conformance::ScratchPath(folder, "folder");
  conformance::ScratchPath(inner, "folder\\inner.dat");
  conformance::ScratchPath(deep, "no-such\\deeper");
  DeleteFileA(inner);
  RemoveDirectoryA(folder);
  CHECK(CreateDirectoryA(folder, NULL));
  SetLastError(0xdeadbeef);
  CHECK(!CreateDirectoryA(folder, NULL));
  CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  SetLastError(0xdeadbeef);
  CHECK(!CreateDirectoryA(deep, NULL));
  CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
  WriteWhole(inner, "x");
  SetLastError(0xdeadbeef);
  CHECK(!RemoveDirectoryA(folder));
  CHECK_EQ(GetLastError(), ERROR_DIR_NOT_EMPTY);
  SetLastError(0xdeadbeef);
  CHECK(!DeleteFileA(folder));
  CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  DeleteFileA(inner);
  CHECK(RemoveDirectoryA(folder));
}

CONFORMANCE_CHECK(FolderOpensNeedBackupSemantics) {
  char folder[MAX_PATH];
  conformance::ScratchPath(folder, "");
  folder[lstrlenA(folder) - 1] = '\0';  // no trailing backslash
  SetLastError(0xdeadbeef);
  CHECK(CreateFileA(folder, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL) == INVALID_HANDLE_VALUE);
  CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  HANDLE handle = CreateFileA(folder, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, NULL);
  CHECK(handle != INVALID_HANDLE_VALUE);
  CHECK(CloseHandle(handle));
}

CONFORMANCE_CHECK(CreateAlwaysOnAnExistingFileLeavesAlreadyExists) {
  char path[MAX_PATH];
  FreshPath(path, "always.dat");
  HANDLE file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  CHECK(file != INVALID_HANDLE_VALUE);
  CHECK_EQ(GetLastError(), 0);
  CloseHandle(file);
  file = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
  CHECK(file != INVALID_HANDLE_VALUE);
  CHECK_EQ(GetLastError(), ERROR_ALREADY_EXISTS);
  CloseHandle(file);
  SetLastError(0xdeadbeef);
  CHECK(CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, NULL) == INVALID_HANDLE_VALUE);
  CHECK_EQ(GetLastError(), ERROR_FILE_EXISTS);
  DeleteFileA(path);
}

CONFORMANCE_CHECK(MissingFileAndMissingFolderHaveNoAttributes) {
  char path[MAX_PATH], deep[MAX_PATH];
  FreshPath(path, "no-attributes.dat");
  conformance::ScratchPath(deep, "no-such\\file.dat");
  SetLastError(0xdeadbeef);
  CHECK_EQ(GetFileAttributesA(path), INVALID_FILE_ATTRIBUTES);
  CHECK_EQ(GetLastError(), ERROR_FILE_NOT_FOUND);
  SetLastError(0xdeadbeef);
  CHECK_EQ(GetFileAttributesA(deep), INVALID_FILE_ATTRIBUTES);
  CHECK_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

CONFORMANCE_CHECK(ArchiveAttributeClearsReadOnly) {
  char path[MAX_PATH];
  FreshPath(path, "readonly.dat");
  WriteWhole(path, "x");
  CHECK(SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY));
  CHECK((GetFileAttributesA(path) & FILE_ATTRIBUTE_READONLY) != 0);
  CHECK(SetFileAttributesA(path, FILE_ATTRIBUTE_ARCHIVE));
  DWORD attributes = GetFileAttributesA(path);
  CHECK((attributes & FILE_ATTRIBUTE_READONLY) == 0);
  CHECK((attributes & FILE_ATTRIBUTE_ARCHIVE) != 0);
  CHECK(DeleteFileA(path));
}

CONFORMANCE_CHECK(ReadOnlyFileCannotBeDeleted) {
  char path[MAX_PATH];
  FreshPath(path, "keep.dat");
  WriteWhole(path, "x");
  CHECK(SetFileAttributesA(path, FILE_ATTRIBUTE_READONLY));
  SetLastError(0xdeadbeef);
  CHECK(!DeleteFileA(path));
  CHECK_EQ(GetLastError(), ERROR_ACCESS_DENIED);
  SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
  CHECK(DeleteFileA(path));
}

CONFORMANCE_CHECK(CrtRemoveAndRenameFailWithErrno) {
  char from[MAX_PATH], to[MAX_PATH], missing[MAX_PATH];
  FreshPath(from, "crt-from.dat");
  FreshPath(to, "crt-to.dat");
  FreshPath(missing, "crt-missing.dat");
  WriteWhole(from, "a");
  WriteWhole(to, "b");
  errno = 0;
  CHECK_EQ(rename(from, to), -1);
  CHECK_EQ(errno, EEXIST);
  errno = 0;
  CHECK_EQ(remove(missing), -1);
  CHECK_EQ(errno, ENOENT);
  CHECK_EQ(remove(to), 0);
  CHECK_EQ(rename(from, to), 0);
  CHECK_EQ(remove(to), 0);
}
