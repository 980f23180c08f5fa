#include "shell/admin_probe.h"

#include <string.h>

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/plain_files.h"
#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

namespace {

const char kMarker[] = "vorlisadmin";
const char kRecordName[] = "vorlpat8.voh";

// 1 when a file holding the marker can be made in the Windows directory,
// under the name the record is written under before it is put in place,
// and reads back as written; the file goes again.
int MarkerWritesThrough(const char *windows) {
  char record[MAX_PATH], path[MAX_PATH], readBack[sizeof kMarker] = {0};
  if (!JoinPath(record, sizeof record, windows, kRecordName) || !FreshNameFor(record, path, sizeof path) ||
      !WritePlainFile(path, kMarker, sizeof kMarker - 1))
    return 0;
  DWORD read = 0;
  HANDLE file = OpenPlainFile(path, GENERIC_READ, NULL);
  if (file != INVALID_HANDLE_VALUE) {
    ReadFile(file, readBack, sizeof readBack - 1, &read, NULL);
    CloseHandle(file);
  }
  DeleteFileA(path);
  return read == sizeof kMarker - 1 && strcmp(readBack, kMarker) == 0;
}

// 1 unless a record is there that this program could not replace.
int RecordReplaceable(const char *windows) {
  char path[MAX_PATH];
  if (!JoinPath(path, sizeof path, windows, kRecordName)) return 0;
  const DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return 1;
  if (attributes & FILE_ATTRIBUTE_READONLY) return 0;
  HANDLE file = CreateFileA(path, GENERIC_WRITE | DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                            OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, NULL);
  if (file == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(file);
  return 1;
}

}  // namespace

// The record itself is never written here: a marker left in it by a crash
// or a quit would lose the earlier installation's folder, and with it the
// user's data there. The install driver writes the record.
int ProbeAdministrator() {
  ReadPreviousInstallRecord();
  if (windowsFacts.osMajorVersion < 6) return 0;
  char windows[kSystemDirSize];
  if (!ReadWindowsFolder(windows, sizeof windows)) return 1;
  return MarkerWritesThrough(windows) && RecordReplaceable(windows) ? 0 : 1;
}
