// Fonts of the simulated machine through FreeType, sized, placed and shaded as
// Wine's FreeType font engine does, so that a simulated screen and a Wine
// screenshot of the same calls line up pixel for pixel. "宋体" draws with
// AR PL UMing CN, "楷体" with AR PL UKai CN, "System" (the system font and
// dialog templates' "System") with WenQuanYi Zen Hei, every other face with
// UMing.
#pragma once

#include <string_view>

#include "gdi_internal.h"

namespace sim {

struct FontMetrics {
  int ascent = 0, descent = 0;  // the text cell is ascent + descent high
  int internalLeading = 0, externalLeading = 0;
  int averageWidth = 0, maxWidth = 0, weight = FW_NORMAL;
};

// The font a device context starts with: "System", 16 high, 7 wide and bold,
// as the stock system font is made.
const FontRequest &SystemFont();

// Zero metrics when the font file cannot be read.
FontMetrics MeasureFont(const FontRequest &font);
// The sum of the characters' advances.
int MeasureText(const FontRequest &font, std::u16string_view text);
// Draws `text` with the top-left of its cell at (x, y), greyscale-antialiased
// and blended over the canvas in `color`; the background stays.
void DrawText(Canvas &canvas, const FontRequest &font, int x, int y, std::u16string_view text, COLORREF color);

}  // namespace sim
