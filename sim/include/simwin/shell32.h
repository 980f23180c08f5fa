// SHELL32 as the simulated machine provides it.
#pragma once

#include "simwin/types.h"

#define CSIDL_WINDOWS 0x0024
#define CSIDL_SYSTEM 0x0025
#define CSIDL_PROGRAM_FILES 0x0026

BOOL SHGetSpecialFolderPathA(HWND owner, LPSTR path, int folder, BOOL create);
BOOL SHGetSpecialFolderPathW(HWND owner, LPWSTR path, int folder, BOOL create);
