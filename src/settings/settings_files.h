// The small files the wizard leaves in the installation directory for the
// input method: the edition, the network-update settings, the user profile,
// the options of the input method's window and the time of installation.
// Each is written with the 16-bit file calls; a file that cannot be created
// is simply not written, and nothing is reported.
#pragma once

#include "platform/win32.h"

const int kNetworkRecordSize = 1000;
const int kNetworkTextOffset = 300;
const int kInputOptionsSize = 200;

struct SettingsRecords {
  // The network record: the update addresses (never filled) and the
  // composed settings text at offset 300.
  BYTE network[kNetworkRecordSize] = {};
  // The input-options record: 200 bytes of defaults, over which an earlier
  // installation's file is read. Bytes 8 (54) and 9, 10, 12, 15, 19, 22, 24,
  // 27, 36, 41, 42, 43, 54, 58 (1).
  BYTE inputOptions[kInputOptionsSize] = {0, 0, 0, 0, 0, 0, 0, 0, 54, 1, 1, 0, 1, 0, 0, 1, 0, 0, 0, 1,
                                          0, 0, 1, 0, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0,
                                          0, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 1};
};
extern SettingsRecords settingsRecords;
// Both records back to their start: the network record empty, the options
// their defaults.
void ResetSettingsRecords();

// Writes "wbpybz.voh" (the edition), "vorldat.dat" (the network record as it
// stands, before the text is composed), "vonetsj.dat" (the composed network
// text, no terminator) and "voyhgl0.dat" (the profile record, its value at
// 188 cleared), in the installation directory.
void WriteSettingsFiles();

// Unless the earlier data is to be restored (backup state 2), or the user's
// "voszsj43.voh" is kept in place (too large or empty for the backup): reads
// an earlier "voszsj43.voh" over the defaults, sets the bytes the code page,
// the edition and the window mode decide, and writes the 200 bytes back.
void WriteInputOptionsRecord();

// Writes "install.voh": the tick count as signed decimal text.
void WriteInstallStamp();
