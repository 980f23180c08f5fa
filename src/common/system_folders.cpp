#include "common/system_folders.h"

#include "platform/win32.h"

namespace {

int Accept(char *buffer, int size, UINT length) {
  if (length > 0 && length < (UINT)size) return 1;
  if (size > 0) buffer[0] = '\0';
  return 0;
}

}  // namespace

int ReadWindowsFolder(char *buffer, int size) {
  return Accept(buffer, size, size > 0 ? GetWindowsDirectoryA(buffer, (UINT)size) : 0);
}

int ReadSystemFolder(char *buffer, int size) {
  return Accept(buffer, size, size > 0 ? GetSystemDirectoryA(buffer, (UINT)size) : 0);
}
