#include "package/package_data.h"

const BYTE *packageData = NULL;
DWORD packageSize = 0;

namespace {
HGLOBAL packageResource = NULL;
}

int LoadPackageResource() {
  HRSRC resource = FindResourceA(NULL, "KELTVOZ", "VOZ");
  if (!resource) return 0;
  HGLOBAL loaded = LoadResource(NULL, resource);
  const BYTE *bytes = loaded ? (const BYTE *)LockResource(loaded) : NULL;
  if (!bytes) return 0;
  packageResource = loaded;
  packageData = bytes;
  packageSize = SizeofResource(NULL, resource);
  return 1;
}

void ReleasePackageResource() {
  if (packageResource) FreeResource(packageResource);
  packageResource = NULL;
  packageData = NULL;
  packageSize = 0;
}
