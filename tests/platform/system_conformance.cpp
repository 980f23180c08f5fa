// Conformance of the system calls the program's start relies on: version and
// architecture, formatting, memory, libraries looked up by name, commands.
#include <string.h>

#include "platform/conformance.h"

CONFORMANCE_CHECK(VersionRecordOfExtendedSizeIsAccepted) {
  OSVERSIONINFOEXA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  CHECK_EQ(sizeof info, 156);
  CHECK(GetVersionExA((OSVERSIONINFOA *)&info));
  CHECK(info.dwMajorVersion >= 5);
  DWORD version = GetVersion();
  CHECK_EQ(LOBYTE(LOWORD(version)), info.dwMajorVersion);
  CHECK_EQ(HIBYTE(LOWORD(version)), info.dwMinorVersion);
}

CONFORMANCE_CHECK(VersionRecordOfUnknownSizeIsRefused) {
  OSVERSIONINFOEXA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = 100;
  SetLastError(0xdeadbeef);
  CHECK(!GetVersionExA((OSVERSIONINFOA *)&info));
  CHECK_EQ(GetLastError(), ERROR_INSUFFICIENT_BUFFER);
}

CONFORMANCE_CHECK(FormatterHandlesTheProgramsConversions) {
  char text[64];
  CHECK_EQ(wsprintfA(text, "%s\\syswow64", "C:\\Windows"), 19);
  CHECK(strcmp(text, "C:\\Windows\\syswow64") == 0);
  wsprintfA(text, "%lx|%lX|%d|%08d|%u", 0xe0010804u, 0xe0010804u, -5, 2, 7u);
  CHECK(strcmp(text, "e0010804|E0010804|-5|00000002|7") == 0);
  wsprintfA(text, "[%5s][%-3d][%.2s]", "ab", 1, "xyz");
  CHECK(strcmp(text, "[   ab][1  ][xy]") == 0);
  WCHAR wide[64];
  wsprintfW(wide, L"os：%d-%d-1%d", 64, 1, 1);
  CHECK(lstrlenW(wide) == 10);
  CHECK(wide[2] == 0xFF1A);
  CHECK(wide[3] == L'6' && wide[9] == L'1');
}

CONFORMANCE_CHECK(FormatterStopsAt1024Characters) {
  static char big[2000], out[1100];
  memset(big, 'a', sizeof big - 1);
  CHECK_EQ(wsprintfA(out, "%s", big), 1024);
  CHECK_EQ(lstrlenA(out), 1023);
}

CONFORMANCE_CHECK(CharUpperChangesLettersOnly) {
  char text[] = "e0210804-abc";
  CharUpperA(text);
  CHECK(strcmp(text, "E0210804-ABC") == 0);
}

CONFORMANCE_CHECK(ZeroInitMovableMemoryIsZeroAndUnlocksToNoError) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, 0x200000);
  CHECK(block != NULL);
  unsigned char *data = (unsigned char *)GlobalLock(block);
  CHECK(data != NULL);
  CHECK(data[0] == 0 && data[0x1FFFFF] == 0);
  SetLastError(0xdeadbeef);
  CHECK(!GlobalUnlock(block));
  CHECK_EQ(GetLastError(), NO_ERROR);
  CHECK(GlobalFree(block) == NULL);
}

CONFORMANCE_CHECK(Md5RoutinesAreFoundByNameInAdvapi32) {
  struct {
    ULONG i[2];
    ULONG buf[4];
    unsigned char in[64];
    unsigned char digest[16];
  } context;
  typedef void(WINAPI * Init)(void *);
  typedef void(WINAPI * Update)(void *, const unsigned char *, unsigned int);
  HMODULE advapi = LoadLibraryA("advapi32.dll");
  CHECK(advapi != NULL);
  Init init = (Init)(void *)GetProcAddress(advapi, "MD5Init");
  Update update = (Update)(void *)GetProcAddress(advapi, "MD5Update");
  Init final = (Init)(void *)GetProcAddress(advapi, "MD5Final");
  CHECK(init && update && final);
  if (!init || !update || !final) return;
  init(&context);
  update(&context, (const unsigned char *)"abc", 3);
  final(&context);
  static const unsigned char expected[16] = {0x90, 0x01, 0x50, 0x98, 0x3c, 0xd2, 0x4f, 0xb0,
                                             0xd6, 0x96, 0x3f, 0x7d, 0x28, 0xe1, 0x7f, 0x72};
  CHECK(memcmp(context.digest, expected, 16) == 0);
  FreeLibrary(advapi);
}

CONFORMANCE_CHECK(MissingExportIsNullWithProcNotFound) {
  SetLastError(0xdeadbeef);
  CHECK(GetProcAddress(GetModuleHandleA("kernel32"), "NoSuchFunction") == NULL);
  CHECK_EQ(GetLastError(), ERROR_PROC_NOT_FOUND);
  CHECK(GetProcAddress(GetModuleHandleA("kernel32"), "IsWow64Process") != NULL);
  HMODULE ntdll = LoadLibraryA("ntdll.dll");
  CHECK(GetProcAddress(ntdll, "RtlGetNtVersionNumbers") != NULL);
}

CONFORMANCE_CHECK(ProgramFilesAndFixedSystemDrive) {
  char folder[MAX_PATH] = {0};
  CHECK(SHGetSpecialFolderPathA(NULL, folder, CSIDL_PROGRAM_FILES, FALSE));
  CHECK(strncmp(folder, "C:\\Program Files", 16) == 0);
  CHECK_EQ(GetDriveTypeA("c:\\"), DRIVE_FIXED);
  CHECK_EQ(GetDriveTypeA("q:\\"), DRIVE_NO_ROOT_DIR);
}

CONFORMANCE_CHECK(WinExecOfMissingProgramGivesFileNotFound) {
  CHECK_EQ(WinExec("no_such_program_4711.exe", SW_SHOW), ERROR_FILE_NOT_FOUND);
}
