// Functions of the simulated system DLLs that the program reaches only by
// name through GetProcAddress, never by a declaration of its own.
#pragma once

#include "simwin/windows.h"

namespace sim {

BOOL ExportIsWow64Process(HANDLE process, PBOOL wow64);
BOOL ExportWow64DisableWow64FsRedirection(PVOID *oldValue);
BOOL ExportWow64RevertWow64FsRedirection(PVOID oldValue);
BOOL ExportSetDefaultDllDirectories(DWORD flags);
void ExportRtlGetNtVersionNumbers(DWORD *major, DWORD *minor, DWORD *build);

// advapi32's MD5 routines with the MD5_CTX layout they document.
struct Md5Context {
  ULONG i[2];
  ULONG buf[4];
  unsigned char in[64];
  unsigned char digest[16];
};
void ExportMD5Init(Md5Context *context);
void ExportMD5Update(Md5Context *context, const unsigned char *input, unsigned int length);
void ExportMD5Final(Md5Context *context);

}  // namespace sim
