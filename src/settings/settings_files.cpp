#include "settings/settings_files.h"

#include "common/install_dir.h"
#include "common/os_detection.h"
#include "common/plain_files.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "userdata/backup_state.h"
#include "userdata/user_data_backup.h"

SettingsRecords settingsRecords;

namespace {

const int kPathSize = kInstallDirSize + 16;
const int kFirstAddressOffset = 100;
const int kSecondAddressOffset = 200;


// Each file is written whole and put in place (ReplacePlainFile): every user
// may write the folder, and a link or second name planted under the name
// must not take the bytes elsewhere; a crash leaves the old file or the new.
void WriteBytes(const char *name, const void *bytes, UINT length) {
  char path[kPathSize];
  if (JoinPath(path, sizeof path, installDir, name)) ReplacePlainFile(path, bytes, length);
}

void WriteEdition() {
  // Ten characters and their terminator.
  WriteBytes("wbpybz.voh", program.editionChoice == 1 ? "VOWBPYBZ=1" : "VOWBPYBZ=0", 11);
}

// The update addresses are never filled; the lines say how often to look.
void ComposeNetworkText() {
  char *text = (char *)settingsRecords.network + kNetworkTextOffset;
  const int size = kNetworkRecordSize - kNetworkTextOffset;
  CopyText(text, size, "VONETURL1=");
  AppendText(text, size, (const char *)settingsRecords.network + kFirstAddressOffset);
  AppendText(text, size, "\r\nVONETURL2=");
  AppendText(text, size, (const char *)settingsRecords.network + kSecondAddressOffset);
  static const char *const kLines[] = {"\r\nVONETTIME=1", "\r\nVOBJTIME=7",   "\r\nVOWYTIME=3",
                                       "\r\nVOSJOFF=0",   "\r\nVONETTIME0=0", "\r\nVOBJTIME0=0",
                                       "\r\n",            "VONEONE=1",        "\r\n"};
  for (const char *line : kLines) AppendText(text, size, line);
}

void WriteProfile() {
  ZeroMemory(program.profileRecord + kProfileZeroOffset, 4);
  WriteBytes("voyhgl0.dat", program.profileRecord, kProfileRecordSize);
}

void ReadEarlierOptions(const char *path) {
  HANDLE file = OpenPlainFile(path, GENERIC_READ, NULL);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD read = 0;
  ReadFile(file, settingsRecords.inputOptions, kInputOptionsSize, &read, NULL);
  CloseHandle(file);
}

void SetEditionOptions() {
  BYTE *o = settingsRecords.inputOptions;
  o[19] = 1, o[22] = 0, o[25] = 1;
  ZeroMemory(o + 27, 9);
  o[54] = 0, o[64] = 1;
  ZeroMemory(o + 66, 4);
  o[36] = 0, o[42] = 1, o[70] = 1, o[72] = 1, o[75] = 0, o[80] = 10;
}

void SetWindowModeOptions() {
  BYTE *o = settingsRecords.inputOptions;
  switch (program.windowModeChoice) {
    case 2:
      o[0] = 1, o[21] = 0;
      break;
    case 3:
      o[0] = 4, o[21] = 1;
      break;
    case 4:
      o[0] = 3, o[21] = 1;
      break;
    default:
      o[0] = 0, o[21] = 0;
  }
}

void SetOptions() {
  BYTE *o = settingsRecords.inputOptions;
  if (windowsFacts.codePage == kTraditionalCodePage) o[15] = 1;
  o[78] = 6, o[91] = 0, o[62] = 0, o[63] = 0, o[1] = 1, o[43] = 1, o[54] = 0, o[36] = 1, o[27] = 0, o[25] = 0;
  if (program.editionChoice == 1) SetEditionOptions();
  SetWindowModeOptions();
}

}  // namespace

void ResetSettingsRecords() { settingsRecords = SettingsRecords(); }

void WriteSettingsFiles() {
  WriteEdition();
  WriteBytes("vorldat.dat", settingsRecords.network, kNetworkRecordSize);
  ComposeNetworkText();
  const char *text = (const char *)settingsRecords.network + kNetworkTextOffset;
  WriteBytes("vonetsj.dat", text, (UINT)lstrlenA(text));
  WriteProfile();
}

void WriteInputOptionsRecord() {
  // Kept data comes back later, and an options file the backup could not
  // carry stays as the user has it.
  if (userDataBackup.state == 2 || !UnpackTakes(installDir, "voszsj43.voh")) return;
  char path[kPathSize];
  if (JoinPath(path, sizeof path, installDir, "voszsj43.voh")) ReadEarlierOptions(path);
  SetOptions();
  WriteBytes("voszsj43.voh", settingsRecords.inputOptions, kInputOptionsSize);
}

void WriteInstallStamp() {
  char text[16];
  wsprintfA(text, "%d", (int)GetTickCount());
  WriteBytes("install.voh", text, (UINT)lstrlenA(text));
}
