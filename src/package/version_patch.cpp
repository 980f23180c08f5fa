#include "package/version_patch.h"

#include <string.h>

#include "package/package_data.h"

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
// that fails half-way leaves the rest of it instead of a cut file.
void PatchVersionText(const char *path) {
  if (!workingBuffer) return;
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return;
  const UINT length = _lread(file, workingBuffer, kVersionPatchLimit + 1);
  _lclose(file);
  if (length == (UINT)HFILE_ERROR || length > kVersionPatchLimit) return;
  RewriteVersionDigits(workingBuffer, length);
  file = _lopen(path, OF_WRITE);
  if (file == HFILE_ERROR) return;
  _lwrite(file, (LPCSTR)workingBuffer, length);
  _lclose(file);
}
