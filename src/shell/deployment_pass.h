// One pass of the deployment with what surrounds it: the installation
// directory made and set to low integrity first, and after the full pass the
// uninstall entry for the uninstaller it copied.
#pragma once

// Runs DeployFiles(pass) (kFullPass or kModulesOnlyPass) in its directory.
// Returns 0 when the full pass could unpack nothing (nothing after it may
// run), 1 otherwise.
int RunDeploymentPass(int pass);
