#include "common/program_state.h"

int runMode = kRunModeWizard;
int interfaceChoice = 0;
int editionChoice = 0;
BYTE wizardModeFlag = 0;
int wizardState = 0;
HINSTANCE programInstance = NULL;
HWND mainWindow = NULL;
HWND editFieldA = NULL, editFieldB = NULL, editFieldC = NULL, editFieldD = NULL;
BYTE profileRecord[kProfileRecordSize];
int windowModeChoice = 3;
