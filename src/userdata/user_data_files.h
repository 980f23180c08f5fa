// The user's own files of an installation: dictionaries, phrase lists and
// settings, and the names they have in the backup of the user's data. These
// names, and no others, are what a backup carries and a restore writes: the
// backup lies in a folder every user may write, so an entry under any other
// name (a program, a module) is never taken from it.
#pragma once

// The backup's name in the folder whose files it holds.
extern const char kBackupArchiveName[];

struct UserDataFile {
  const char *file;   // the file in the installation directory
  const char *entry;  // its name in the backup; a ".bak" name is a copy made beside the file
};

const int kUserDataFileCount = 24;
extern const UserDataFile kUserDataFiles[kUserDataFileCount];

// 1 when `entry` (case-sensitive) is the backup name of one of the user's files.
int IsUserDataEntry(const char *entry);

// 1 when the row's file is backed up through a ".bak" copy made beside it.
int IsCopiedRow(const UserDataFile &row);
// The file whose ".bak" copy `entry` names; null when it names no copy.
const char *FileOfCopy(const char *entry);

// 1 when the file `name` in `folder` is the package's own of that name, as
// the unpack wrote it (the phrase list compacted): the user has not written
// it since. Only a plain file no larger than an entry is read. Uses the
// working buffer as scratch.
int IsPackagesOwn(const char *folder, const char *name);
