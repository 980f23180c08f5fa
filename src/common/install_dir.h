// The installation directory: the rule that fixes it, and the record of it
// that the program leaves in the Windows directory and on the data drive.
#pragma once

// Recomputes the installation directory from the Program Files folder (cut at
// its first '(' and trailing blanks) followed by "morvak8\", and returns it.
char *ComputeInstallDir();

// Writes the installation directory (given a trailing backslash) to
// vorlpat8.voh in the Windows directory and, on Windows 6 and later, on the
// data drive. Leaves the system directory in systemDirString. A record whose
// folder or file is a junction or link is not written, and an existing file
// there is left as it is. Failures are not reported.
void WriteInstallDirRecord();

// Reads the record in the Windows directory into `target` of `size` bytes:
// at most 512 bytes, cut to the target and always terminated after what was
// read. A record that cannot be opened leaves the target as it was.
void ReadInstallDirRecord(char *target, int size);

// The data-drive directory ("e:\morvak8\") of the highest-lettered fixed drive
// among C to G, or the empty string; written into `directory` of `size` bytes.
void FindDataDrive(char *directory, int size);
