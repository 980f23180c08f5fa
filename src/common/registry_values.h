// String values as the program writes and reads them in the registry.
#pragma once

#include "platform/win32.h"

// Writes `text` as REG_SZ with the length of the text alone, without its
// terminator, as every string value of the program is written.
LSTATUS SetTextValue(HKEY key, const char *name, const char *text);
LSTATUS SetWideTextValue(HKEY key, const WCHAR *name, const WCHAR *text);

// Reads the string value `name` into `value` of `capacity` bytes, cleared
// first; at most capacity - 1 bytes are asked for, so the text always ends
// in a terminator. 1 with the bytes read in *size, 0 when it cannot be read.
int ReadTextValue(HKEY key, const char *name, char *value, DWORD capacity, DWORD *size);
