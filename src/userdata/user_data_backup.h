// Saving the user's dictionaries, phrase lists and settings of the earlier
// installation into one archive, "vorlback.voz", in that installation's
// directory, right before the package's defaults are unpacked over them.
#pragma once

enum BackupResult {
  kNothingToBackUp,  // no earlier installation's data found (only the package's own files), or its folder is a link
  kBackedUp,         // every file of the user's that can be carried is in the archive
  kBackupImpossible, // a file of the user's could not be copied: nothing may be unpacked over it
};

// Writes a pending backup of an earlier run back where the files it holds
// were overwritten (RecoverPendingBackup), then archives every one of the
// user's files the earlier installation has, whatever else is missing. The
// earlier installation is the one the record names, or without a record of
// a folder that is there, the user's files in the installation directory
// itself. A ".bak" copy already there (left by a restore the input method
// has not merged yet) is the user's data and is archived as it is. A file
// or copy the archive cannot carry (empty, or larger than an entry the
// installer can unpack) is not read but kept in place: the unpack passes
// over it. The
// archive is built under a name of its own and put in place whole; its
// folder, length and digest are in madeBackup, and the backup state is 1.
BackupResult BackupUserData();

// 0 for an entry the unpack and the restore must pass over, as the user's
// file of that name is kept in place (see BackupUserData); 1 otherwise, and
// always when `folder`, where the entry goes, is another than the earlier
// installation's. An EntrySelector.
int UnpackTakes(const char *folder, const char *name);
// The names kept in place, blank-separated, for the package check; "" for none.
const char *KeptInPlaceNames();
// None kept, as at start.
void ResetKeptNames();
