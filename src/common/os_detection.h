// What Windows the program runs on, found once at start in both run modes
// (DetectWindows) and read everywhere from one record. The system cannot
// change under a running program, so no step asks it again.
#pragma once

#include "platform/win32.h"

// GetOEMCP; 950 selects the traditional-Chinese texts and modules.
const int kTraditionalCodePage = 950;
// The syswow64 folder's path; the Windows folder is at most MAX_PATH bytes.
const int kSyswow64PathSize = MAX_PATH + 16;

// The facts. Two notions of 64-bit are kept apart on purpose: `bitness` is
// the processor's, which decides the text-service module copies;
// `is64BitWindows` says that Windows 6 or later has a syswow64 folder, which
// decides the IME module copies, the window title, the 64-bit helper and the
// finish.
struct WindowsFacts {
  int codePage = 0;
  int windows9xFamily = 0;  // GetVersion's top bit: 1 on Windows 95, 98 and ME
  int osMajorVersion = 0;   // GetVersionExA's major version; 5 = 2000/XP, 6 and above = Vista on
  int is64BitWindows = 0;
  // The Windows folder followed by "\syswow64" on Windows 6 and later; empty
  // before, or when the Windows folder cannot be had.
  char syswow64Path[kSyswow64PathSize] = {};
  WORD versionNumber = 0;  // major * 10 + minor as GetVersion reports it, at most 62
  int bitness = 0;         // 32 or 64; 32 without further test below version 6.0
  int wow64 = 0;           // the program runs under WOW64 (tested from version 6.0 on)
  int windows10 = 0;       // the system reports 10.0 (Windows 10 or 11; tested above version 6.0)
  int windows11 = 0;       // Windows 10 with a build number of 22000 or more in the registry
};

// The record, read-only outside DetectWindows; every field 0 (empty) before it.
extern const WindowsFacts &windowsFacts;

// Fills every fact. The build number's key is opened for full access, so a
// user without rights on Windows 11 is taken for Windows 10.
void DetectWindows();

// Empties the record again, as before DetectWindows.
void ResetWindowsFacts();
