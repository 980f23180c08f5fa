#include "userdata/skin_installation.h"

#include "common/install_dir.h"
#include "common/message_box.h"
#include "common/os_detection.h"
#include "common/plain_files.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "common/texts.h"
#include "package/archive_reader.h"
#include "package/archive_verifier.h"
#include "package/package_data.h"
#include "package/working_buffer.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"

SkinDialogState skinDialog;

namespace {

// Unpacked files the package check passes over: files the deployment
// renames, patches or removes on purpose, and the settings written later.
// morvak32.ime is among them: the TSF deployment removes it, and without it
// here every TSF installation would be told its package was incomplete.
const char kExemptFiles[] =
    "voszsj43.voh vorlcyzk.bak vorlkelt.exe vorlkel6.exe csrf732.dll csrf764.dll vosrf10.dll vosrf610.dll "
    "vorlsrf.dll vorlsrf6.dll vorl320.ime vorl321.ime vorl640.ime vorl641.ime morvak4.ime morvak64.ime  "
    "setupw64.exe morvak32.ime";

// The skins' archives, named in GBK on every code page as in the package.
const char *const kSkinArchives[] = {"冷色瓷面.voz", "粉色瓷面.voz", "小天使.voz"};

const int kModeButtons[] = {101, 102, 106, 107};  // double-line, single-line, double window, Windows-like
const int kSkinButtons[] = {110, 111, 112};
const int kOkButton = 105;

// A path that does not fit stays empty, and names no file.
void InstalledPath(char *path, int size, const char *name) { JoinPath(path, size, installDir, name); }

char *Text(BufferRegion region) { return (char *)region.bytes; }

void ShowFailures(BufferRegion text, const char *closing) {
  AppendText(Text(text), (int)text.size, "\r\n\r\n");
  AppendText(Text(text), (int)text.size, closing);
  ShowFailure(Text(text), kProductCaption);
}

// The package's files against their digests; the failure text stays in its
// region (empty when all passed).
void CheckPackageFiles() {
  const BufferRegion exempt = WorkingBufferRegion(kPackageCheckExempt);
  const BufferRegion failures = WorkingBufferRegion(kPackageCheckFailures);
  CopyText(Text(exempt), (int)exempt.size, kExemptFiles);
  AppendText(Text(exempt), (int)exempt.size, " ");
  AppendText(Text(exempt), (int)exempt.size, KeptInPlaceNames());
  VerifyArchive(carriedPackage.data, carriedPackage.size, Text(failures), (int)failures.size, Text(exempt));
  if (Text(failures)[0] != '\0') ShowFailures(failures, kPackageFilesFailedLine);
}

// The package check's failure text, if any, and the line that the skin's
// files did not come, in one message.
void ShowSkinMissing() {
  const BufferRegion failures = WorkingBufferRegion(kPackageCheckFailures);
  AppendText(Text(failures), (int)failures.size, kSkinFilesFailedLine);
  ShowFailure(Text(failures), kProductCaption);
}

// Reads the open skin archive into its region, at most the region's size,
// and closes it; the number of bytes read (0 when the read fails).
DWORD ReadSkinArchive(HANDLE file) {
  const BufferRegion archive = WorkingBufferRegion(kSkinArchive);
  DWORD read = 0;
  if (!ReadFile(file, archive.bytes, archive.size, &read, NULL)) read = 0;
  CloseHandle(file);
  return read;
}

void UnpackSkinArchive(DWORD length) {
  const BufferRegion scratch = WorkingBufferRegion(kSkinUnpackScratch);
  ExtractArchive(WorkingBufferRegion(kSkinArchive).bytes, length, scratch.bytes, scratch.size, NULL);
}

void CheckSkinFiles(DWORD length) {
  const BufferRegion exempt = SkinCheckExempt(length);
  const BufferRegion failures = SkinCheckFailures(length);
  Text(exempt)[0] = '\0';
  VerifyArchive(WorkingBufferRegion(kSkinArchive).bytes, length, Text(failures), (int)failures.size, Text(exempt));
  if (Text(failures)[0] != '\0') ShowFailures(failures, kSkinFilesFailedLine);
}

int FirstSet(const int *flags, int count) {
  for (int i = 0; i < count; ++i)
    if (flags[i]) return i + 1;
  return 1;
}

void ShowDialogChoices(HWND dialog) {
  for (int i = 0; i < 4; ++i) SendDlgItemMessageA(dialog, kModeButtons[i], BM_SETCHECK, skinDialog.modeFlags[i], 0);
  for (int i = 0; i < 3; ++i) SendDlgItemMessageA(dialog, kSkinButtons[i], BM_SETCHECK, skinDialog.skinFlags[i], 0);
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
  GetWindowRect(program.mainWindow, &wizard);
  SetWindowPos(dialog, NULL, wizard.left, wizard.top, 0, 0, SWP_NOSIZE);
}

}  // namespace

void ResetSkinDialog() { skinDialog = SkinDialogState(); }

INT_PTR CALLBACK SkinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    PlaceOverWizard(dialog);
    ChooseAmong(skinDialog.modeFlags, kModeButtons, 4, 106);
    ChooseAmong(skinDialog.skinFlags, kSkinButtons, 3, 110);
  } else if (message == WM_COMMAND) {
    const int id = LOWORD(wParam);
    if (id == kOkButton) {
      // Window modes are numbered in the order of their buttons.
      program.windowModeChoice = FirstSet(skinDialog.modeFlags, 4);
      skinDialog.skinChoice = FirstSet(skinDialog.skinFlags, 3);
      EndDialog(dialog, 0);
      return TRUE;
    }
    if (!ChooseAmong(skinDialog.modeFlags, kModeButtons, 4, id) &&
        !ChooseAmong(skinDialog.skinFlags, kSkinButtons, 3, id))
      return FALSE;
  } else {
    return FALSE;
  }
  ShowDialogChoices(dialog);
  return FALSE;
}

void ExtractSkinArchive(const char *path) {
  HANDLE file = OpenPlainFile(path, GENERIC_READ, NULL);
  if (file != INVALID_HANDLE_VALUE) UnpackSkinArchive(ReadSkinArchive(file));
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
  if (!HaveWorkingBuffer()) return;
  CheckPackageFiles();
  if (userDataBackup.state == 2 && SkinFilesPresent()) return;
  program.windowModeChoice = 1;
  skinDialog.skinChoice = 1;
  const char *dialog = windowsFacts.codePage == kTraditionalCodePage ? "PYKEYB" : "PYKEY";
  DialogBoxParamA(program.programInstance, dialog, program.mainWindow, SkinDialogProc, 0);
  char path[MAX_PATH];
  const int skin = skinDialog.skinChoice;
  InstalledPath(path, sizeof path, kSkinArchives[skin >= 2 && skin <= 3 ? skin - 1 : 0]);
  // Nothing is read into the archive's region before the archive has opened:
  // until then the region holds the package check's failure text, which the
  // message of a missing archive goes on.
  HANDLE file = OpenPlainFile(path, GENERIC_READ, NULL);
  if (file == INVALID_HANDLE_VALUE) {
    ShowSkinMissing();
    return;
  }
  const DWORD length = ReadSkinArchive(file);
  UnpackSkinArchive(length);
  CheckSkinFiles(length);
  char from[MAX_PATH], to[MAX_PATH];
  InstalledPath(from, sizeof from, "vobmps44.bmp");
  InstalledPath(to, sizeof to, "vobmpsx4.bmp");
  CopyPlainFile(from, to);
}
