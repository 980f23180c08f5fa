// Opening the installation directory to every program the input method runs
// in, low-integrity and application-package processes included: the
// directory is created with a DACL for application packages, authenticated
// users and administrators, the installing user is granted full access, and
// the directory is marked with the low integrity level.
#pragma once

// Creates the directory `path` carrying full access for all application
// packages and the built-in administrators and read, write and execute for
// authenticated users, each inherited by everything made inside. Returns 1
// if the directory was created; 0 if not (an existing directory keeps its
// DACL), or when Windows cannot express that DACL (before Windows 8 there
// are no application packages), in which case nothing is created.
int CreateInstallDirectory(const char *path);

// Adds to the DACL of `path` full access for the installing user (the name
// GetUserNameA gives), inherited by subfolders and files. Returns 1 on
// success; 0 if any step failed, the DACL then being as it was.
int GrantUserFullAccess(const char *path);

// Starts, without waiting or looking at the results, the two icacls commands
// that mark c:\Progra~1\morvak8 with the low integrity level. icacls is
// started from the system folder.
void SetLowIntegrityLevel();

// The install driver's step for the directory: creates the installation
// directory with its DACL, grants the user full access to it and makes its
// "filer\" subdirectory. Failures are not reported.
void PrepareInstallDirectory();
