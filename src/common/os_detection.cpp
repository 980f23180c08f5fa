#include "common/os_detection.h"

#include "common/system_folders.h"
#include "common/text_buffer.h"
#include "common/wow64.h"
#include "platform/system_function.h"
#include "platform/win32.h"

namespace {

typedef void(WINAPI *RtlGetNtVersionNumbersFunction)(DWORD *, DWORD *, DWORD *);

const int kWindows11FirstBuild = 22000;

WindowsFacts facts;

// The build number from the registry, or 0 when it cannot be read (the
// second key is opened for full access, so this fails without rights).
int ReadBuildNumber() {
  HKEY windowsNt = NULL, currentVersion = NULL;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows NT", 0, KEY_READ, &windowsNt) != ERROR_SUCCESS)
    return 0;
  int build = 0;
  if (RegOpenKeyExA(windowsNt, "CurrentVersion", 0, KEY_ALL_ACCESS, &currentVersion) == ERROR_SUCCESS) {
    char text[46] = {0};
    DWORD size = sizeof text - 1;  // keeps a terminator behind a value that fills the buffer
    if (RegQueryValueExA(currentVersion, "CurrentBuildNumber", NULL, NULL, (LPBYTE)text, &size) == ERROR_SUCCESS)
      build = atoi(text);
    RegCloseKey(currentVersion);
  }
  RegCloseKey(windowsNt);
  return build;
}

int ReadOsMajorVersion() {
  OSVERSIONINFOEXA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA((OSVERSIONINFOA *)&info);
  return (int)info.dwMajorVersion;
}

// Windows 6 or later with a syswow64 folder; its path is kept either way.
void FindSyswow64() {
  if (facts.osMajorVersion <= 5) return;
  char windows[MAX_PATH];
  if (!ReadWindowsFolder(windows, sizeof windows)) return;
  CopyText(facts.syswow64Path, kSyswow64PathSize, windows);
  AppendText(facts.syswow64Path, kSyswow64PathSize, "\\syswow64");
  HANDLE directory = CreateFileA(facts.syswow64Path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL,
                                 OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (directory == NULL || directory == INVALID_HANDLE_VALUE) return;
  CloseHandle(directory);
  facts.is64BitWindows = 1;
}

// The version number, the WOW64 flag and the bitness.
void DetectWindowsVersion() {
  DWORD version = GetVersion();
  facts.versionNumber = (WORD)(LOBYTE(LOWORD(version)) * 10 + HIBYTE(LOWORD(version)));
  facts.bitness = 32;
  if (facts.versionNumber < 60) return;
  facts.wow64 = RunsUnderWow64();
  SYSTEM_INFO info;
  GetNativeSystemInfo(&info);
  if (info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
      info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64)
    facts.bitness = 64;
}

// Windows 10 and 11 admit to it only through RtlGetNtVersionNumbers: the
// program declares no supported systems, so GetVersion stops at 6.2.
void DetectWindows10() {
  HMODULE ntdll = LoadLibraryA("ntdll.dll");
  if (!ntdll) return;
  RtlGetNtVersionNumbersFunction getVersion;
  DWORD major = 0, minor = 0, build = 0;
  if (FindSystemFunction(ntdll, "RtlGetNtVersionNumbers", &getVersion)) getVersion(&major, &minor, &build);
  FreeLibrary(ntdll);
  if (major != 10 || minor != 0) return;
  facts.windows10 = 1;
  facts.windows11 = ReadBuildNumber() >= kWindows11FirstBuild;
}

}  // namespace

const WindowsFacts &windowsFacts = facts;

void DetectWindows() {
  facts = WindowsFacts();
  facts.codePage = (int)GetOEMCP();
  facts.windows9xFamily = (GetVersion() & 0x80000000) != 0;
  facts.osMajorVersion = ReadOsMajorVersion();
  FindSyswow64();
  DetectWindowsVersion();
  if (facts.versionNumber > 60) DetectWindows10();
}

void ResetWindowsFacts() { facts = WindowsFacts(); }
