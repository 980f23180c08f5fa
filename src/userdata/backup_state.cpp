#include "userdata/backup_state.h"

#include <string.h>

#include "common/program_state.h"
#include "common/texts.h"
#include "platform/win32.h"

int backupState = 0;

void AskToKeepEarlierData() {
  if (backupState != 1) return;
  const WCHAR *question = strcmp(installDir, previousInstallRecord) != 0 ? kKeepEarlierDataText : kKeepDataHereText;
  if (MessageBoxW(NULL, question, kSetupCaptionW, MB_YESNO) == IDYES) backupState = 2;
}
