// The one place that chooses the platform. On Windows the program is built
// against the system's own headers; everywhere else against the simulated
// Windows machine, which declares the same calls under the same names.
#pragma once

#if defined(_WIN32)
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shlobj.h>
#include <imm.h>
#include <aclapi.h>
#include <sddl.h>
#include <direct.h>
#include <io.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#else
#include "simwin/windows.h"
#endif
