#include "common/progress.h"

int progressStep = 0;
int progressTotal = 0;

namespace {

ProgressHook progressHook = 0;
ProgressScreenHook screenHook = 0;

void ShowProgress() {
  if (progressHook) progressHook(progressStep, progressTotal);
}

}  // namespace

void SetProgressHooks(ProgressHook progress, ProgressScreenHook screen) {
  progressHook = progress;
  screenHook = screen;
}

void ShowProgressScreen() {
  if (screenHook) screenHook();
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

void AdvanceProgressOnFreshScreen(int steps) {
  progressStep += steps;
  ShowProgressScreen();
  ShowProgress();
}
