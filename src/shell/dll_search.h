// Protection against DLL planting: a setup program is usually started from the
// downloads folder, where a DLL with a system DLL's name could have been
// planted. The search for libraries the program loads itself is restricted to
// the system folder before anything else runs.
#pragma once

// Restricts the DLL search to the system folder where Windows can
// (SetDefaultDllDirectories), else removes the current folder from the search
// (SetDllDirectoryA("")). Both are looked up by name, as older systems lack them.
void RestrictDllSearch();
