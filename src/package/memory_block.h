// Temporary memory for file work: zero-filled movable global blocks, locked
// while in use, as every block of the program is allocated.
#pragma once

#include "platform/win32.h"

// Allocates `size` zero-filled bytes and locks them. Returns the locked bytes
// and sets *handle, or returns null with *handle null when either step fails.
BYTE *AllocateLockedBlock(SIZE_T size, HGLOBAL *handle);
// Unlocks and frees a block from AllocateLockedBlock; a null handle is ignored.
void FreeLockedBlock(HGLOBAL handle);
