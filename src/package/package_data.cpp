#include "package/package_data.h"

PackageState carriedPackage;

int LoadPackageResource() {
  HRSRC resource = FindResourceA(NULL, "KELTVOZ", "VOZ");
  if (!resource) return 0;
  HGLOBAL loaded = LoadResource(NULL, resource);
  const BYTE *bytes = loaded ? (const BYTE *)LockResource(loaded) : NULL;
  if (!bytes) return 0;
  carriedPackage.resource = loaded;
  carriedPackage.data = bytes;
  carriedPackage.size = SizeofResource(NULL, resource);
  return 1;
}

void ReleasePackageResource() {
  if (carriedPackage.resource) FreeResource(carriedPackage.resource);
  carriedPackage = PackageState();
}
