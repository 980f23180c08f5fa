// The package the program carries: the archive every installation unpacks.
// The wizard acquires it at window creation and the windowless run at its
// start; both keep it until the program ends.
#pragma once

#include "platform/win32.h"

struct PackageState {
  // The locked resource "KELTVOZ" of type "VOZ" (an archive) and its size in
  // bytes; null and 0 when the program carries no package.
  const BYTE *data = NULL;
  DWORD size = 0;
  HGLOBAL resource = NULL;
};
extern PackageState carriedPackage;

// Finds, loads and locks the package resource into carriedPackage.data and
// carriedPackage.size. Returns 1 on success; on failure both stay null and 0.
int LoadPackageResource();
// Lets the package resource go; no package afterwards, as at start.
void ReleasePackageResource();
