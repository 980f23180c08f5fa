// Program-wide values that every subsystem reads: the run mode, the code page,
// the installation directory and the facts about Windows found at start. All
// live on the one thread for the whole process.
#pragma once

#include "platform/win32.h"

// 2 = interactive wizard, 3 = windowless run.
extern int runMode;
const int kRunModeWizard = 2;
const int kRunModeWindowless = 3;

// GetOEMCP at start; 950 selects the traditional-Chinese texts and modules.
extern int codePage;
const int kTraditionalCodePage = 950;

// The installation directory, always ending in a backslash (ComputeInstallDir).
const int kInstallDirSize = 200;
extern char installDir[kInstallDirSize];

// The installation directory an earlier installation recorded; empty if none.
const int kPreviousInstallRecordSize = 256;
extern char previousInstallRecord[kPreviousInstallRecordSize];

// Scratch holder of the system (or Windows) directory, filled right before use.
const int kSystemDirSize = 200;
extern char systemDirString[kSystemDirSize];

// The Windows directory followed by "\syswow64", set by Is64BitWindows.
const int kWin64PathSize = 200;
extern char win64Path[kWin64PathSize];

// Facts about Windows (Is64BitWindows, DetectWindowsVersion, DetectWindows10).
extern int osMajorVersion;
extern WORD versionNumber;  // major * 10 + minor as GetVersion reports it, at most 62
extern int bitness;         // 32 or 64
extern int wow64Flag;
extern int windows10Flag;
extern int windows11Flag;

// 1 = TSF interface, 0 = IME interface (the windowless run's value).
extern int interfaceChoice;
// 0 = Wubi edition, 1 = Pinyin edition.
extern int editionChoice;
// 1 once the wizard window exists; stays 0 in the windowless run.
extern BYTE wizardModeFlag;
