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
// that mark the installation directory with the low integrity level, named
// as IcaclsFolder names it. icacls is started from the system folder.
void SetLowIntegrityLevel();

// The name the icacls commands give the installation directory: `shortName`
// (c:\Progra~1\morvak8, spelled as the command spells it) when the
// directory is C:\Program Files\morvak8\ in any ASCII case, else the
// directory itself without its last backslash. `out` holds kInstallDirSize
// bytes. Returns 1 when it gave the short name.
int IcaclsFolder(char *out, int size, const char *shortName);

// The install driver's step for the directory: creates the installation
// directory with its DACL, grants the user full access to it and makes its
// "filer\" subdirectory. Failures are not reported.
void PrepareInstallDirectory();
