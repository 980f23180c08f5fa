// The progress of an installation: a step count over a total, owned here.
// The install steps only count; whoever shows the progress (the wizard's
// progress bar) installs a hook, and the windowless run installs none.
#pragma once

// The count and total as the steps left them; read by the hook's painter.
extern int progressStep;
extern int progressTotal;

// Called with the count and total after every change, and when the screen is
// to be shown again between two steps.
typedef void (*ProgressHook)(int step, int total);
// Installs `hook` (null: progress is only counted).
void SetProgressHook(ProgressHook hook);

// Starts again at step 0 of `total`, and shows it.
void ResetProgress(int total);
// Advances the count by `steps`, and shows it.
void AdvanceProgress(int steps);
// Shows the progress as it stands.
void ShowProgress();
