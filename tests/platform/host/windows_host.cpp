// Conformance host on Windows (or Wine): a scratch folder in the temporary folder.
#include "platform/conformance.h"
#include "platform/conformance_host.h"

namespace {
char scratch[MAX_PATH];

// The reparse data of a junction (a mount point): the NT path it leads to and
// the name shown for it, each followed by a terminator.
struct MountPointData {
  DWORD tag;
  WORD dataLength;
  WORD reserved;
  WORD substituteOffset;
  WORD substituteLength;
  WORD printOffset;
  WORD printLength;
  WCHAR names[2 * MAX_PATH + 8];
};

const DWORD kSetReparsePoint = 0x000900A4;  // FSCTL_SET_REPARSE_POINT
const DWORD kMountPointTag = 0xA0000003;    // IO_REPARSE_TAG_MOUNT_POINT

// Fills the junction's reparse data for the absolute folder `target`; its size in bytes.
DWORD MountPointFor(const char *target, MountPointData *data) {
  WCHAR print[MAX_PATH];
  int printChars = MultiByteToWideChar(CP_ACP, 0, target, -1, print, MAX_PATH) - 1;
  ZeroMemory(data, sizeof *data);
  lstrcpyW(data->names, L"\\??\\");
  lstrcatW(data->names, print);
  int substituteChars = printChars + 4;
  lstrcpyW(data->names + substituteChars + 1, print);
  data->tag = kMountPointTag;
  data->substituteLength = (WORD)(substituteChars * sizeof(WCHAR));
  data->printOffset = (WORD)((substituteChars + 1) * sizeof(WCHAR));
  data->printLength = (WORD)(printChars * sizeof(WCHAR));
  data->dataLength = (WORD)(8 + (substituteChars + printChars + 2) * sizeof(WCHAR));
  return 8 + data->dataLength;
}

}  // namespace

void PrepareConformanceHost() {
  GetTempPathA(MAX_PATH, scratch);
  lstrcatA(scratch, "setup-conformance\\");
  CreateDirectoryA(scratch, NULL);
}

const char *conformance::ScratchDir() { return scratch; }

// As Windows' own tools make one: an empty folder given mount-point reparse data.
bool conformance::MakeJunction(const char *path, const char *target, DWORD *error) {
  *error = 0;
  if (!CreateDirectoryA(path, NULL)) return *error = GetLastError(), false;
  HANDLE folder = CreateFileA(path, GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  MountPointData data;
  DWORD returned = 0;
  BOOL made = folder != INVALID_HANDLE_VALUE &&
              DeviceIoControl(folder, kSetReparsePoint, &data, MountPointFor(target, &data), NULL, 0, &returned, NULL);
  if (!made) *error = GetLastError();
  if (folder != INVALID_HANDLE_VALUE) CloseHandle(folder);
  if (!made) RemoveDirectoryA(path);
  return made != FALSE;
}
