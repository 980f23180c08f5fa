#include "shell/profile_step.h"

#include "common/program_flow.h"
#include "common/program_state.h"
#include "common/texts.h"
#include "platform/win32.h"
#include "settings/settings_files.h"
#include "ui/profile_screen.h"

namespace {

// A failed check keeps the profile screen.
void RejectProfile(const WCHAR *request) {
  if (program.wizardState > kWizardIntro) MessageBoxW(NULL, request, kSetupCaptionW, MB_OK);
  program.wizardState = kWizardProfile;
  InvalidateRect(program.mainWindow, NULL, FALSE);
}

void CloseField(HWND field) {
  ShowWindow(field, SW_HIDE);
  DestroyWindow(field);
}

// From the profile screen on to the install screen.
void LeaveProfileScreen() {
  CloseField(program.editFieldB);
  CloseField(program.editFieldC);
  CloseField(program.editFieldD);
  program.wizardState = kWizardLeavingProfile;
  ShowWindow(program.editFieldA, SW_HIDE);
  ShowWindow(program.editFieldA, SW_SHOW);
  InvalidateRect(program.mainWindow, NULL, FALSE);
  WriteSettingsFiles();
  program.wizardState = kWizardReady;
}

}  // namespace

void ConfirmProfile() {
  StoreProfileFields();
  const WCHAR *request = program.wizardModeFlag == 0 ? MissingProfileRequest() : NULL;
  if (request) {
    RejectProfile(request);
    return;
  }
  ++program.wizardState;
  if (program.wizardState >= kWizardProfileConfirmed) LeaveProfileScreen();
}
