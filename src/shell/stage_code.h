// The stage code: the text that names the installation stage now running,
// "智能Qelvo安装错误Err=" followed by its number. The crash guard of the
// interactive installation shows it, so a user's report names the stage that
// failed. It keeps its last value until the program ends.
#pragma once

const int kStageCodeSize = 64;
extern char stageCode[kStageCodeSize];

// Overwrites the stage code with the text for `code`.
void SetStageCode(int code);
// No stage named yet, as at start.
void ResetStageCode();
