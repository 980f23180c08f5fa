#include "common/progress.h"

ProgressState progress;

namespace {

void ShowProgress() {
  if (progress.hook) progress.hook(progress.step, progress.total);
}

}  // namespace

void SetProgressHooks(ProgressHook hook, ProgressScreenHook screen) {
  progress.hook = hook;
  progress.screenHook = screen;
}

void ResetProgressState() { progress = ProgressState(); }

void ShowProgressScreen() {
  if (progress.screenHook) progress.screenHook();
}

void ResetProgress(int total) {
  progress.step = 0;
  progress.total = total;
  ShowProgress();
}

void AdvanceProgress(int steps) {
  progress.step += steps;
  ShowProgress();
}

void AdvanceProgressOnFreshScreen(int steps) {
  progress.step += steps;
  ShowProgressScreen();
  ShowProgress();
}
