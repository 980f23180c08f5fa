// KERNEL32 and NTDLL: version and architecture, errors, code pages, global
// memory, time, the console, MD5 and the string helpers.
#include <openssl/evp.h>

#include <cstring>
#include <map>
#include <memory>

#include "api_support.h"
#include "exports.h"

using sim::M;

// ---- Version and architecture ----

// The program declares no supported operating systems, so from Windows 8.1 on
// the version calls report 6.2.9200; Windows 9x sets the top bit.
DWORD GetVersion() {
  const sim::Profile &p = M().profile;
  if (p.family == sim::Family::Win9x) return 0xC0000000u | (p.minor << 8) | p.major;
  return (p.ReportedBuild() << 16) | (p.ReportedMinor() << 8) | p.ReportedMajor();
}

// Windows 9x knows only the short record; NT accepts both sizes.
BOOL GetVersionExA(LPOSVERSIONINFOA info) {
  const sim::Profile &p = M().profile;
  const DWORD size = info->dwOSVersionInfoSize;
  const bool ex = size == sizeof(OSVERSIONINFOEXA);
  if (size != sizeof(OSVERSIONINFOA) && !(ex && p.family == sim::Family::NT)) {
    sim::SetError(ERROR_INSUFFICIENT_BUFFER);
    return FALSE;
  }
  info->dwMajorVersion = p.family == sim::Family::Win9x ? p.major : p.ReportedMajor();
  info->dwMinorVersion = p.family == sim::Family::Win9x ? p.minor : p.ReportedMinor();
  info->dwBuildNumber = p.family == sim::Family::Win9x ? ((p.major << 24) | (p.minor << 16) | p.build)
                                                        : p.ReportedBuild();
  info->dwPlatformId = p.family == sim::Family::Win9x ? VER_PLATFORM_WIN32_WINDOWS : VER_PLATFORM_WIN32_NT;
  std::memset(info->szCSDVersion, 0, sizeof info->szCSDVersion);
  std::strncpy(info->szCSDVersion, p.servicePack.c_str(), sizeof info->szCSDVersion - 1);
  if (ex) {
    auto *exInfo = reinterpret_cast<OSVERSIONINFOEXA *>(info);
    exInfo->wServicePackMajor = static_cast<WORD>(p.servicePackMajor);
    exInfo->wServicePackMinor = 0;
    exInfo->wSuiteMask = 0x100;  // VER_SUITE_SINGLEUSERTS
    exInfo->wProductType = 1;    // VER_NT_WORKSTATION
    exInfo->wReserved = 0;
  }
  return TRUE;
}

static void FillSystemInfo(LPSYSTEM_INFO info, WORD architecture) {
  std::memset(info, 0, sizeof *info);
  info->wProcessorArchitecture = architecture;
  info->dwPageSize = 4096;
  info->dwNumberOfProcessors = 4;
  info->dwAllocationGranularity = 0x10000;
  info->dwProcessorType = architecture == PROCESSOR_ARCHITECTURE_AMD64 ? 8664 : 586;
  info->wProcessorLevel = 6;
}

void GetNativeSystemInfo(LPSYSTEM_INFO info) {
  FillSystemInfo(info, static_cast<WORD>(M().profile.nativeArchitecture));
}

UINT GetOEMCP() { return M().profile.oemCodePage; }
UINT GetACP() { return M().profile.ansiCodePage; }
HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

BOOL sim::ExportIsWow64Process(HANDLE process, PBOOL wow64) {
  if (process != GetCurrentProcess()) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  *wow64 = M().profile.IsWow64() ? TRUE : FALSE;
  return TRUE;
}

// Windows returns the build with its top four bits set on release builds.
void sim::ExportRtlGetNtVersionNumbers(DWORD *major, DWORD *minor, DWORD *build) {
  const Profile &p = M().profile;
  if (major) *major = p.major;
  if (minor) *minor = p.minor;
  if (build) *build = 0xF0000000u | p.build;
}

// ---- Errors ----

DWORD GetLastError() { return M().process.lastError; }
void SetLastError(DWORD code) { M().process.lastError = code; }

// ---- Global and local memory ----

// Blocks belong to the machine's process: a freed handle is rejected as
// Windows does, and a new machine starts without any.
static std::map<HGLOBAL, std::unique_ptr<SimGlobal>> &GlobalBlocks() { return M().process.memoryBlocks; }

static HGLOBAL AllocateBlock(UINT flags, SIZE_T bytes) {
  uint64_t limit = M().process.globalAllocLimit;
  if (limit != 0 && bytes > limit) {
    sim::SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto block = std::make_unique<SimGlobal>();
  block->data.reset(new unsigned char[bytes ? bytes : 1]);
  if (flags & GMEM_ZEROINIT) std::memset(block->data.get(), 0, bytes ? bytes : 1);
  HGLOBAL handle = block.get();
  GlobalBlocks()[handle] = std::move(block);
  return handle;
}

static SimGlobal *FindBlock(HGLOBAL memory) {
  auto it = GlobalBlocks().find(memory);
  return it == GlobalBlocks().end() ? nullptr : it->second.get();
}

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) { return AllocateBlock(flags, bytes); }

LPVOID GlobalLock(HGLOBAL memory) {
  SimGlobal *block = FindBlock(memory);
  if (!block) {
    sim::SetError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  ++block->locks;
  return block->data.get();
}

BOOL GlobalUnlock(HGLOBAL memory) {
  SimGlobal *block = FindBlock(memory);
  if (!block || block->locks == 0) {
    sim::SetError(block ? NO_ERROR : ERROR_INVALID_HANDLE);
    return FALSE;
  }
  --block->locks;
  if (block->locks == 0) sim::SetError(NO_ERROR);
  return block->locks > 0;
}

HGLOBAL GlobalFree(HGLOBAL memory) {
  if (!memory) return nullptr;
  auto it = GlobalBlocks().find(memory);
  if (it == GlobalBlocks().end()) {
    sim::SetError(ERROR_INVALID_HANDLE);
    return memory;
  }
  GlobalBlocks().erase(it);
  return nullptr;
}

// Local blocks are fixed: the handle is the address, as LMEM_FIXED gives it.
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  HGLOBAL handle = AllocateBlock(flags, bytes);
  if (!handle) return nullptr;
  SimGlobal *block = FindBlock(handle);
  HLOCAL address = reinterpret_cast<HLOCAL>(block->data.get());
  GlobalBlocks()[address] = std::move(GlobalBlocks()[handle]);
  GlobalBlocks().erase(handle);
  return address;
}

HLOCAL LocalFree(HLOCAL memory) { return GlobalFree(memory); }

// ---- Time and the console ----

// Takes no time: the pause is recorded, and the tick count moves on by it.
void Sleep(DWORD milliseconds) {
  M().process.elapsedMs += milliseconds;
  M().events.Add("sleep", {{"ms", std::to_string(milliseconds)}});
}

DWORD GetTickCount() { return static_cast<DWORD>(M().profile.tickCount + M().process.elapsedMs); }

BOOL AllocConsole() {
  if (M().process.consoleAllocated) {
    sim::SetError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  M().process.consoleAllocated = true;
  M().events.Add("console", {{"action", "allocated"}});
  return TRUE;
}

// ---- MD5, through a well-kept library; the documented context carries the digest ----

// The bytes are kept by the machine's process until MD5Final digests them at
// once (narrower than Windows, which keeps the running state in the context).
void sim::ExportMD5Init(Md5Context *context) {
  std::memset(context, 0, sizeof *context);
  M().process.md5Input[context].clear();
}

void sim::ExportMD5Update(Md5Context *context, const unsigned char *input, unsigned int length) {
  auto it = M().process.md5Input.find(context);
  if (it == M().process.md5Input.end()) return;
  it->second.append(reinterpret_cast<const char *>(input), length);
  uint64_t bits = (static_cast<uint64_t>(context->i[1]) << 32 | context->i[0]) + static_cast<uint64_t>(length) * 8;
  context->i[0] = static_cast<ULONG>(bits);
  context->i[1] = static_cast<ULONG>(bits >> 32);
}

void sim::ExportMD5Final(Md5Context *context) {
  auto it = M().process.md5Input.find(context);
  if (it == M().process.md5Input.end()) return;
  unsigned int length = 0;
  EVP_Digest(it->second.data(), it->second.size(), context->digest, &length, EVP_md5(), nullptr);
  M().process.md5Input.erase(it);
}

// ---- Code pages ----

static unsigned ResolveCodePage(UINT codePage) {
  if (codePage == CP_ACP) return M().profile.ansiCodePage;
  if (codePage == CP_OEMCP) return M().profile.oemCodePage;
  return codePage;
}

static bool CodePageInstalled(unsigned codePage) {
  const sim::Profile &profile = M().profile;
  if (profile.family != sim::Family::Win9x) return true;
  return codePage == profile.ansiCodePage || codePage == profile.oemCodePage || codePage == CP_UTF8;
}

int MultiByteToWideChar(UINT codePage, DWORD, LPCSTR text, int length, LPWSTR out, int outLength) {
  if (!text || outLength < 0 || !CodePageInstalled(ResolveCodePage(codePage))) {
    sim::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::string bytes = length < 0 ? std::string(text, std::strlen(text) + 1) : std::string(text, length);
  std::u16string wide = sim::CodePageToUtf16(ResolveCodePage(codePage), bytes);
  if (outLength == 0) return static_cast<int>(wide.size());
  if (wide.size() > static_cast<size_t>(outLength)) {
    sim::SetError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, wide.data(), wide.size() * 2);
  return static_cast<int>(wide.size());
}

int WideCharToMultiByte(UINT codePage, DWORD, LPCWSTR text, int length, LPSTR out, int outLength, LPCSTR,
                        LPBOOL usedDefault) {
  if (!text || outLength < 0) {
    sim::SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  std::u16string wide = length < 0 ? sim::FromWide(text) + u'\0' : sim::FromWide(text, length);
  std::string bytes = sim::Utf16ToCodePage(ResolveCodePage(codePage), wide);
  if (usedDefault) *usedDefault = FALSE;
  if (outLength == 0) return static_cast<int>(bytes.size());
  if (bytes.size() > static_cast<size_t>(outLength)) {
    sim::SetError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(out, bytes.data(), bytes.size());
  return static_cast<int>(bytes.size());
}

// ---- String helpers: null pointers are tolerated as Windows' versions do ----

BOOL IsDBCSLeadByte(BYTE byte) {
  switch (M().profile.ansiCodePage) {
    case 932:
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:
    case 949:
    case 950:
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return FALSE;
  }
}

int lstrlenA(LPCSTR text) { return text ? static_cast<int>(std::strlen(text)) : 0; }

int lstrlenW(LPCWSTR text) {
  int n = 0;
  if (text)
    while (text[n]) ++n;
  return n;
}

LPSTR lstrcpyA(LPSTR target, LPCSTR source) { return std::strcpy(target, source); }

LPSTR lstrcpynA(LPSTR target, LPCSTR source, int size) {
  if (size <= 0) return target;
  int i = 0;
  for (; i < size - 1 && source[i]; ++i) target[i] = source[i];
  target[i] = '\0';
  return target;
}

LPSTR lstrcatA(LPSTR target, LPCSTR source) { return std::strcat(target, source); }
int lstrcmpA(LPCSTR a, LPCSTR b) { return std::strcmp(a ? a : "", b ? b : ""); }

LPWSTR lstrcpyW(LPWSTR target, LPCWSTR source) {
  int i = 0;
  for (; source[i]; ++i) target[i] = source[i];
  target[i] = 0;
  return target;
}

LPWSTR lstrcatW(LPWSTR target, LPCWSTR source) {
  lstrcpyW(target + lstrlenW(target), source);
  return target;
}
