// The demo payload's skin archives: the short layout, eight files each.
#pragma once

#include "bytes_out.h"

// Skin `skin` (1 to 3): the record vobmp8.voh and the bitmaps vobmpsx1.bmp
// to vobmpsx7.bmp. Small enough for the 128 KB the installer reads of it.
Bytes SkinArchive(int skin);
