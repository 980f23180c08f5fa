// The interactive installation from the confirm click on: the checks that
// may stop it, the install driver, the steps after it, and its two endings
// (at once, or after a short timer on 64-bit Windows with the IME).
#pragma once

#include "platform/win32.h"

// The timer that finishes a 64-bit IME installation.
const UINT_PTR kFinishTimer = 2;

// Runs the installation (wizard state 7 throughout). It returns to state 6
// when programs hold the input method, leaves state 8 with the finish timer
// running, or ends the program by posting WM_DESTROY to `window`. A crash
// inside it shows the stage code and ends the process at once.
void RunConfirmSequence(HWND window);
// The ending: the install report, the final check of the text-service
// files, the completion message when no failure was shown, and WM_DESTROY
// posted to `window`.
void RunEnding(HWND window);
// The finish timer's work: the 32-bit module copied once more and checked,
// the final check, the completion message when no failure was shown, and
// WM_DESTROY posted. It runs without the crash guard.
void CompleteFinishTimer(HWND window);
