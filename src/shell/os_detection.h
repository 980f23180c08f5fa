// What Windows the program runs on: 64-bit or not, the version number the
// system admits to, WOW64, and Windows 10 or 11.
#pragma once

// 1 on Windows 6 or later with a syswow64 directory, else 0. Sets the OS major
// version and the 64-bit Windows path on the way.
int Is64BitWindows();

// Sets the version number and the WOW64 flag; returns the bitness, 32 or 64
// (32 without further test below version 6.0).
int DetectWindowsVersion();

// 1 when the system reports 10.0 (Windows 10 or 11), else 0. Sets the
// Windows-11 flag when the build number in the registry is 22000 or more.
int DetectWindows10();
