#include "shell/stage_code.h"

#include "common/texts.h"
#include "platform/win32.h"

char stageCode[kStageCodeSize];

// The fixed text and ten digits at most fill 31 of the 64 bytes.
void SetStageCode(int code) { wsprintfA(stageCode, kStageCodeFormat, code); }

void ResetStageCode() { stageCode[0] = '\0'; }
