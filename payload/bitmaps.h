// The demo payload's bitmaps: 24-bit bottom-up Windows BMP files drawn by
// code (gradients, soft shapes, a little grain so they compress like real
// artwork rather than flat colour).
#pragma once

#include <string>

#include "bytes_out.h"

// The wizard's banner: 401 x 310 pixels; the wizard shows its top-left
// 400 x 190 pixels and paints the edition name over the plaque at (73, 90).
Bytes BannerBitmap();
// One of the seven bitmaps of a skin (`skin` 1 to 3, `index` 1 to 7), in the
// skin's colours.
Bytes SkinBitmap(int skin, int index);
// The package's own fourth skin bitmap, which replaces every skin's.
Bytes SharedSkinBitmap();
// Another bitmap of the product (toolbar art, backgrounds, key caps), of
// about `bytes` bytes, drawn from `name`.
Bytes ArtBitmap(const std::string &name, uint32_t bytes);
