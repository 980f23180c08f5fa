// The progress of an installation: a step count over a total, owned here.
// The install steps only count; whoever shows the progress (the wizard's
// progress bar and install screen) installs hooks, and the windowless run
// installs none.
#pragma once

// Called with the count and total after every change.
typedef void (*ProgressHook)(int step, int total);
// Called when the whole screen behind the progress is to be shown again.
typedef void (*ProgressScreenHook)();

struct ProgressState {
  // The count and total as the steps left them; read by the hooks' painters.
  int step = 0;
  int total = 0;
  ProgressHook hook = 0;
  ProgressScreenHook screenHook = 0;
};
extern ProgressState progress;

// Installs the hooks (null: progress is only counted).
void SetProgressHooks(ProgressHook hook, ProgressScreenHook screen);
// Count and total 0, no hooks, as at start.
void ResetProgressState();

// Starts again at step 0 of `total`, and shows it.
void ResetProgress(int total);
// Advances the count by `steps`, and shows it.
void AdvanceProgress(int steps);
// Advances the count by `steps`, shows the whole screen again, then the
// progress on it.
void AdvanceProgressOnFreshScreen(int steps);
// Shows the whole screen again.
void ShowProgressScreen();
