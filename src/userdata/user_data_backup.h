// Saving the user's dictionaries, phrase lists and settings of an earlier
// installation into one archive, "vorlback.voz", in that installation's
// directory, before the package's defaults are unpacked over them.
#pragma once

// Archives the earlier installation's files, the essential ones first (the
// backup fails at the first that cannot be added) and then the optional
// ones. Returns 1 when every essential file is in the archive. Without an
// earlier installation recorded there is nothing to back up: 0. A backup
// that is still the only copy of the user's data (BackupIsPending) is kept
// as it is and counts as made. Leaves the installation directory as the
// earlier installation's; the caller computes it afresh.
int BackupUserData();
