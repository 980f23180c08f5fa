#include "package/package_data.h"

#include "package/memory_block.h"

const BYTE *packageData = NULL;
DWORD packageSize = 0;
HGLOBAL workingBufferHandle = NULL;
BYTE *workingBuffer = NULL;

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

int AllocateWorkingBuffer() {
  workingBuffer = AllocateLockedBlock(kWorkingBufferSize, &workingBufferHandle);
  return workingBuffer != NULL;
}

void FreeWorkingBuffer() {
  FreeLockedBlock(workingBufferHandle);
  workingBufferHandle = NULL;
  workingBuffer = NULL;
}

void ReleasePackageResource() {
  if (packageResource) FreeResource(packageResource);
  packageResource = NULL;
  packageData = NULL;
  packageSize = 0;
}
