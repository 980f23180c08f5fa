// The check after an interactive installation: whether the installation
// directory looks complete, and one message that names the first thing found
// missing and tells the user to download the installer again.
#pragma once

#include "platform/win32.h"

// What ScanInstallDir found in the installation directory. Each count wraps
// at 256; the report compares their sum.
struct InstallDirScan {
  BYTE textFiles;        // names containing ".txt", in any case
  BYTE dictionaryFiles;  // other names containing ".voh"
  BYTE otherFiles;
  // 1 if the listing gave any entry, plus 10 if the directory can be
  // entered, plus 3 if its attributes are the directory bit alone.
  BYTE directoryFlag;
};
extern InstallDirScan installDirScan;
// Nothing counted, as at start.
void ResetInstallDirScan();

// A probed file is present when it opened and gave its first 20 bytes.
const int kProbeSize = 20;
const int kProbeFilePresent = kProbeSize * 256;

// Checks the installation directory: at least 74 files, the Wubi and the
// Pinyin dictionary (each as .voh, .bak or .dat), the module of the chosen
// interface and, on Windows 10 and later, full access for application
// packages. At the first failure shows one message (heading, the failure,
// the advice to download again, and the check codes for a report to
// support) and returns 1. Returns 0 when everything passed, and also when
// its working memory cannot be had (then nothing is checked).
int ShowInstallReport();

// Counts the files of the installation directory into installDirScan; "."
// and ".." and subdirectories are not counted. The current directory is the
// same afterwards (the scan enters each entry to tell a subdirectory).
void ScanInstallDir();

// Opens the file `name` in the installation directory and reads up to
// kProbeSize bytes into `buffer`. Returns the bytes read (-1 for a read
// error) times 256 plus the last error when fewer than kProbeSize came, so
// kProbeFilePresent means present; a file that does not open gives its
// system error code (2 for a missing file).
int ProbeInstalledFile(const char *name, BYTE *buffer);
