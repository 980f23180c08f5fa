#include "ui/profile_screen.h"

#include "common/install_dir.h"
#include "common/plain_files.h"
#include "common/program_state.h"
#include "common/text_buffer.h"
#include "common/texts.h"

namespace {

const int kPhoneLimit = 14;
const int kNameLimit = 14;
const int kPasswordLimit = 10;
const int kPasswordLength = 6;

char *ProfileText(int offset) { return (char *)program.profileRecord + offset; }

// A field's text cut to the limit ends within a character, not inside one.
void ReadField(HWND field, int offset, int limit) {
  GetWindowTextA(field, ProfileText(offset), limit);
  DropLoneLeadByte(ProfileText(offset));
}

// The earlier file's field need not end within it: it is shown cut at the
// field's end, and within a character.
void ShowStoredField(HWND field, int offset, int size) {
  char text[kProfileZeroOffset - kProfilePhoneOffset];
  lstrcpynA(text, ProfileText(offset), size);
  DropLoneLeadByte(text);
  SetWindowTextA(field, text);
}

int IsDigits(const char *text) {
  for (; *text; ++text)
    if (*text < '0' || *text > '9') return 0;
  return 1;
}

}  // namespace

void LoadProfile() {
  char path[kInstallDirSize + 16];
  // Read as a plain file only: what a link there leads to would be shown
  // and then written back where every user can read it.
  HANDLE file = JoinPath(path, sizeof path, installDir, "voyhgl0.dat") ? OpenPlainFile(path, GENERIC_READ, NULL)
                                                                       : INVALID_HANDLE_VALUE;
  if (file == INVALID_HANDLE_VALUE) {
    SetWindowTextA(program.editFieldC, "");
    SetWindowTextA(program.editFieldD, "");
    SetWindowTextA(program.editFieldB, "");
    return;
  }
  DWORD read = 0;
  ReadFile(file, program.profileRecord, kProfileRecordSize, &read, NULL);
  CloseHandle(file);
  ShowStoredField(program.editFieldD, kProfilePhoneOffset, kProfileZeroOffset - kProfilePhoneOffset);
  ShowStoredField(program.editFieldC, kProfileNameOffset, kProfilePhoneOffset - kProfileNameOffset);
  SetWindowTextA(program.editFieldB, "");
}

void StoreProfileFields() {
  ReadField(program.editFieldD, kProfilePhoneOffset, kPhoneLimit);
  ReadField(program.editFieldC, kProfileNameOffset, kNameLimit);
  ReadField(program.editFieldB, kProfilePasswordOffset, kPasswordLimit);
}

const WCHAR *MissingProfileRequest() {
  if (!ValidatePhoneNumber(ProfileText(kProfilePhoneOffset))) return kPhoneNumberRequest;
  if (lstrlenA(ProfileText(kProfilePasswordOffset)) != kPasswordLength) return kPasswordRequest;
  return NULL;
}

int ValidatePhoneNumber(const char *text) {
  const int length = lstrlenA(text);
  if (length < 8 || length > 18) return 0;
  const int prefixed = text[0] == 'w' || text[0] == 'W';
  if (!IsDigits(text + prefixed)) return 0;
  if (prefixed) return length != 11;
  return (length == 11 && text[0] == '1') || length == 18;
}
