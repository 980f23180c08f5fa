// The package the program carries: the archive every installation unpacks.
// The wizard acquires it at window creation and the windowless run at its
// start; both keep it until the program ends.
#pragma once

#include "platform/win32.h"

// The locked resource "KELTVOZ" of type "VOZ" (an archive) and its size in
// bytes; null and 0 when the program carries no package.
extern const BYTE *packageData;
extern DWORD packageSize;

// Finds, loads and locks the package resource into packageData and
// packageSize. Returns 1 on success; on failure both stay null and 0.
int LoadPackageResource();
// Lets the package resource go; packageData is null and packageSize 0
// afterwards.
void ReleasePackageResource();
