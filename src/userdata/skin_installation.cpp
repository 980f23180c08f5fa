#include "userdata/skin_installation.h"

#include "common/os_detection.h"
#include "common/install_dir.h"
#include "common/plain_files.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/archive_reader.h"
#include "package/archive_verifier.h"
#include "package/package_data.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"

int skinChoice = 1;

namespace {

// Unpacked files the package check passes over: files the deployment
// renames, patches or removes on purpose, and the settings written later.
// morvak32.ime is among them: the TSF deployment removes it, and without it
// here every TSF installation would be told its package was incomplete.
const char kExemptFiles[] =
    "voszsj43.voh vorlcyzk.bak vorlkelt.exe vorlkel6.exe csrf732.dll csrf764.dll vosrf10.dll vosrf610.dll "
    "vorlsrf.dll vorlsrf6.dll vorl320.ime vorl321.ime vorl640.ime vorl641.ime morvak4.ime morvak64.ime  "
    "setupw64.exe morvak32.ime";

const DWORD kFailureTextOffset = 0x1000;
const DWORD kSkinArchiveLimit = 0x20000;
const DWORD kSkinScratchOffset = 0x20000;
// Where the skin check puts its exempt list and failure text behind the
// skin archive's bytes.
const DWORD kSkinExemptGap = 6;
const DWORD kSkinFailureGap = 20;

// The skins' archives, named in GBK on every code page as in the package.
const char *const kSkinArchives[] = {"冷色瓷面.voz", "粉色瓷面.voz", "小天使.voz"};

const int kModeButtons[] = {101, 102, 106, 107};  // double-line, single-line, double window, Windows-like
const int kSkinButtons[] = {110, 111, 112};
const int kOkButton = 105;

// The dialog's choices while it is open, one flag per radio button.
int modeFlags[4];
int skinFlags[3];

// A path that does not fit stays empty, and names no file.
void InstalledPath(char *path, int size, const char *name) { JoinPath(path, size, installDir, name); }

void ShowFailures(char *text, int size, const char *closing) {
  AppendText(text, size, "\r\n\r\n");
  AppendText(text, size, closing);
  MessageBoxA(NULL, text, kProductCaption, MB_OK);
}

// The package's files against their digests; returns the failure text (in
// the working buffer, empty when all passed).
char *CheckPackageFiles() {
  char *exempt = (char *)workingBuffer;
  char *failures = (char *)workingBuffer + kFailureTextOffset;
  const int failureSize = (int)(kSkinArchiveLimit - kFailureTextOffset);
  CopyText(exempt, (int)kFailureTextOffset, kExemptFiles);
  AppendText(exempt, (int)kFailureTextOffset, " ");
  AppendText(exempt, (int)kFailureTextOffset, KeptInPlaceNames());
  VerifyArchive(packageData, packageSize, failures, failureSize, exempt);
  if (failures[0] != '\0') ShowFailures(failures, failureSize, kPackageFilesFailedLine);
  return failures;
}

// Reads at most the skin archive limit into the working buffer; -1 when the
// file does not open.
int ReadSkinArchive(const char *path) {
  HANDLE file = OpenPlainFile(path, GENERIC_READ, NULL);
  if (file == INVALID_HANDLE_VALUE) return -1;
  DWORD read = 0;
  if (!ReadFile(file, workingBuffer, kSkinArchiveLimit, &read, NULL)) read = 0;
  CloseHandle(file);
  return (int)read;
}

void CheckSkinFiles(DWORD length) {
  char *exempt = (char *)workingBuffer + length + kSkinExemptGap;
  char *failures = (char *)workingBuffer + length + kSkinFailureGap;
  const int failureSize = (int)(kWorkingBufferSize - length - kSkinFailureGap);
  exempt[0] = '\0';
  VerifyArchive(workingBuffer, length, failures, failureSize, exempt);
  if (failures[0] != '\0') ShowFailures(failures, failureSize, kSkinFilesFailedLine);
}

int FirstSet(const int *flags, int count) {
  for (int i = 0; i < count; ++i)
    if (flags[i]) return i + 1;
  return 1;
}

void ShowDialogChoices(HWND dialog) {
  for (int i = 0; i < 4; ++i) SendDlgItemMessageA(dialog, kModeButtons[i], BM_SETCHECK, modeFlags[i], 0);
  for (int i = 0; i < 3; ++i) SendDlgItemMessageA(dialog, kSkinButtons[i], BM_SETCHECK, skinFlags[i], 0);
}

// Sets the flag of the button `id` among `buttons` and clears the others;
// 0 when `id` is not one of them.
int ChooseAmong(int *flags, const int *buttons, int count, int id) {
  int found = 0;
  for (int i = 0; i < count; ++i) found |= buttons[i] == id;
  if (!found) return 0;
  for (int i = 0; i < count; ++i) flags[i] = buttons[i] == id;
  return 1;
}

void PlaceOverWizard(HWND dialog) {
  RECT wizard;
  GetWindowRect(mainWindow, &wizard);
  SetWindowPos(dialog, NULL, wizard.left, wizard.top, 0, 0, SWP_NOSIZE);
}

}  // namespace

INT_PTR CALLBACK SkinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    PlaceOverWizard(dialog);
    ChooseAmong(modeFlags, kModeButtons, 4, 106);
    ChooseAmong(skinFlags, kSkinButtons, 3, 110);
  } else if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == kOkButton) {
      // Window modes are numbered in the order of their buttons.
      windowModeChoice = FirstSet(modeFlags, 4);
      skinChoice = FirstSet(skinFlags, 3);
      EndDialog(dialog, 0);
      return TRUE;
    }
    if (!ChooseAmong(modeFlags, kModeButtons, 4, id) && !ChooseAmong(skinFlags, kSkinButtons, 3, id)) return FALSE;
  } else {
    return FALSE;
  }
  ShowDialogChoices(dialog);
  return FALSE;
}

void ExtractSkinArchive(const char *path) {
  const int length = ReadSkinArchive(path);
  if (length < 0) return;
  ExtractArchive(workingBuffer, (DWORD)length, workingBuffer + kSkinScratchOffset,
                 kWorkingBufferSize - kSkinScratchOffset, NULL);
}

int SkinFilesPresent() {
  for (int number = 0; number <= 7; ++number) {
    char name[16], path[MAX_PATH];
    if (number == 0) CopyText(name, sizeof name, "vobmp8.voh");
    else wsprintfA(name, "vobmpsx%d.bmp", number);
    InstalledPath(path, sizeof path, name);
    HFILE file = _lopen(path, OF_READ);
    if (file == HFILE_ERROR) return 0;
    _lclose(file);
  }
  return 1;
}

void InstallSkin() {
  if (!workingBuffer) return;
  char *failures = CheckPackageFiles();
  if (backupState == 2 && SkinFilesPresent()) return;
  windowModeChoice = 1;
  skinChoice = 1;
  const char *dialog = windowsFacts.codePage == kTraditionalCodePage ? "PYKEYB" : "PYKEY";
  DialogBoxParamA(programInstance, dialog, mainWindow, SkinDialogProc, 0);
  char path[MAX_PATH];
  InstalledPath(path, sizeof path, kSkinArchives[skinChoice >= 2 && skinChoice <= 3 ? skinChoice - 1 : 0]);
  ExtractSkinArchive(path);
  const int length = ReadSkinArchive(path);
  if (length < 0) {
    const int failureSize = (int)(kSkinArchiveLimit - kFailureTextOffset);
    AppendText(failures, failureSize, kSkinFilesFailedLine);
    MessageBoxA(NULL, failures, kProductCaption, MB_OK);
    return;
  }
  CheckSkinFiles((DWORD)length);
  char from[MAX_PATH], to[MAX_PATH];
  InstalledPath(from, sizeof from, "vobmps44.bmp");
  InstalledPath(to, sizeof to, "vobmpsx4.bmp");
  CopyPlainFile(from, to);
}
