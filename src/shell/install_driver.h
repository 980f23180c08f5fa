// The install driver: the fixed order in which an installation happens,
// without any dialogue. The whole of the windowless run.
#pragma once

// Returns 0 when it stopped before registering anything because the package
// is missing, unusable or could not be unpacked at all (the user was told),
// 1 when it went through, whatever failures it showed on the way.
int RunInstallDriver();
