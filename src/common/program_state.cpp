#include "common/program_state.h"

int runMode = kRunModeWizard;
int codePage = 0;
char installDir[kInstallDirSize];
char previousInstallRecord[kPreviousInstallRecordSize];
char systemDirString[kSystemDirSize];
char win64Path[kWin64PathSize];
int osMajorVersion = 0;
WORD versionNumber = 0;
int bitness = 0;
int wow64Flag = 0;
int windows10Flag = 0;
int windows11Flag = 0;
int interfaceChoice = 0;
int editionChoice = 0;
BYTE wizardModeFlag = 0;
int wizardState = 0;
HINSTANCE programInstance = NULL;
HWND mainWindow = NULL;
HWND editFieldA = NULL, editFieldB = NULL, editFieldC = NULL, editFieldD = NULL;
BYTE profileRecord[kProfileRecordSize];
int windowModeChoice = 3;
