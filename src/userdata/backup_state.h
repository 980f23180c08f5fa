// Whether the user's earlier data was backed up, whether to keep it, and
// whether the backup is the only copy of it left.
#pragma once

#include "platform/win32.h"

// A backup: the folder it lies in, ending in a backslash, its length and the
// 32 hex digits of its MD5. A restore takes only a backup that still has
// them. Once pending, also the folder the package is unpacked into, where
// the data is to come back.
struct BackupRecord {
  char folder[256];
  DWORD size;
  char digest[33];
  char target[256];
};

struct UserDataBackup {
  // 0 no backup, 1 backed up before unpacking, 2 backed up and to be kept
  // (the user's Yes, or the windowless run, which keeps it without asking).
  int state = 0;
  BackupRecord made = {};  // the backup this run made (BackupUserData)
};
extern UserDataBackup userDataBackup;
// No backup made, as at start.
void ResetUserDataBackup();

// After the package unpacked completely, when a backup was made (state 1):
// asks whether to keep the earlier data, naming the installation directory
// when the earlier installation was recorded elsewhere; Yes gives state 2.
// No lets the backup go: the user chose the fresh files over it. The
// windowless run keeps the data without asking.
void AskToKeepEarlierData();

// From the moment the record of the installation directory names the new
// folder, before the package is unpacked over the user's files, until the
// backup is restored and checked (or the user lets it go), the backup is the
// only copy of their data, or the only way to where it is. That state, with the backup's folder, length and
// digest, is kept as "vorlback.pnd" in the Windows directory, where only
// administrators write: nothing in the folder the backup lies in, which
// every user may write, can make a later run take a backup for pending.
// Marking needs a backup made in this run; each is a no-op without.
void MarkBackupPending();
void ClearBackupPending();
// 1 and `record` filled when a backup is pending.
int ReadPendingBackup(BackupRecord *record);

// A backup still pending from an earlier run names the folder its run
// unpacked into, where the user's data is to come back and the user has
// worked since: that folder, while it is there, is the earlier
// installation's, whatever the record of the installation directory names.
// A run that died before it made that folder unpacked nothing: then the
// backup's own folder is the earlier installation's.
void PreferPendingBackupFolder();

// 1 when the folder a pending backup names is there as itself: not gone,
// and not replaced by a link to somewhere else.
int FolderStillThere(const char *folder);
