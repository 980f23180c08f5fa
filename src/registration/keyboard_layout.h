// The product's IME module "morvak4.ime" as a keyboard layout of the Chinese
// language: through the system's IMM32 installer, or, when that fails, by an
// entry written by hand under the keyboard-layout key and added to the
// current user's preload list (preload_list.h).
#pragma once

#include "platform/win32.h"

// Asks IMM32 to install "morvak4.ime" from the system directory with the
// product's layout text. 1 when it returned a keyboard layout, 0 when not.
int InstallImeModule();

// The manual registration: reuses the entry an earlier installation left
// (its layout text begins with the product's display name) or makes a new id
// above every existing one, writes the entry's three values and adds the id
// to the preload list. A new entry never takes an id that is already a
// subkey: the id steps up past taken ones. An earlier entry whose id had
// another language part is deleted first and stays deleted on failure.
// Returns 1 after a failure it showed in a message box (no id left, or the
// entry could not be made), otherwise what AddLayoutToPreloadList returned:
// an exception to the program's 1 for success, kept as the manual
// registration has always answered.
int RegisterKeyboardLayout();
