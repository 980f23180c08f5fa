#include "common/plain_files.h"

#include "common/os_detection.h"
#include "common/text_buffer.h"

namespace {

const DWORD kCopyBlock = 0x10000;

// The flag that opens a link itself. Windows 9x knows no reparse points and
// no such flag.
DWORD NoFollowFlag() { return windowsFacts.windows9xFamily ? 0 : FILE_FLAG_OPEN_REPARSE_POINT; }

// 1 when the open handle is a file of one name under 4 GB, not a link or a
// folder; its length in `size`.
int IsPlainFileHandle(HANDLE file, DWORD *size) {
  BY_HANDLE_FILE_INFORMATION information;
  if (!GetFileInformationByHandle(file, &information)) return 0;
  const DWORD notPlain = FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY;
  *size = information.nFileSizeLow;
  return !(information.dwFileAttributes & notPlain) && information.nNumberOfLinks == 1 &&
         information.nFileSizeHigh == 0;
}

// The existing plain file opened for writing and emptied, for a name that
// cannot be deleted.
HANDLE EmptyInPlace(const char *path) {
  HANDLE file = OpenPlainFile(path, GENERIC_READ | GENERIC_WRITE, NULL);
  if (file != INVALID_HANDLE_VALUE && !SetEndOfFile(file)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  return file;
}

int WriteAll(HANDLE file, const void *bytes, DWORD length) {
  DWORD written = 0;
  return WriteFile(file, bytes, length, &written, NULL) && written == length;
}

// 1 when the folder `path` lies in is a link: what is read or written in it
// would be elsewhere.
int InLinkedFolder(const char *path) {
  char folder[MAX_PATH];
  CopyText(folder, sizeof folder, path);
  int end = lstrlenA(folder);
  while (end > 0 && folder[end - 1] != '\\') --end;
  if (end == 0) return 0;
  folder[end] = '\0';
  return FolderIsLink(folder);
}

// Removes a junction or an empty folder under the name a file is to take;
// returns 1 when something was there that is not a folder.
int ClearFolderUnderName(const char *path, DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return 0;
  if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) return 1;
  // A junction goes by itself, whatever it leads to; a folder only when empty.
  RemoveDirectoryA(path);
  return 0;
}

}  // namespace

int FreshNameFor(const char *path, char *fresh, int size) {
  const int length = lstrlenA(path);
  if (length == 0 || length >= size || path[length - 1] == '\\') return 0;
  CopyText(fresh, size, path);
  fresh[length - 1] = '~';
  return 1;
}

HANDLE OpenPlainFile(const char *path, DWORD access, DWORD *size) {
  if (InLinkedFolder(path)) return INVALID_HANDLE_VALUE;
  HANDLE file = CreateFileA(path, access, FILE_SHARE_READ, NULL, OPEN_EXISTING, NoFollowFlag(), NULL);
  if (file == INVALID_HANDLE_VALUE) return file;
  DWORD length = 0;
  if (!IsPlainFileHandle(file, &length)) {
    CloseHandle(file);
    return INVALID_HANDLE_VALUE;
  }
  if (size) *size = length;
  return file;
}

int PlainFileThere(const char *path, DWORD *size) {
  HANDLE file = OpenPlainFile(path, GENERIC_READ, size);
  if (file == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(file);
  return 1;
}

HANDLE CreatePlainFile(const char *path) {
  if (InLinkedFolder(path)) return INVALID_HANDLE_VALUE;
  const DWORD flags = FILE_ATTRIBUTE_NORMAL | NoFollowFlag();
  const DWORD attributes = GetFileAttributesA(path);
  if (ClearFolderUnderName(path, attributes)) {
    // A read-only mark would keep the name from going (a link's own marks
    // are left alone: what they would reach is not ours).
    if ((attributes & FILE_ATTRIBUTE_READONLY) && !(attributes & FILE_ATTRIBUTE_REPARSE_POINT))
      SetFileAttributesA(path, FILE_ATTRIBUTE_NORMAL);
    if (!DeleteFileA(path)) return EmptyInPlace(path);
  }
  return CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, NULL, CREATE_NEW, flags, NULL);
}

int WritePlainFile(const char *path, const void *bytes, DWORD length) {
  HANDLE file = CreatePlainFile(path);
  if (file == INVALID_HANDLE_VALUE) return 0;
  const int written = WriteAll(file, bytes, length);
  CloseHandle(file);
  return written;
}

int ReplacePlainFile(const char *path, const void *bytes, DWORD length) {
  char fresh[MAX_PATH];
  if (!FreshNameFor(path, fresh, sizeof fresh) || !WritePlainFile(fresh, bytes, length)) return 0;
  if (PutFileInPlace(fresh, path)) return 1;
  DeleteFileA(fresh);
  return 0;
}

int PutFileInPlace(const char *fresh, const char *path) {
  ClearFolderUnderName(path, GetFileAttributesA(path));
  if (!windowsFacts.windows9xFamily) return MoveFileExA(fresh, path, MOVEFILE_REPLACE_EXISTING) != FALSE;
  DeleteFileA(path);
  return MoveFileA(fresh, path) != FALSE;
}

int CopyPlainFile(const char *from, const char *to) {
  DWORD size = 0;
  char fresh[MAX_PATH];
  if (!FreshNameFor(to, fresh, sizeof fresh)) return 0;
  HANDLE source = OpenPlainFile(from, GENERIC_READ, &size);
  if (source == INVALID_HANDLE_VALUE) return 0;
  HANDLE target = CreatePlainFile(fresh);
  int copied = target != INVALID_HANDLE_VALUE;
  BYTE block[kCopyBlock];
  for (DWORD done = 0; copied && done < size;) {
    DWORD read = 0;
    copied = ReadFile(source, block, kCopyBlock, &read, NULL) && read > 0 && WriteAll(target, block, read);
    done += read;
  }
  if (target != INVALID_HANDLE_VALUE) CloseHandle(target);
  CloseHandle(source);
  if (copied && PutFileInPlace(fresh, to)) return 1;
  DeleteFileA(fresh);
  return 0;
}

int FolderIsLink(const char *folder) {
  char path[MAX_PATH];
  CopyText(path, sizeof path, folder);
  const int length = lstrlenA(path);
  // The folder itself, not what lies in it: without its last backslash,
  // unless that belongs to a drive's root.
  if (length > 3 && path[length - 1] == '\\') path[length - 1] = '\0';
  const DWORD attributes = GetFileAttributesA(path);
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}
