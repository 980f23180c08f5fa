// The package and the working buffer: the program-wide memory every archive
// operation works on. The wizard acquires both at window creation and the
// windowless run at its start; both keep them until the program ends.
#pragma once

#include "platform/win32.h"

// The locked resource "KELTVOZ" of type "VOZ" (an archive) and its size in
// bytes; null and 0 when the program carries no package.
extern const BYTE *packageData;
extern DWORD packageSize;

// One zero-filled movable block, locked for the whole run. Every file
// operation uses it as scratch and lays it out afresh; null when it could not
// be allocated.
const DWORD kWorkingBufferSize = 0x200000;
extern HGLOBAL workingBufferHandle;
extern BYTE *workingBuffer;

// Finds, loads and locks the package resource into packageData and
// packageSize. Returns 1 on success; on failure both stay null and 0.
int LoadPackageResource();
// Lets the package resource go; packageData is null and packageSize 0
// afterwards.
void ReleasePackageResource();
// Allocates and locks the working buffer. Returns 1 on success; on failure
// workingBuffer stays null and nothing is kept.
int AllocateWorkingBuffer();
// Unlocks and frees the working buffer; workingBuffer is null afterwards.
void FreeWorkingBuffer();
