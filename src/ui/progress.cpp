#include "ui/progress.h"

int progressStep = 0;
int progressTotal = 0;

void UpdateProgress(int, int) {}
