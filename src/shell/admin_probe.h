// The check, at every start, that the program may write where it installs.
#pragma once

// Reads the earlier installation's record, then on Windows 6 and later (the
// OS major version DetectWindows found) writes the marker "vorlisadmin"
// through the record files and reads it back. Returns 0 when the program may
// go on, non-zero when it lacks the rights (the convention of this check).
// Both record files hold the freshly computed installation directory after it.
int ProbeAdministrator();
