// IMM32 as the simulated machine provides it: installing an IME module as a
// keyboard layout, and the description of an IME layout.
#pragma once

#include "simwin/types.h"

HKL ImmInstallIMEW(LPCWSTR fileName, LPCWSTR layoutText);
UINT ImmGetDescriptionA(HKL layout, LPSTR description, UINT size);
