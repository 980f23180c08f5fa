// The current user's preload list as the installer reads and reorders it,
// the check that an earlier installation is not the default input method,
// and the product's place in the Text Services Framework's sort order.
#pragma once

#include "registration/keyboard_layout.h"

// The preload list as last read: the ids of positions 1 to 49 (8-bit text
// with terminator), how many positions were read (0 to 48: a list of 49 or
// more counts as empty), and the layout text of each position's keyboard-
// layout entry (kept from an earlier reading where the entry cannot be read).
const int kPreloadIdSize = 10;
const int kLayoutTextSize = 200;
extern char preloadTable[kMaxPreloadPositions][kPreloadIdSize];
extern int preloadCount;
extern char layoutTextTable[kMaxPreloadPositions][kLayoutTextSize];
// The 1-based position of the product's layout in the list, 0 if not found;
// and 4 when it was found, 0 otherwise.
extern int ownPreloadPosition;
extern int ownEntryFoundFlag;
const int kOwnEntryFound = 4;

// Reads the list and the layout texts of its positions; returns the preload
// count, 0 when a key cannot be opened.
int ReadPreloadList();

// 1 when a position's layout text begins with the product's text (GBK only,
// so never on code page 950); the first such position wins.
int FindOwnPreloadEntry();

// On Windows 5 and earlier only: moves the product's entry, found at
// position 3 or later, to position 2 and writes positions 2 and on back, for
// the current user and (NT) for the default profile.
void MoveOwnEntryToSecond();

// Writes the first two ids of the last reading swapped, for the current user
// and (NT) for the default profile.
void SwapFirstTwoPreloadEntries();

// 1 when the installation may go on; 0 when the product is the default input
// method (or the thread's input method), after telling the user why.
int CheckDefaultInputMethod();

// The 1-based position of the product's text service in the user's TSF sort
// order of the Chinese keyboards; 0 when it is not there or an entry before
// it could not be read.
int FindTextServiceInSortOrder();

// ---- The preload reordering ----

// Moves the entry of 1-based `from` in `table` to position 2; the entries of
// positions 2 to from - 1 move one place down.
void MoveEntryToSecond(char table[][kPreloadIdSize], int from);
