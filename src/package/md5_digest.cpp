#include "package/md5_digest.h"

#include <string.h>

#include "package/memory_block.h"
#include "platform/system_function.h"

// The layout advapi32 documents for its MD5 routines.
struct Md5Context {
  DWORD bitCount[2];
  DWORD state[4];
  BYTE input[64];
  BYTE digest[16];
};
typedef void(WINAPI *Md5InitRoutine)(Md5Context *context);
typedef void(WINAPI *Md5UpdateRoutine)(Md5Context *context, const BYTE *input, unsigned int length);
typedef void(WINAPI *Md5FinalRoutine)(Md5Context *context);

// Files larger than this are not read whole (the block would not fit in
// memory on a 32-bit system anyway).
static const LONG kLargestDigestedFile = 0x40000000;

static int ComputeMd5(HMODULE advapi, const BYTE *data, DWORD length, BYTE digest[16]);

// advapi32 exports the routines without a declaration in the import
// libraries, so they are looked up by name.
static int ComputeMd5(HMODULE advapi, const BYTE *data, DWORD length, BYTE digest[16]) {
  Md5InitRoutine init;
  Md5UpdateRoutine update;
  Md5FinalRoutine finish;
  if (!FindSystemFunction(advapi, "MD5Init", &init) || !FindSystemFunction(advapi, "MD5Update", &update) ||
      !FindSystemFunction(advapi, "MD5Final", &finish))
    return 0;
  Md5Context context;
  init(&context);
  update(&context, data, length);
  finish(&context);
  memcpy(digest, context.digest, sizeof context.digest);
  return 1;
}

void Md5Hex(const BYTE *data, DWORD length, char out[kDigestFieldSize]) {
  memset(out, 0, kDigestFieldSize);
  HMODULE advapi = LoadLibraryA("advapi32.dll");
  if (!advapi) return;
  BYTE digest[16];
  if (ComputeMd5(advapi, data, length, digest)) FormatDigestText(digest, out);
  FreeLibrary(advapi);
}

DWORD FileMd5Hex(const char *path, char out[kDigestFieldSize]) {
  memset(out, 0, kDigestFieldSize);
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return 0;
  const LONG length = _llseek(file, 0, FILE_END);
  _llseek(file, 0, FILE_BEGIN);
  HGLOBAL block = NULL;
  // The block and the read leave room for a file that grew meanwhile.
  BYTE *bytes = length >= 0 && length <= kLargestDigestedFile ? AllocateLockedBlock((SIZE_T)length + 500, &block) : NULL;
  UINT read = bytes ? _lread(file, bytes, (UINT)length + 100) : 0;
  _lclose(file);
  if (read == (UINT)HFILE_ERROR) read = 0;
  else if (bytes) Md5Hex(bytes, read, out);
  FreeLockedBlock(block);
  return read;
}
