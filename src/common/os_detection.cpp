#include "common/os_detection.h"

#include "common/program_state.h"
#include "common/system_folders.h"
#include "common/wow64.h"
#include "platform/system_function.h"
#include "platform/win32.h"

namespace {

typedef void(WINAPI *RtlGetNtVersionNumbersFunction)(DWORD *, DWORD *, DWORD *);

const int kWindows11FirstBuild = 22000;

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

}  // namespace

int Is64BitWindows() {
  osMajorVersion = 0;
  OSVERSIONINFOEXA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExA((OSVERSIONINFOA *)&info);
  osMajorVersion = (int)info.dwMajorVersion;
  if (osMajorVersion <= 5) return 0;
  char windowsDir[100];
  if (!ReadWindowsFolder(windowsDir, sizeof windowsDir)) return 0;
  wsprintfA(win64Path, "%s\\syswow64", windowsDir);
  HANDLE directory = CreateFileA(win64Path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, NULL, OPEN_EXISTING,
                                 FILE_FLAG_BACKUP_SEMANTICS, NULL);
  if (directory == NULL || directory == INVALID_HANDLE_VALUE) return 0;
  CloseHandle(directory);
  return 1;
}

int DetectWindowsVersion() {
  DWORD version = GetVersion();
  versionNumber = (WORD)(LOBYTE(LOWORD(version)) * 10 + HIBYTE(LOWORD(version)));
  if (versionNumber < 60) {
    bitness = 32;
    return bitness;
  }
  if (RunsUnderWow64()) wow64Flag = 1;
  SYSTEM_INFO info;
  GetNativeSystemInfo(&info);
  bool wide = info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
              info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
  bitness = wide ? 64 : 32;
  return bitness;
}

int DetectWindows10() {
  HMODULE ntdll = LoadLibraryA("ntdll.dll");
  if (!ntdll) return 0;
  RtlGetNtVersionNumbersFunction getVersion;
  DWORD major = 0, minor = 0, build = 0;
  if (FindSystemFunction(ntdll, "RtlGetNtVersionNumbers", &getVersion)) getVersion(&major, &minor, &build);
  FreeLibrary(ntdll);
  windows11Flag = 0;
  if (major != 10 || minor != 0) return 0;
  if (ReadBuildNumber() >= kWindows11FirstBuild) windows11Flag = 1;
  return 1;
}

void DetectWindows() {
  codePage = (int)GetOEMCP();
  Is64BitWindows();
  bitness = DetectWindowsVersion();
  windows10Flag = versionNumber > 60 ? DetectWindows10() : 0;
}

int IsWindows9xFamily() { return (GetVersion() & 0x80000000) != 0; }
