#include "common/progress.h"

int progressStep = 0;
int progressTotal = 0;

namespace {
ProgressHook progressHook = 0;
}

void SetProgressHook(ProgressHook hook) { progressHook = hook; }

void ShowProgress() {
  if (progressHook) progressHook(progressStep, progressTotal);
}

void ResetProgress(int total) {
  progressStep = 0;
  progressTotal = total;
  ShowProgress();
}

void AdvanceProgress(int steps) {
  progressStep += steps;
  ShowProgress();
}
