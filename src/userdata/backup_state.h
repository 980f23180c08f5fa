// Whether the user's earlier data was backed up, and whether to keep it.
#pragma once

// 0 no backup, 1 backed up at window creation, 2 backed up and the user chose
// to keep the data. Set by the backup; 0 in the windowless run.
extern int backupState;

// After the package unpacked completely, when a backup was made (state 1):
// asks whether to keep the earlier data, naming the installation directory
// when the earlier installation was recorded elsewhere; Yes gives state 2.
void AskToKeepEarlierData();
