// The progress of an installation: a step count over a total, owned here.
// The install steps only count; whoever shows the progress (the wizard's
// progress bar and install screen) installs hooks, and the windowless run
// installs none.
#pragma once

// The count and total as the steps left them; read by the hooks' painters.
extern int progressStep;
extern int progressTotal;

// Called with the count and total after every change.
typedef void (*ProgressHook)(int step, int total);
// Called when the whole screen behind the progress is to be shown again.
typedef void (*ProgressScreenHook)();
// Installs the hooks (null: progress is only counted).
void SetProgressHooks(ProgressHook progress, ProgressScreenHook screen);

// Starts again at step 0 of `total`, and shows it.
void ResetProgress(int total);
// Advances the count by `steps`, and shows it.
void AdvanceProgress(int steps);
// Advances the count by `steps`, shows the whole screen again, then the
// progress on it.
void AdvanceProgressOnFreshScreen(int steps);
// Shows the whole screen again.
void ShowProgressScreen();
