// What Windows the program runs on: 64-bit or not, the version number the
// system admits to, WOW64, and Windows 10 or 11. DetectWindows finds it all
// once at start, in both run modes; the program-wide facts it fills
// (program_state.h) are what the rest of the program reads.
#pragma once

// Fills every fact about Windows: the code page (GetOEMCP), the OS major
// version and the 64-bit Windows path, the version number, the WOW64 flag
// and the bitness, and the Windows-10 and Windows-11 flags (tested only above
// version 6.0).
void DetectWindows();

// 1 on Windows 6 or later with a syswow64 directory, else 0. Also sets the OS
// major version and the 64-bit Windows path, as the installation's steps
// have always had it do; nothing relies on that any more.
int Is64BitWindows();

// Returns the bitness, 32 or 64 (32 without further test below version 6.0).
// Also sets the version number and the WOW64 flag.
int DetectWindowsVersion();

// 1 when the system reports 10.0 (Windows 10 or 11), else 0. Also sets the
// Windows-11 flag: 1 when the build number in the registry is 22000 or more.
int DetectWindows10();

// 1 on the Windows 9x family (GetVersion's top bit), 0 on the NT family;
// asked anew at each call.
int IsWindows9xFamily();
