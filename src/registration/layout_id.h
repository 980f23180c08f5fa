// The keyboard-layout ids of the product: the eight hexadecimal digits that
// name its entry under the keyboard-layout key and its place in the preload
// list, and the rule that makes a new one.
#pragma once

#include "platform/win32.h"

// HKEY_LOCAL_MACHINE: one subkey per keyboard layout, named by its id.
extern const char kKeyboardLayoutsKey[];

// The language part of the product's layout ids on OEM code page
// `codePage`: "804", or "404" on code page 950.
const char *LayoutLanguagePart(int codePage);

// Replaces the last three characters of the id in `id` (of `size` bytes)
// with the language part; a shorter id is replaced whole.
void ReplaceLanguagePart(char *id, int size, int codePage);

// The id of a new entry above the largest id found (0 for none), at least one
// step (0x10000) above the floor E0000804 (E0000404 on code page 950), in
// upper case with the language part: written to `id` of `size` bytes, 1 on
// success, 0 when no id is left above `largest`.
int MakeNewLayoutId(DWORD largest, int codePage, char *id, int size);

// The number that the leading hexadecimal digits of `name` spell (either
// case), into `number`; 0 when the name does not begin with one.
int ReadLayoutNumber(const char *name, DWORD *number);

// Upper-case (`upper` 1) or lower-case ASCII letters in an id; nothing else
// changes.
void SetLayoutIdCase(char *id, int upper);
