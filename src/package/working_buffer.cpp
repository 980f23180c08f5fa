#include "package/working_buffer.h"

#include "package/memory_block.h"

namespace {

struct WorkingBuffer {
  HGLOBAL handle;
  BYTE *bytes;
};
WorkingBuffer buffer;

BufferRegion RegionAt(DWORD offset, DWORD size) {
  if (!buffer.bytes) return BufferRegion{NULL, 0};
  return BufferRegion{buffer.bytes + offset, size};
}

}  // namespace

int AllocateWorkingBuffer() {
  buffer.bytes = AllocateLockedBlock(kWorkingBufferSize, &buffer.handle);
  return buffer.bytes != NULL;
}

void FreeWorkingBuffer() {
  FreeLockedBlock(buffer.handle);
  buffer = WorkingBuffer();
}

int HaveWorkingBuffer() { return buffer.bytes != NULL; }

BufferRegion WorkingBufferRegion(BufferLayout layout) { return RegionAt(layout.offset, layout.size); }

BufferRegion SkinCheckExempt(DWORD archiveLength) {
  const DWORD offset = kSkinArchive.offset + archiveLength + kSkinCheckExemptGap;
  return RegionAt(offset, kSkinCheckFailureGap - kSkinCheckExemptGap);
}

BufferRegion SkinCheckFailures(DWORD archiveLength) {
  const DWORD offset = kSkinArchive.offset + archiveLength + kSkinCheckFailureGap;
  return RegionAt(offset, kWorkingBufferSize - offset);
}
