// WOW64, the layer that runs this 32-bit program on 64-bit Windows. Its
// functions are looked up by name, as older systems lack them.
#pragma once

#include "platform/win32.h"

// 1 when the program runs under WOW64; 0 otherwise, and where Windows has no
// IsWow64Process.
int RunsUnderWow64();

// Runs `work(context)` with the file-system redirection of this thread off
// (system32 then means the native system folder) and switches it back on.
// Returns 1 with work's result in *result; 0 without running `work` when the
// process is not under WOW64 or the switch is not to be had.
int RunWithoutRedirection(int (*work)(void *context), void *context, int *result);
