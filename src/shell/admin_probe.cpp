#include "shell/admin_probe.h"

#include "common/install_dir.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "platform/win32.h"

namespace {
const char kMarker[] = "vorlisadmin";
}

int ProbeAdministrator() {
  ReadInstallDirRecord(previousInstallRecord, kPreviousInstallRecordSize);
  if (osMajorVersion < 6) return 0;

  char saved[kInstallDirSize];
  CopyText(saved, sizeof saved, installDir);
  CopyText(installDir, kInstallDirSize, kMarker);
  WriteInstallDirRecord();

  CopyText(installDir, kInstallDirSize, "");
  ReadInstallDirRecord(installDir, kInstallDirSize);
  char readBack[kInstallDirSize];
  CopyText(readBack, sizeof readBack, installDir);

  CopyText(installDir, kInstallDirSize, saved);
  WriteInstallDirRecord();

  int length = lstrlenA(readBack);
  if (length > 0 && readBack[length - 1] == '\\') readBack[length - 1] = '\0';
  return strcmp(readBack, kMarker) == 0 ? 0 : 1;
}
