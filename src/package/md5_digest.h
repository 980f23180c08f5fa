// The MD5 digest text of the archive: the system's MD5 routines in advapi32,
// reached by name, over bytes in memory or a whole file.
#pragma once

#include "package/archive_format.h"
#include "platform/win32.h"

// Writes the digest text of `length` bytes to `out` (34 bytes: 32 upper-case
// hex digits and two zero bytes). When advapi32 or its MD5 routines cannot be
// reached, `out` holds 34 zero bytes, which matches no stored digest.
void Md5Hex(const BYTE *data, DWORD length, char out[kDigestFieldSize]);

// Reads the file at `path` and writes the digest text of what was read to
// `out`. Returns the number of bytes read; 0 with `out` all zero when the
// file cannot be opened or no memory is available.
DWORD FileMd5Hex(const char *path, char out[kDigestFieldSize]);
