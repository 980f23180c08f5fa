// The program's flow by name: the wizard's states, which choose the screen
// painted and what a click does, and the stages of the installation, whose
// codes the crash guard shows so that a user's report names the stage that
// failed. The numbers are the ones users have always reported.
#pragma once

// ---- The wizard's states (program.wizardState), in the order a run passes
// them: intro, profile, ready, installing, and on 64-bit Windows the finish.
const int kWizardIntro = 0;              // edition and interface choices
const int kWizardProfile = 1;            // the user profile's fields
const int kWizardProfileConfirmed = 2;   // passed within the profile step, as are 3 and 4
const int kWizardLastProfileScreen = 4;  // the last state that paints the profile screen
const int kWizardLeavingProfile = 5;     // set and left within the profile step
const int kWizardReady = 6;              // the install screen: confirm installs
const int kWizardInstalling = 7;         // clicks are ignored
const int kWizardFinished = 8;           // installed on 64-bit Windows
const int kWizardFinishConfirmed = 9;    // the finish after one more confirm

// ---- The installation's stages, in their order.
const int kStageDefaultInputMethod = 1001;  // the product must not be the default input method
const int kStageProgramsHoldingIt = 1002;   // programs with the input method's windows
const int kStageSharedMemory = 1003;        // the input method's shared memory
const int kStageInstallDriver = 1004;       // the install driver: directory, record, folder
const int kStageServerPreparation = 10041;  // the running server stopped, its program moved aside
const int kStageServerNotify = 100411;      // within it: looking for the server's window
const int kStageServerFound = 100412;       // the stop request sent
const int kStageServerNotified = 100413;    // past the request and its pause
const int kStageServerMoveAside = 100414;   // moving the server's program aside
const int kStageServerPrepared = 100415;
const int kStageDeployment = 10042;         // the package unpacked, the modules copied
const int kStageRegistration = 10043;       // access opened again, the input method registered
const int kStageMarkers = 10044;            // user-agent marker, auto-start entry, 64-bit helper
const int kStageSkinAndSettings = 10141;    // the skin dialog and the settings files
const int kStageRestore = 1005;             // installation stamp, earlier data back, helper started
const int kStageFinish = 1006;              // the finish screen or the ending
