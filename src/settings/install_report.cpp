#include "settings/install_report.h"

#include <string.h>

#include "common/command_line.h"
#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "security/command_capture.h"

InstallDirScan installDirScan;

namespace {

// The working block and its regions: the message, the check codes, room to
// format one code, and the bytes a probe reads.
const SIZE_T kReportBlockSize = 0x10F00;
const int kCodeListOffset = 2000;
const int kScratchOffset = 4000;
const int kProbeOffset = 6000;
const int kReportTextSize = kCodeListOffset;
const int kCodeListSize = kScratchOffset - kCodeListOffset;

// Fewer entries than a complete installation leaves means files are missing.
const int kMinimumEntries = 74;

struct ReportRegions {
  char *text;
  char *codes;
  char *scratch;
  BYTE *probe;
};

const char *const kWubiDictionaries[] = {"vorlcyzk.voh", "vorlcyzk.bak", "vorlcyzk.dat"};
const char *const kPinyinDictionaries[] = {"vorlpyck.voh", "vorlpyck.bak", "vorlpyck.dat"};

// A path that does not fit stays empty, and names no file.
void InstallPath(char *path, int size, const char *name) { JoinPath(path, size, installDir, name); }

void CountEntry(const char *name) {
  if (!strcmp(name, ".") || !strcmp(name, "..")) return;
  char path[kInstallDirSize + MAX_PATH];
  InstallPath(path, sizeof path, name);
  // Only a subdirectory can be entered.
  if (SetCurrentDirectoryA(path)) return;
  if (ContainsCommandWord(name, ".txt"))
    ++installDirScan.textFiles;
  else if (ContainsCommandWord(name, ".voh"))
    ++installDirScan.dictionaryFiles;
  else
    ++installDirScan.otherFiles;
}

// 1 if the listing gave any entry, 0 if it failed at once.
int CountEntries() {
  char pattern[kInstallDirSize + 4];
  InstallPath(pattern, sizeof pattern, "*.*");
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(pattern, &found);
  if (search == INVALID_HANDLE_VALUE) return 0;
  do CountEntry(found.cFileName);
  while (FindNextFileA(search, &found));
  FindClose(search);
  return 1;
}

BYTE DirectoryFlag(int listed) {
  int flag = listed;
  if (SetCurrentDirectoryA(installDir)) flag += 10;
  if (GetFileAttributesA(installDir) == FILE_ATTRIBUTE_DIRECTORY) flag += 3;
  return (BYTE)flag;
}

// Appends one check code, formatted with one value, to the code list.
void AddCode(const ReportRegions *regions, const char *format, int value) {
  wsprintfA(regions->scratch, format, value);
  AppendText(regions->codes, kCodeListSize, regions->scratch);
}

// The value of the first of the three names that is present, else the
// value of the last one tried.
int ProbeAnyOf(const char *const names[3], BYTE *buffer) {
  int value = 0;
  for (int i = 0; i < 3 && value != kProbeFilePresent; ++i) value = ProbeInstalledFile(names[i], buffer);
  return value;
}

int FilePasses(const ReportRegions *regions, const char *codeFormat, int value) {
  AddCode(regions, codeFormat, value);
  return value == kProbeFilePresent;
}

// The conclusion of the first check that fails, or null when all pass.
const char *FirstFailedCheck(const ReportRegions *regions) {
  ScanInstallDir();
  const int entries = installDirScan.textFiles + installDirScan.dictionaryFiles + installDirScan.otherFiles;
  // The directory comes from ComputeInstallDir and is far shorter than the scratch area.
  wsprintfA(regions->scratch, "path--%s--%d;", installDir, installDirScan.directoryFlag);
  AppendText(regions->codes, kCodeListSize, regions->scratch);
  AddCode(regions, "F--%d;", entries);
  if (entries < kMinimumEntries) return kReportTooFewFiles;
  if (!FilePasses(regions, "FR1--%x;", ProbeAnyOf(kWubiDictionaries, regions->probe))) return kReportNoWubiDictionary;
  if (!FilePasses(regions, "FR2--%x;", ProbeAnyOf(kPinyinDictionaries, regions->probe)))
    return kReportNoPinyinDictionary;
  const char *module = program.interfaceChoice == 1 ? "vorlsrf6.dll" : "morvak4.ime";
  if (!FilePasses(regions, "FR3--%x;", ProbeInstalledFile(module, regions->probe))) return kReportModuleMissing;
  // Before Windows 10 the input method works without that access.
  if (!AppPackagesHaveFullAccess() && windowsFacts.windows10 == 1) return kReportDirectoryAccess;
  return NULL;
}

// The message ends with the check codes, so that what a user copies into a
// request for help says which check failed and what the files gave.
void ShowFailedCheck(const ReportRegions *regions, const char *conclusion) {
  const char *const parts[] = {kReportHeading, "\r\n\r\n", kReportLeadIn, conclusion, "\r\n\r\n",
                               kReportAdvice,  "\r\n\r\n", regions->codes};
  CopyText(regions->text, kReportTextSize, "");
  for (const char *part : parts) AppendText(regions->text, kReportTextSize, part);
  ShowFailure(regions->text, kProductCaption);
}

}  // namespace

int ShowInstallReport() {
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, kReportBlockSize);
  if (!memory) return 0;
  char *block = (char *)GlobalLock(memory);
  if (!block) {
    GlobalFree(memory);
    return 0;
  }
  const ReportRegions regions = {block, block + kCodeListOffset, block + kScratchOffset,
                                 (BYTE *)block + kProbeOffset};
  regions.codes[0] = '\0';
  const char *conclusion = FirstFailedCheck(&regions);
  if (conclusion) ShowFailedCheck(&regions, conclusion);
  GlobalUnlock(memory);
  GlobalFree(memory);
  return conclusion != NULL;
}

void ResetInstallDirScan() { installDirScan = InstallDirScan(); }

void ScanInstallDir() {
  char previous[MAX_PATH];
  const DWORD kept = GetCurrentDirectoryA(sizeof previous, previous);
  ResetInstallDirScan();
  installDirScan.directoryFlag = DirectoryFlag(CountEntries());
  if (kept > 0 && kept < sizeof previous) SetCurrentDirectoryA(previous);
}

int ProbeInstalledFile(const char *name, BYTE *buffer) {
  char path[kInstallDirSize + MAX_PATH];
  InstallPath(path, sizeof path, name);
  HFILE file = _lopen(path, OF_READ);
  if (file == HFILE_ERROR) return (int)GetLastError();
  const int read = (int)_lread(file, buffer, kProbeSize);
  const int error = read < kProbeSize ? (int)GetLastError() : 0;
  _lclose(file);
  return read * 256 + error;
}
