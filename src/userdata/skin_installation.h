// After the package is unpacked: its files checked against their digests,
// the skin and status-window mode the user picks in a small dialog, and the
// chosen skin unpacked from its archive.
#pragma once

#include "platform/win32.h"

struct SkinDialogState {
  // The dialog's choices while it is open, one flag per radio button.
  int modeFlags[4] = {};
  int skinFlags[3] = {};
  int skinChoice = 1;  // 1 "冷色瓷面", 2 "粉色瓷面", 3 "小天使"; set by the skin dialog
};
extern SkinDialogState skinDialog;
// No choice made, as at start.
void ResetSkinDialog();

// Checks the unpacked package (one message naming the files that differ),
// then, unless the kept earlier data brings a complete skin of its own, asks
// for the window mode and the skin, unpacks the chosen skin's archive and
// checks it (one message when it is missing or incomplete).
void InstallSkin();
// Unpacks the skin archive at `path` into the installation directory;
// nothing when it cannot be opened.
void ExtractSkinArchive(const char *path);
// 1 when the eight files of a skin are in the installation directory.
int SkinFilesPresent();
// The skin dialog: double window and the first skin offered, one choice of
// each kind at a time, left only through OK (Esc and the close box do
// nothing), which sets the window mode and the skin.
INT_PTR CALLBACK SkinDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
