// Any bytes as an archive: the entry walk with extraction into the
// installation directory, verification of what was written, and the lookup
// of a package entry. Nothing may be read or written out of bounds, and
// nothing outside the installation directory may change, also where an
// entry meets a file in use there.
#include <cstdint>

#include "fuzz_machine.h"
#include "package/archive_reader.h"
#include "package/archive_verifier.h"
#include "package/package_data.h"
#include "package/working_buffer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  sim::Machine &machine = fuzz_machine::Ready();
  const DWORD length = static_cast<DWORD>(size);
  ExtractArchive(data, length, WorkingBufferRegion(kUnpackScratch).bytes, kUnpackScratch.size, nullptr);
  // The skin archives' scratch area, further into the buffer.
  ExtractArchive(data, length, WorkingBufferRegion(kSkinUnpackScratch).bytes, kSkinUnpackScratch.size, nullptr);
  char failure[4096];
  VerifyArchive(data, length, failure, sizeof failure, "vorl320.ime setupw64.exe");
  carriedPackage.data = data;
  carriedPackage.size = length;
  LoadPackageEntry("kelt1.bmp");
  carriedPackage.data = nullptr;
  fuzz_machine::Finish(machine);
  return 0;
}
