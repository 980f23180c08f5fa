// Program-wide values of the program's flow that every subsystem reads: the
// run mode, the user's choices and profile, and the wizard window. All live
// on the one thread for the whole process, in one record whose reset puts
// every one of them back to its start.
#pragma once

#include "common/program_flow.h"
#include "platform/win32.h"

const int kRunModeWizard = 2;
const int kRunModeWindowless = 3;

// The user profile: filled by the profile screen over the bytes of the
// earlier installation's file, written by the settings files.
//   0   50 bytes  user name, zero-ended, at most 13 bytes of text
//   50  138 bytes phone number, zero-ended, at most 13 bytes of text
//   188 4 bytes   always written as 0
//   192 200 bytes kept as loaded
//   392 100 bytes management password, zero-ended, at most 9 bytes of text
const int kProfileRecordSize = 492;
const int kProfileNameOffset = 0;
const int kProfilePhoneOffset = 50;
const int kProfileZeroOffset = 188;
const int kProfilePasswordOffset = 392;

struct ProgramState {
  int runMode = kRunModeWizard;  // 2 = interactive wizard, 3 = windowless run
  int interfaceChoice = 0;       // 1 = TSF interface, 0 = IME interface (the windowless run's value)
  int editionChoice = 0;         // 0 = Wubi edition, 1 = Pinyin edition
  // The wizard's screen, one of the states program_flow.h names.
  int wizardState = kWizardIntro;
  // The wizard window and its four edit fields, made at window creation:
  // A focus field, B management password, C user name, D phone number.
  HINSTANCE programInstance = NULL;
  HWND mainWindow = NULL;
  HWND editFieldA = NULL, editFieldB = NULL, editFieldC = NULL, editFieldD = NULL;
  BYTE wizardModeFlag = 0;  // 1 once the wizard window exists; stays 0 in the windowless run
  BYTE profileRecord[kProfileRecordSize] = {};
  // The input method's window, as the skin dialog leaves it: 1 double-line,
  // 2 single-line, 3 double window, 4 Windows-like.
  int windowModeChoice = 3;
};
extern ProgramState program;

// Every value back to its start.
void ResetProgramValues();
