#include "package/version_patch.h"

#include <string.h>

#include "common/plain_files.h"
#include "package/working_buffer.h"

static_assert(kVersionPatchLimit <= kVersionPatchBytes.size, "a module to patch is read whole");

namespace {

const WCHAR kDescription[] = L"智能Qelvo输入平台";
// The description's bytes, without its terminator.
const DWORD kDescriptionSize = sizeof kDescription - sizeof(WCHAR);
// The last byte looked at behind the description: the low byte of the
// second digit.
const DWORD kLastDigitOffset = 8;

}  // namespace

void RewriteVersionDigits(BYTE *bytes, DWORD length) {
  for (DWORD at = 0; at + kDescriptionSize + kLastDigitOffset < length; ++at) {
    if (memcmp(bytes + at, kDescription, kDescriptionSize) != 0) continue;
    BYTE *version = bytes + at + kDescriptionSize;
    if (version[0] == ' ' && version[4] == '6' && version[6] == '.' && (version[8] == '3' || version[8] == '7')) {
      version[4] = '9';
      version[8] = '3';
    }
  }
}

// The file is written over in place rather than recreated, so that a write
// that fails half-way leaves the rest of it instead of a cut file; only a
// plain file is, never what a link planted under its name leads to.
void PatchVersionText(const char *path) {
  const BufferRegion bytes = WorkingBufferRegion(kVersionPatchBytes);
  if (!bytes.bytes) return;
  DWORD length = 0, done = 0;
  HANDLE file = OpenPlainFile(path, GENERIC_READ | GENERIC_WRITE, &length);
  if (file == INVALID_HANDLE_VALUE) return;
  if (length <= kVersionPatchLimit && ReadFile(file, bytes.bytes, length, &done, NULL) && done == length) {
    RewriteVersionDigits(bytes.bytes, length);
    if (SetFilePointer(file, 0, NULL, FILE_BEGIN) == 0) WriteFile(file, bytes.bytes, length, &done, NULL);
  }
  CloseHandle(file);
}
