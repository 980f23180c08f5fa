// KERNEL32 as the simulated machine provides it: version and architecture
// queries, files (including the 16-bit compatible calls), global memory,
// resources, modules, processes, time and the string helpers the program uses.
#pragma once

#include <cstring>

#include "simwin/types.h"

// ---- Version and architecture ----

struct OSVERSIONINFOA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
};
struct OSVERSIONINFOEXA {
  DWORD dwOSVersionInfoSize;
  DWORD dwMajorVersion;
  DWORD dwMinorVersion;
  DWORD dwBuildNumber;
  DWORD dwPlatformId;
  CHAR szCSDVersion[128];
  WORD wServicePackMajor;
  WORD wServicePackMinor;
  WORD wSuiteMask;
  BYTE wProductType;
  BYTE wReserved;
};
typedef OSVERSIONINFOA *LPOSVERSIONINFOA;
static_assert(sizeof(OSVERSIONINFOEXA) == 156, "layout of OSVERSIONINFOEXA");

#define VER_PLATFORM_WIN32_WINDOWS 1
#define VER_PLATFORM_WIN32_NT 2

struct SYSTEM_INFO {
  WORD wProcessorArchitecture;
  WORD wReserved;
  DWORD dwPageSize;
  LPVOID lpMinimumApplicationAddress;
  LPVOID lpMaximumApplicationAddress;
  DWORD_PTR dwActiveProcessorMask;
  DWORD dwNumberOfProcessors;
  DWORD dwProcessorType;
  DWORD dwAllocationGranularity;
  WORD wProcessorLevel;
  WORD wProcessorRevision;
};
typedef SYSTEM_INFO *LPSYSTEM_INFO;

#define PROCESSOR_ARCHITECTURE_INTEL 0
#define PROCESSOR_ARCHITECTURE_IA64 6
#define PROCESSOR_ARCHITECTURE_AMD64 9

#define ZeroMemory(target, length) memset((target), 0, (length))

DWORD GetVersion();
BOOL GetVersionExA(LPOSVERSIONINFOA info);
void GetNativeSystemInfo(LPSYSTEM_INFO info);
UINT GetOEMCP();
UINT GetACP();
HANDLE GetCurrentProcess();

// ---- Errors ----

DWORD GetLastError();
void SetLastError(DWORD code);

// ---- Folders and drives ----

UINT GetWindowsDirectoryA(LPSTR buffer, UINT size);
UINT GetWindowsDirectoryW(LPWSTR buffer, UINT size);
UINT GetSystemDirectoryA(LPSTR buffer, UINT size);
UINT GetSystemDirectoryW(LPWSTR buffer, UINT size);
DWORD GetCurrentDirectoryA(DWORD size, LPSTR buffer);
BOOL SetCurrentDirectoryA(LPCSTR path);
DWORD GetTempPathA(DWORD size, LPSTR buffer);
UINT GetDriveTypeA(LPCSTR root);

#define DRIVE_UNKNOWN 0
#define DRIVE_NO_ROOT_DIR 1
#define DRIVE_REMOVABLE 2
#define DRIVE_FIXED 3
#define DRIVE_REMOTE 4
#define DRIVE_CDROM 5
#define DRIVE_RAMDISK 6

// ---- Files ----

#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#define GENERIC_EXECUTE 0x20000000u
#define GENERIC_ALL 0x10000000u
#define FILE_SHARE_READ 0x1
#define FILE_SHARE_WRITE 0x2
#define FILE_SHARE_DELETE 0x4
#define CREATE_NEW 1
#define CREATE_ALWAYS 2
#define OPEN_EXISTING 3
#define OPEN_ALWAYS 4
#define TRUNCATE_EXISTING 5
#define FILE_ATTRIBUTE_READONLY 0x1
#define FILE_ATTRIBUTE_HIDDEN 0x2
#define FILE_ATTRIBUTE_SYSTEM 0x4
#define FILE_ATTRIBUTE_DIRECTORY 0x10
#define FILE_ATTRIBUTE_ARCHIVE 0x20
#define FILE_ATTRIBUTE_NORMAL 0x80
#define FILE_ATTRIBUTE_REPARSE_POINT 0x400
#define INVALID_FILE_ATTRIBUTES ((DWORD)-1)
#define FILE_FLAG_BACKUP_SEMANTICS 0x02000000
#define FILE_FLAG_OPEN_REPARSE_POINT 0x00200000
#define FILE_BEGIN 0
#define FILE_CURRENT 1
#define FILE_END 2
#define OF_READ 0
#define OF_WRITE 1
#define OF_READWRITE 2
#define OF_SHARE_EXCLUSIVE 0x10

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security, DWORD disposition,
                   DWORD flags, HANDLE templateFile);
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD count, LPDWORD read, void *overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD count, LPDWORD written, void *overlapped);
BOOL SetEndOfFile(HANDLE file);
#define INVALID_SET_FILE_POINTER ((DWORD)-1)
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD method);

#define FILE_MAP_WRITE 0x0002
#define FILE_MAP_READ 0x0004
// Opens the shared memory another program made under `name` (machine.ini
// lists them); null with ERROR_FILE_NOT_FOUND when there is none. The
// program cannot make one here.
HANDLE OpenFileMappingA(DWORD access, BOOL inherit, LPCSTR name);

struct BY_HANDLE_FILE_INFORMATION {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD dwVolumeSerialNumber;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD nNumberOfLinks;
  DWORD nFileIndexHigh;
  DWORD nFileIndexLow;
};
typedef BY_HANDLE_FILE_INFORMATION *LPBY_HANDLE_FILE_INFORMATION;
BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information);
BOOL CloseHandle(HANDLE handle);
BOOL CopyFileA(LPCSTR source, LPCSTR target, BOOL failIfExists);
BOOL DeleteFileA(LPCSTR path);
BOOL MoveFileA(LPCSTR from, LPCSTR to);
#define MOVEFILE_REPLACE_EXISTING 0x00000001
BOOL MoveFileExA(LPCSTR from, LPCSTR to, DWORD flags);
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES security);
BOOL RemoveDirectoryA(LPCSTR path);
DWORD GetFileAttributesA(LPCSTR path);
BOOL SetFileAttributesA(LPCSTR path, DWORD attributes);

#define ERROR_NO_MORE_FILES 18L
#define ERROR_DIRECTORY 267L

struct WIN32_FIND_DATAA {
  DWORD dwFileAttributes;
  FILETIME ftCreationTime;
  FILETIME ftLastAccessTime;
  FILETIME ftLastWriteTime;
  DWORD nFileSizeHigh;
  DWORD nFileSizeLow;
  DWORD dwReserved0;
  DWORD dwReserved1;
  CHAR cFileName[MAX_PATH];
  CHAR cAlternateFileName[14];
};
typedef WIN32_FIND_DATAA *LPWIN32_FIND_DATAA;

// Lists a folder: the last part of `pattern` may hold '*' and '?' ("*.*"
// matches every name, with or without a dot). Narrower than Windows: no
// times, no short names, and a name too long for cFileName is skipped.
HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA data);
BOOL FindNextFileA(HANDLE search, LPWIN32_FIND_DATAA data);
BOOL FindClose(HANDLE search);

HFILE _lopen(LPCSTR path, int mode);
HFILE _lcreat(LPCSTR path, int attributes);
UINT _lread(HFILE file, LPVOID buffer, UINT count);
UINT _lwrite(HFILE file, LPCSTR buffer, UINT count);
LONG _llseek(HFILE file, LONG offset, int origin);
HFILE _lclose(HFILE file);

// ---- Global and local memory ----

#define GMEM_FIXED 0x0000
#define GMEM_MOVEABLE 0x0002
#define GMEM_ZEROINIT 0x0040
#define GHND (GMEM_MOVEABLE | GMEM_ZEROINIT)
#define GPTR (GMEM_FIXED | GMEM_ZEROINIT)
#define LMEM_FIXED 0x0000
#define LMEM_ZEROINIT 0x0040

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
LPVOID GlobalLock(HGLOBAL memory);
BOOL GlobalUnlock(HGLOBAL memory);
HGLOBAL GlobalFree(HGLOBAL memory);
HLOCAL LocalAlloc(UINT flags, SIZE_T bytes);
HLOCAL LocalFree(HLOCAL memory);

// ---- Modules and resources ----

HMODULE GetModuleHandleA(LPCSTR name);
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
DWORD GetModuleFileNameW(HMODULE module, LPWSTR buffer, DWORD size);
HMODULE LoadLibraryA(LPCSTR name);
BOOL FreeLibrary(HMODULE module);
FARPROC GetProcAddress(HMODULE module, LPCSTR name);
BOOL SetDllDirectoryA(LPCSTR path);

#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800

// The program's own resources: the package, the icon group and the
// compiled dialog templates; any other module has none (narrower than
// Windows). FindResourceA takes the first language of a type and name.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HRSRC FindResourceExA(HMODULE module, LPCSTR type, LPCSTR name, WORD language);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL resource);
// Resources live as long as their module; freeing one changes nothing, as on
// every Windows since the 32-bit ones.
BOOL FreeResource(HGLOBAL resource);
DWORD SizeofResource(HMODULE module, HRSRC resource);

// ---- Processes, console and time ----

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_NORMAL 1
#define SW_SHOW 5

UINT WinExec(LPCSTR commandLine, UINT show);
void Sleep(DWORD milliseconds);
DWORD GetTickCount();
BOOL AllocConsole();
HWND GetConsoleWindow();

struct EXCEPTION_POINTERS;
typedef LONG (*PTOP_LEVEL_EXCEPTION_FILTER)(EXCEPTION_POINTERS *);
typedef PTOP_LEVEL_EXCEPTION_FILTER LPTOP_LEVEL_EXCEPTION_FILTER;

#define EXCEPTION_ACCESS_VIOLATION 0xC0000005u

// Raises a structured exception in the program: see simmachine/structured_exception.h.
void RaiseException(DWORD code, DWORD flags, DWORD argumentCount, const ULONG_PTR *arguments);

// ---- Strings and code pages ----

#define CP_ACP 0
#define CP_OEMCP 1
#define CP_UTF8 65001

// A code page Windows 9x has not installed (any but the machine's ANSI and
// OEM ones and UTF-8) fails with ERROR_INVALID_PARAMETER; NT has them all.
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int length, LPWSTR out, int outLength);
// Lead bytes of the ANSI code page: 932, 936, 949 and 950 only; every other
// code page is taken as single-byte.
BOOL IsDBCSLeadByte(BYTE byte);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR text, int length, LPSTR out, int outLength,
                        LPCSTR defaultChar, LPBOOL usedDefault);
int lstrlenA(LPCSTR text);
int lstrlenW(LPCWSTR text);
LPSTR lstrcpyA(LPSTR target, LPCSTR source);
LPSTR lstrcpynA(LPSTR target, LPCSTR source, int size);
LPSTR lstrcatA(LPSTR target, LPCSTR source);
int lstrcmpA(LPCSTR a, LPCSTR b);
LPWSTR lstrcpyW(LPWSTR target, LPCWSTR source);
LPWSTR lstrcatW(LPWSTR target, LPCWSTR source);
