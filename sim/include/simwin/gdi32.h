// GDI32 as the simulated machine provides it: stock objects so far.
#pragma once

#include "simwin/types.h"

#define WHITE_BRUSH 0
#define LTGRAY_BRUSH 1
#define BLACK_BRUSH 4
#define NULL_BRUSH 5

HGDIOBJ GetStockObject(int object);
