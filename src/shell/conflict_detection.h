// Signs that an earlier copy of the input method is still in use: other
// programs' windows of its classes, and its shared memory.
#pragma once

#include "platform/win32.h"

struct ConflictState {
  int count = 0;     // the number of windows found, or 1/0 for the shared-memory probe
  int unlisted = 0;  // windows that would have had a line had the list not been full
};
extern ConflictState conflicts;
// Nothing found, as at start.
void ResetConflicts();

// Counts the top-level windows of the class the chosen interface uses
// ("STATKELT" for TSF, "UIKELT" for IME, exact letters). Each one with a
// parent adds a numbered line with the title of its outermost parent, as
// long as the list has room; a list that ran out of room ends with a line
// giving the number of windows it leaves out. When any were found, the
// whole message is composed at the start of the working buffer (UTF-16).
// Without the working buffer nothing is counted.
void FindConflictingPrograms();
// The message FindConflictingPrograms composed, while nothing else has used
// the working buffer since.
const WCHAR *ConflictMessageText();

// Sets the conflict count to 1 when the input method's shared memory of the
// chosen interface ("morvakkelt80" for TSF, "morvakkelt" for IME) exists,
// else 0. The mapping is closed at once.
void ProbeImeSharedMemory();
