// The check, at every start, that the program may write where it installs.
#pragma once

// Reads the earlier installation's record, then on Windows 6 and later (the
// OS major version DetectWindows found) writes the marker "vorlisadmin" into
// a file of its own in the Windows directory, reads it back and deletes it,
// and sees that a record already there could be replaced. The record files
// are left as they were. Returns 0 when the program may go on, non-zero when
// it lacks the rights: an exception to the program's 1 for success, kept as
// the check has always answered.
int ProbeAdministrator();
