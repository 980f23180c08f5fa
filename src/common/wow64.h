// WOW64, the layer that runs this 32-bit program on 64-bit Windows. Its
// functions are looked up by name, as older systems lack them.
#pragma once

#include "platform/win32.h"

// 1 when the program runs under WOW64; 0 otherwise, and where Windows has no
// IsWow64Process.
int RunsUnderWow64();

// Switches the file-system redirection of this thread off (system32 then
// means the native system folder). Returns 1 and the value to revert with;
// 0 when it could not be switched off, or could not be switched back on.
int DisableFileRedirection(PVOID *saved);
void RevertFileRedirection(PVOID saved);
