#include "userdata/backup_state.h"

#include <string.h>

#include "common/program_state.h"
#include "platform/win32.h"

int backupState = 0;

namespace {

const WCHAR kKeepDataCaption[] = L"智能Qelvo安装";
const WCHAR kKeepEarlierDataText[] = L"检测到有智能Qelvo以前的词组等数据文件，是否保留？";
const WCHAR kKeepDataHereText[] = L"检测到安装目录下有智能Qelvo以前的词组等数据文件，是否保留？";

}  // namespace

void AskToKeepEarlierData() {
  if (backupState != 1) return;
  const WCHAR *question = strcmp(installDir, previousInstallRecord) != 0 ? kKeepEarlierDataText : kKeepDataHereText;
  if (MessageBoxW(NULL, question, kKeepDataCaption, MB_YESNO) == IDYES) backupState = 2;
}
