// Everything the simulated machine declares for code written against Win32.
#pragma once

#include "simwin/types.h"
#include "simwin/kernel32.h"
#include "simwin/user32.h"
#include "simwin/gdi32.h"
#include "simwin/advapi32.h"
#include "simwin/security.h"
#include "simwin/shell32.h"
#include "simwin/imm32.h"
#include "simwin/crt.h"
