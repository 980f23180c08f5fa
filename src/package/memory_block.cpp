#include "package/memory_block.h"

BYTE *AllocateLockedBlock(SIZE_T size, HGLOBAL *handle) {
  *handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  if (!*handle) return NULL;
  BYTE *bytes = (BYTE *)GlobalLock(*handle);
  if (bytes) return bytes;
  GlobalFree(*handle);
  *handle = NULL;
  return NULL;
}

void FreeLockedBlock(HGLOBAL handle) {
  if (!handle) return;
  GlobalUnlock(handle);
  GlobalFree(handle);
}
