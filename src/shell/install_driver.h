// The install driver: the fixed order in which an installation happens,
// without any dialogue. The whole of the windowless run.
#pragma once

enum InstallOutcome {
  // Stopped before anything was changed: the installation directory is a
  // link, or the user's earlier data could not be backed up (the user was told).
  kInstallRefused = -1,
  // Stopped before registering anything: the package is missing, unusable or
  // could not be unpacked at all (the user was told).
  kNothingInstalled = 0,
  // Went through, whatever failures it showed on the way.
  kInstalled = 1,
};

InstallOutcome RunInstallDriver();
