// The current user's preload list as the installer reads, adds to and
// reorders it, and the check that an earlier installation is not the default
// input method.
#pragma once

#include "platform/win32.h"

// HKEY_CURRENT_USER (and HKEY_USERS ".DEFAULT\\" for the default profile) on
// the NT family: this key's subkey "preload" holds one value per position.
extern const char kPreloadParentKey[];
extern const char kPreloadSubkey[];
// HKEY_CURRENT_USER on the 9x family: one subkey per position whose default
// value holds the id.
extern const char kPreloadKey9x[];
// Positions "1" to "49" are all the program handles.
const int kMaxPreloadPositions = 49;

const int kPreloadIdSize = 10;
const int kLayoutTextSize = 200;
const int kOwnEntryFound = 4;

// The preload list as last read.
struct PreloadList {
  // The ids of positions 1 to 49 (8-bit text with terminator), how many
  // positions were read (0 to 48: a list of 49 or more counts as empty), and
  // the layout text of each position's keyboard-layout entry (kept from an
  // earlier reading where the entry cannot be read).
  char table[kMaxPreloadPositions][kPreloadIdSize] = {};
  int count = 0;
  char layoutTexts[kMaxPreloadPositions][kLayoutTextSize] = {};
  // The 1-based position of the product's layout in the list, 0 if not
  // found; and kOwnEntryFound when it was found, 0 otherwise.
  int ownPosition = 0;
  int ownEntryFound = 0;
};
extern PreloadList preloadList;
// Nothing read, as at start.
void ResetPreloadList();

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

// Puts `layoutId` into the current user's preload list: nothing when it is
// there, over a position with the same layout number and another language
// part, else at the first free position, or over position 49 when all are
// taken. Returns 1 after a failure it showed in a message box, else 0: an
// exception to the program's 1 for success, kept as the manual registration
// it belongs to has always answered.
int AddLayoutToPreloadList(const char *layoutId);

// How many leading characters of `text` agree with `id`, letters regardless
// of case, counting at most `limit`.
int CountAgreeingCharacters(const char *text, const char *id, int limit);

// ---- The preload reordering ----

// Moves the entry of 1-based `from` in `table` to position 2; the entries of
// positions 2 to from - 1 move one place down.
void MoveEntryToSecond(char table[][kPreloadIdSize], int from);
