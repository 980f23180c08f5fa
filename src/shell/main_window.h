// The wizard window: its class, its creation with the composed title, and its
// four hidden edit fields.
#pragma once

#include "platform/win32.h"

// Registers "installWClass"; returns the class atom, 0 on failure.
ATOM RegisterMainWindowClass(HINSTANCE instance);

// Detects the Windows version, composes the title, creates the 400 x 310
// window centred on the screen and its edit fields, and shows it. Returns 1,
// or 0 when the window could not be created.
int CreateMainWindow(HINSTANCE instance, int showCommand);
