#include "shell/stage_code.h"

#include "common/texts.h"
#include "platform/win32.h"

StageCodeState stageCode;

void SetStageHook(StageHook hook) { stageCode.hook = hook; }

// The fixed text and ten digits at most fill 31 of the 64 bytes.
void SetStageCode(int code) {
  wsprintfA(stageCode.text, kStageCodeFormat, code);
  if (stageCode.hook) stageCode.hook(code);
}

void ResetStageCode() { stageCode = StageCodeState(); }
