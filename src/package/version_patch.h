// The version digits that follow the product description in the modules'
// version texts ("智能Qelvo输入平台 V6.7" in UTF-16): rewritten to this
// version's 9.3 when the modules are installed.
#pragma once

#include "platform/win32.h"

// The most a file may hold to be patched.
const DWORD kVersionPatchLimit = 0x20000;

// In `length` bytes: wherever the UTF-16LE description is followed by a
// blank, any one character, then 6.3 or 6.7 (only the low byte of each of
// those characters is compared), the digits become 9.3.
void RewriteVersionDigits(BYTE *bytes, DWORD length);

// Rewrites the version digits in the file at `path` through the working
// buffer, writing the file back over itself whether anything matched or not.
// Does nothing without the working buffer, for a file that cannot be read,
// and for one longer than kVersionPatchLimit bytes, which is left whole
// rather than cut to what was read.
void PatchVersionText(const char *path);
