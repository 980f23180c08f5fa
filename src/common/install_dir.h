// The installation directory: the rule that fixes it, the record of it that
// the program leaves in the Windows directory and on the data drive, and the
// earlier installation's directory that such a record names.
#pragma once

const int kInstallDirSize = 200;
const int kPreviousInstallRecordSize = 256;

// The installation directory, always ending in a backslash; empty until
// ComputeInstallDir, its one writer, fixes it at start.
extern const char (&installDir)[kInstallDirSize];

// The directory of the earlier installation whose data the program keeps:
// what the record in the Windows directory names, or the folder of a backup
// still pending from an earlier run; empty if none.
extern const char (&previousInstallRecord)[kPreviousInstallRecordSize];

// Recomputes the installation directory from the Program Files folder (cut at
// its first '(' and trailing blanks) followed by "morvak8\", and returns it.
// A folder that Windows cannot give, or too long for the directory whole,
// counts as "c:\Program Files".
const char *ComputeInstallDir();

// Reads the record in the Windows directory into previousInstallRecord
// (ReadInstallDirRecord); without a record it stays as it was.
void ReadPreviousInstallRecord();
// Names `folder` (ending in a backslash) as the earlier installation's.
void SetPreviousInstallation(const char *folder);

// Writes the installation directory to vorlpat8.voh in the Windows directory
// and, on Windows 6 and later, on the data drive. A record whose folder or
// file is a junction or link is not written, and an existing file there is
// left as it is. Failures are not reported.
void WriteInstallDirRecord();

// Reads the record in the Windows directory into `target` of `size` bytes:
// at most 512 bytes, cut to the target and always terminated after what was
// read. A record that cannot be opened leaves the target as it was.
void ReadInstallDirRecord(char *target, int size);

// The data-drive directory ("e:\morvak8\") of the highest-lettered fixed drive
// among C to G, or the empty string; written into `directory` of `size` bytes.
void FindDataDrive(char *directory, int size);

// Empties both directories, as at start.
void ResetInstallDir();
