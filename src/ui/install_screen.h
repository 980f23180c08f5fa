// The screen shown while the installation runs.
#pragma once

// Redraws the installing screen between two steps of the deployment. Nothing
// is drawn yet: the screen and its progress bar come with the wizard.
void RepaintInstallScreen();
