// Program-wide values that every subsystem reads: the run mode, the user's
// choices and the wizard window. All live
// on the one thread for the whole process.
#pragma once

#include "platform/win32.h"

// 2 = interactive wizard, 3 = windowless run.
extern int runMode;
const int kRunModeWizard = 2;
const int kRunModeWindowless = 3;

// 1 = TSF interface, 0 = IME interface (the windowless run's value).
extern int interfaceChoice;
// 0 = Wubi edition, 1 = Pinyin edition.
extern int editionChoice;
// The wizard's screen: 0 intro, 1 profile, 6 ready, 7 installing, 8 and 9
// the finish on 64-bit Windows (2 to 5 are passed within one click).
extern int wizardState;

// The wizard window and its four edit fields, made at window creation:
// A focus field, B management password, C user name, D phone number.
extern HINSTANCE programInstance;
extern HWND mainWindow;
extern HWND editFieldA, editFieldB, editFieldC, editFieldD;

// 1 once the wizard window exists; stays 0 in the windowless run.
extern BYTE wizardModeFlag;

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
extern BYTE profileRecord[kProfileRecordSize];

// The input method's window, as the skin dialog leaves it: 1 double-line,
// 2 single-line, 3 double window, 4 Windows-like.
extern int windowModeChoice;
