// The windowless run: the whole installation without a window, as the
// command word "setvosrf32" asks for.
#pragma once

// The windowless run's exit codes, so that a deployment script can tell.
const int kExitInstalled = 0;
const int kExitNothingInstalled = 1;      // no usable package, or nothing unpacked
const int kExitNoAdministratorRights = 2;  // stopped at start; nothing installed
const int kExitInstalledWithFailures = 3;  // went through, but showed failures

// Acquires the package resource and the working buffer that the wizard
// otherwise acquires at window creation, runs the install driver and frees
// the working buffer. A missing package or buffer is reported by the
// installation steps that need them. Returns one of the exit codes above.
int RunWindowless();
