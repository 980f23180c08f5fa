// The progress of an installation: a step counter over a total that the
// install steps advance, and the bar that shows it.
#pragma once

// Program-wide, 0 at start; each caller stores its own values and then calls
// UpdateProgress with them.
extern int progressStep;
extern int progressTotal;

// Shows the progress of `step` out of `total`. The bar itself is not drawn
// yet: for now the step is only counted.
void UpdateProgress(int step, int total);

// Advances the step by `steps` and shows the progress.
void AdvanceProgress(int steps);
