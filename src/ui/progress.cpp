#include "ui/progress.h"

int progressStep = 0;
int progressTotal = 0;

void UpdateProgress(int, int) {}

void AdvanceProgress(int steps) {
  progressStep += steps;
  UpdateProgress(progressStep, progressTotal);
}
