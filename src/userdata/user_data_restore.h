// Writing the user's backed-up data back: over the freshly installed
// defaults when they chose to keep it, and, at the next run, wherever a run
// that did not finish left the package's defaults over it.
#pragma once

// Restores the backup this run made (userDataBackup.made) into the
// installation directory, copying the backup there too when it lies in
// another folder. Only a backup that still has the length and digest it was
// made with is read, and of it only the entries named as the user's files
// (user_data_files.h), never a file kept in place. Each file written is
// checked against the archive; the wizard tells how many came back, or every
// run which did not. A backup that came back whole is no longer pending.
void RestoreUserData();

// A backup still pending from an earlier run is written back into the
// folder that run unpacked into, where a file of the user's is as the
// package has it: that run's unpack wrote it; a file the user wrote since
// is theirs and stays. A file the backup could not carry comes over from the
// backup's folder, if that is another, the same way. Either folder, when
// gone, is taken to have moved to where the record names now. The pending
// mark then goes. Returns 0 when a backup that could
// be read could not be written back (the mark stays); 1 otherwise, also
// when nothing was pending or the backup no longer checks out.
int RecoverPendingBackup();
