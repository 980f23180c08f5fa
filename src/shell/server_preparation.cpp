#include "shell/server_preparation.h"

#include "common/file_operations.h"
#include "common/install_dir.h"
#include "common/program_flow.h"
#include "common/text_buffer.h"
#include "platform/fault_guard.h"
#include "platform/win32.h"
#include "shell/stage_code.h"

namespace {

const char kServerClass[] = "智能Qelvo输入法";
// The server's stop request: dwData 3599 and an 80-byte block that begins
// with the text and its terminator.
const ULONG_PTR kStopRequestId = 3599;
const int kStopRequestSize = 80;
const char kStopRequestText[] = "VQSRF=2";
const DWORD kStopRequestWaitMs = 50;

void NotifyRunningServer() {
  SetStageCode(kStageServerNotify);
  HWND server = FindWindowA(kServerClass, NULL);
  if (IsWindow(server)) {
    SetStageCode(kStageServerFound);
    char block[kStopRequestSize];
    ZeroMemory(block, sizeof block);
    CopyText(block, sizeof block, kStopRequestText);
    COPYDATASTRUCT request;
    request.dwData = kStopRequestId;
    request.cbData = kStopRequestSize;
    request.lpData = block;
    SendMessageA(server, WM_COPYDATA, 0, (LPARAM)&request);
  }
  Sleep(kStopRequestWaitMs);
  SetStageCode(kStageServerNotified);
}

}  // namespace

void PrepareRunningServer() {
  // The only place in the installation where a failure is swallowed.
  RunFaultGuarded(NotifyRunningServer);
  char server[kInstallDirSize + 16];
  const int formed = JoinPath(server, sizeof server, installDir, "morvak88.exe");
  SetStageCode(kStageServerMoveAside);
  if (formed) MoveAside(server, NULL);
  SetStageCode(kStageServerPrepared);
}
