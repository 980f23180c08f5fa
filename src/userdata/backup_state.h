// Whether the user's earlier data was backed up, whether to keep it, and
// whether the backup is the only copy of it left.
#pragma once

// 0 no backup, 1 backed up at window creation, 2 backed up and the user chose
// to keep the data. Set by the backup; 0 in the windowless run.
extern int backupState;

// After the package unpacked completely, when a backup was made (state 1):
// asks whether to keep the earlier data, naming the installation directory
// when the earlier installation was recorded elsewhere; Yes gives state 2.
// No lets the backup go: the user chose the fresh files over it.
void AskToKeepEarlierData();

// The backup lies in the earlier installation's directory, beside a marker
// that says the package is about to be (or was) unpacked over the user's
// files there. Until the backup is restored and checked, or the user lets
// it go, it is the only copy of their data, and no later run rebuilds it.
// Each is a no-op without an earlier installation recorded.
void MarkBackupPending();
void ClearBackupPending();
// 1 when the marker is there.
int BackupIsPending();
