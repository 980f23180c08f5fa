// The product's IME module "morvak4.ime" as a keyboard layout of the Chinese
// language: through the system's IMM32 installer, or, when that fails, by an
// entry written by hand under the keyboard-layout key and added to the
// current user's preload list (preload_list.h).
#pragma once

#include "platform/win32.h"

// HKEY_LOCAL_MACHINE: one subkey per keyboard layout, named by its id.
extern const char kKeyboardLayoutsKey[];

// Asks IMM32 to install "morvak4.ime" from the system directory with the
// product's layout text. 1 when it returned a keyboard layout, 0 when not.
int InstallImeModule();

// The manual registration: reuses the entry an earlier installation left
// (its layout text begins with the product's display name) or makes a new id
// above every existing one, writes the entry's three values and adds the id
// to the preload list. A new entry never takes an id that is already a
// subkey: the id steps up past taken ones. Unlike most of the program, 1
// means failure here: returns 1 after a failure it
// showed in a message box (no id left, or the entry could not be made),
// otherwise what AddLayoutToPreloadList returned. An earlier entry whose id
// had another language part is deleted first and stays deleted on failure.
int RegisterKeyboardLayout();

// ---- The layout-id rule ----

// The language part of the product's layout ids: "804", or "404" on code
// page 950.
const char *LayoutLanguagePart();

// Replaces the last three characters of the id in `id` (of `size` bytes)
// with the language part; a shorter id is replaced whole.
void ReplaceLanguagePart(char *id, int size);

// The id of a new entry above the largest id found (0 for none), at least one
// step (0x10000) above the floor E0000804 (E0000404 on code page 950), in
// upper case with the language part: written to `id` of `size` bytes, 1 on
// success, 0 when no id is left above `largest`.
int MakeNewLayoutId(DWORD largest, char *id, int size);

// The number that the leading hexadecimal digits of `name` spell (either
// case), into `number`; 0 when the name does not begin with one.
int ReadLayoutNumber(const char *name, DWORD *number);

// Upper-case (`upper` 1) or lower-case ASCII letters in an id; nothing else
// changes.
void SetLayoutIdCase(char *id, int upper);
