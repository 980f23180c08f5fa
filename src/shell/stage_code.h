// The stage code: the text that names the installation stage now running,
// "智能Qelvo安装错误Err=" followed by its number (program_flow.h names the
// stages). The crash guard of the interactive installation shows it, so a
// user's report names the stage that failed. It keeps its last value until
// the program ends. Whoever wants to follow the stages as they come (a test
// that checks their order, or ends a run at one) installs a hook; the
// program installs none.
#pragma once

const int kStageCodeSize = 64;

// Called with each code, after the stage code's text is set to it.
typedef void (*StageHook)(int code);

struct StageCodeState {
  char text[kStageCodeSize] = {};
  StageHook hook = 0;
};
extern StageCodeState stageCode;

// Installs the hook (null: the codes are only kept).
void SetStageHook(StageHook hook);
// Overwrites the stage code with the text for `code`, and tells the hook.
void SetStageCode(int code);
// No stage named yet and no hook, as at start.
void ResetStageCode();
