// Writing the user's backed-up data back over the freshly installed
// defaults, when they chose to keep it.
#pragma once

// Unpacks "vorlback.voz" of the earlier installation's directory into the
// installation directory, checks every file against the archive and tells
// the user how many came back, or which did not. A backup that came back
// whole is no longer needed as the only copy (ClearBackupPending). Nothing
// without an earlier installation recorded, or when the backup cannot be
// read, is no regular file, or is too small to hold an entry.
void RestoreUserData();
