// Fonts through FreeType, following Wine's FreeType font engine step by step
// (its height-to-ppem rule, metrics scaled from the OS/2 table, the width as
// a horizontal scale, fake bold by emboldening, full-width advances of
// monospaced fonts, 17 grey levels blended through its intensity ramp, or
// two where the face's gasp table asks for no grey), so that the same calls
// give the same pixels as under Wine.
#include "gdi_font.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GASP_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <algorithm>
#include <cstdlib>
#include <map>
#include <memory>
#include <tuple>
#include <vector>

namespace {

const char kUming[] = "/usr/share/fonts/truetype/arphic/uming.ttc";
const char kUkai[] = "/usr/share/fonts/truetype/arphic/ukai.ttc";
const char kZenHei[] = "/usr/share/fonts/truetype/wqy/wqy-zenhei.ttc";

// A face opened at the size a font asks for, with what its drawing needs.
struct Glyph {
  int left = 0, top = 0;  // of the bitmap, from the pen position on the baseline
  int advance = 0;
  int width = 0, height = 0;          // of the bitmap: 0 for a glyph without ink
  std::vector<unsigned char> levels;  // 0..16 per pixel, rows top down
};

struct SizedFont {
  FT_Face face = nullptr;
  int ppem = 0;
  FT_Fixed emScale = 0;
  sim::FontMetrics metrics;
  FT_Matrix matrix = {1 << 16, 0, 0, 1 << 16};
  bool scaled = false;  // the requested width scales the glyphs
  bool bold = false;    // emboldened: the face has no bold of its own
  bool fixedPitch = false;
  bool mono = false;  // drawn in two levels: the face's gasp table asks for no grey at this size
  FT_Long averageWidthUnits = 0;
  // The glyphs drawn so far with their bitmaps: a glyph depends on nothing
  // but the font and the character, and the wizard draws the same few
  // hundred again on every paint.
  mutable std::map<char16_t, Glyph> glyphs;
};


FT_Library Library() {
  static FT_Library library = [] {
    FT_Library l = nullptr;
    return FT_Init_FreeType(&l) == 0 ? l : nullptr;
  }();
  return library;
}

// The face Wine finds for each request: "System" has no font of that name,
// so it falls to the first face with the machine's Chinese characters.
const char *FontFile(const std::string &face) {
  if (face == u8"楷体") return kUkai;
  return face == "System" ? kZenHei : kUming;
}

const char *FamilyOf(const char *file) {
  if (file == kUkai) return "AR PL UKai CN";
  return file == kZenHei ? "WenQuanYi Zen Hei" : "AR PL UMing CN";
}

// The collection's face of the simplified-Chinese family.
FT_Face OpenFace(const char *file) {
  FT_Face face = nullptr;
  for (FT_Long index = 0; FT_New_Face(Library(), file, index, &face) == 0; ++index) {
    bool found = face->family_name && std::string(face->family_name) == FamilyOf(file);
    if (found) return face;
    FT_Long count = face->num_faces;
    FT_Done_Face(face);
    if (index + 1 >= count) break;
  }
  return nullptr;
}

// Positive heights are the cell height (win ascent + descent); negative ones
// the em size. The ppem is lowered when rounding would make the cell too high.
int PpemForHeight(FT_Face face, const TT_OS2 &os2, const TT_HoriHeader &hhea, int height) {
  if (height == 0) height = 16;
  if (height < 0) return -height;
  long units = os2.usWinAscent + std::abs(static_cast<short>(os2.usWinDescent));
  if (units == 0) units = hhea.Ascender - hhea.Descender;
  long ppem = FT_MulDiv(face->units_per_EM, height, units);
  if (ppem > 1 && FT_MulDiv(units, ppem, face->units_per_EM) > height) --ppem;
  return static_cast<int>(ppem);
}

void SetMetrics(SizedFont &f, const TT_OS2 &os2, const TT_HoriHeader &hhea, const sim::FontRequest &request) {
  long ascent = os2.usWinAscent, descent = std::abs(static_cast<short>(os2.usWinDescent));
  if (ascent + descent == 0) ascent = hhea.Ascender, descent = -hhea.Descender;
  auto scale = [&](long units) { return static_cast<int>(FT_MulFix(units, f.emScale)); };
  sim::FontMetrics &m = f.metrics;
  m.ascent = scale(ascent), m.descent = scale(descent);
  m.internalLeading = scale(ascent + descent - f.face->units_per_EM);
  m.externalLeading = std::max(0, scale(hhea.Line_Gap - ((ascent + descent) - (hhea.Ascender - hhea.Descender))));
  m.averageWidth = std::max(1, scale(os2.xAvgCharWidth));
  m.maxWidth = scale(f.face->bbox.xMax - f.face->bbox.xMin);
  m.weight = f.bold ? FW_BOLD : FW_NORMAL;
  if (request.width > 0) {
    double ratio = static_cast<double>(request.width) / m.averageWidth;
    f.matrix.xx = static_cast<FT_Fixed>(ratio * 0x10000);
    f.scaled = true;
    m.maxWidth = static_cast<int>(m.maxWidth * ratio + 0.5);
    m.averageWidth = request.width;
  }
  f.averageWidthUnits = os2.xAvgCharWidth;
  f.fixedPitch = FT_IS_FIXED_WIDTH(f.face) || (os2.version != 0xFFFF && os2.panose[3] == 9);  // monospaced
}

std::unique_ptr<SizedFont> LoadFont(const sim::FontRequest &request) {
  auto f = std::make_unique<SizedFont>();
  f->face = Library() ? OpenFace(FontFile(request.face)) : nullptr;
  if (!f->face) return f;
  auto *os2 = static_cast<TT_OS2 *>(FT_Get_Sfnt_Table(f->face, FT_SFNT_OS2));
  auto *hhea = static_cast<TT_HoriHeader *>(FT_Get_Sfnt_Table(f->face, FT_SFNT_HHEA));
  if (!os2 || !hhea) {
    FT_Done_Face(f->face);
    f->face = nullptr;
    return f;
  }
  f->ppem = PpemForHeight(f->face, *os2, *hhea, request.height);
  FT_Set_Pixel_Sizes(f->face, 0, f->ppem);
  f->emScale = FT_MulDiv(f->ppem, 1 << 16, f->face->units_per_EM);
  f->bold = request.weight > 500 && !(f->face->style_flags & FT_STYLE_FLAG_BOLD);
  // Wine turns grey levels off where the gasp table says so, except for
  // fake bold.
  const FT_Int gasp = FT_Get_Gasp(f->face, static_cast<FT_UInt>(f->ppem));
  f->mono = !f->bold && gasp != FT_GASP_NO_TABLE && !(gasp & FT_GASP_DO_GRAY);
  SetMetrics(*f, *os2, *hhea, request);
  return f;
}

// Faces stay open for the run: the program makes the same few fonts again
// on every paint.
SizedFont &Font(const sim::FontRequest &request) {
  static std::map<std::tuple<const char *, int, int, bool>, std::unique_ptr<SizedFont>> fonts;
  auto key = std::make_tuple(FontFile(request.face), request.height, request.width, request.weight > 500);
  auto &slot = fonts[key];
  if (!slot) slot = LoadFont(request);
  return *slot;
}

// A monospaced font's full-width characters advance exactly twice its
// half-width ones; fake bold adds a pixel.
int Advance(const SizedFont &f, FT_Pos baseAdvance) {
  FT_Vector advance = {baseAdvance, 0};
  bool fullWidth = false;
  if (f.fixedPitch) {
    FT_Long averageAdvance = FT_MulFix(f.averageWidthUnits, f.emScale);
    fullWidth = averageAdvance > 0 && (baseAdvance + 63) >> 6 == FT_MulFix(f.averageWidthUnits * 2, f.emScale);
    if (fullWidth && !f.scaled) advance.x = (averageAdvance * 2) << 6;
  }
  if (f.scaled) {
    FT_Vector_Transform(&advance, &f.matrix);
    if (fullWidth) {
      FT_Vector half = {f.averageWidthUnits, 0};
      FT_Vector_Transform(&half, &f.matrix);
      advance.x = (FT_MulFix(half.x, f.emScale) * 2) << 6;
    }
  }
  if (f.bold) advance.x += 1 << 6;
  return static_cast<int>(((advance.x + 63) & -64) >> 6);
}

FT_BBox GlyphBox(const SizedFont &f, const FT_Glyph_Metrics &m) {
  FT_BBox box;
  if (!f.scaled) {
    box.xMin = m.horiBearingX & -64, box.xMax = (m.horiBearingX + m.width + 63) & -64;
    box.yMax = (m.horiBearingY + 63) & -64, box.yMin = (m.horiBearingY - m.height) & -64;
    return box;
  }
  box.xMin = box.yMin = 0x7FFFFFFF, box.xMax = box.yMax = -0x7FFFFFFF;
  for (int xc = 0; xc < 2; ++xc)
    for (int yc = 0; yc < 2; ++yc) {
      FT_Vector corner = {m.horiBearingX + xc * m.width, m.horiBearingY - yc * m.height};
      FT_Vector_Transform(&corner, &f.matrix);
      box.xMin = std::min(box.xMin, corner.x), box.xMax = std::max(box.xMax, corner.x);
      box.yMin = std::min(box.yMin, corner.y), box.yMax = std::max(box.yMax, corner.y);
    }
  box.xMin &= -64, box.xMax = (box.xMax + 63) & -64, box.yMin &= -64, box.yMax = (box.yMax + 63) & -64;
  return box;
}

// The glyph's outline metrics after emboldening, kept inside the cell.
FT_Glyph_Metrics CellMetrics(const SizedFont &f, FT_GlyphSlot slot) {
  FT_Glyph_Metrics m = slot->metrics;
  if (f.bold && slot->format == FT_GLYPH_FORMAT_OUTLINE &&
      FT_Outline_Embolden(&slot->outline, FT_MulDiv(f.ppem, 1 << 6, 24)) == 0) {
    FT_BBox box;
    FT_Outline_Get_CBox(&slot->outline, &box);
    m.width = box.xMax - box.xMin, m.height = box.yMax - box.yMin;
    m.horiBearingX = box.xMin, m.horiBearingY = box.yMax;
  }
  FT_Pos top = std::min<FT_Pos>(m.horiBearingY, f.metrics.ascent * 64);
  FT_Pos bottom = std::max<FT_Pos>(m.horiBearingY - m.height, -f.metrics.descent * 64);
  m.horiBearingY = top, m.height = top - bottom;
  return m;
}

void Rasterize(const SizedFont &f, FT_GlyphSlot slot, const FT_BBox &box, Glyph &glyph) {
  int width = static_cast<int>((box.xMax - box.xMin) >> 6), height = static_cast<int>((box.yMax - box.yMin) >> 6);
  if (width <= 0 || height <= 0 || slot->format != FT_GLYPH_FORMAT_OUTLINE) return;  // nothing to draw
  glyph.width = width, glyph.height = height;
  int pitch = f.mono ? (width + 31) / 32 * 4 : (width + 3) / 4 * 4;
  std::vector<unsigned char> pixels(static_cast<size_t>(pitch) * height);
  FT_Bitmap bitmap = {};
  bitmap.width = width, bitmap.rows = height, bitmap.pitch = pitch, bitmap.buffer = pixels.data();
  bitmap.pixel_mode = f.mono ? FT_PIXEL_MODE_MONO : FT_PIXEL_MODE_GRAY, bitmap.num_grays = f.mono ? 2 : 256;
  if (f.scaled) FT_Outline_Transform(&slot->outline, &f.matrix);
  FT_Outline_Translate(&slot->outline, -box.xMin, -box.yMin);
  FT_Outline_Get_Bitmap(Library(), &slot->outline, &bitmap);
  glyph.levels.resize(static_cast<size_t>(glyph.width) * glyph.height);
  for (int y = 0; y < glyph.height; ++y)
    for (int x = 0; x < glyph.width; ++x) {
      const unsigned char *row = &pixels[static_cast<size_t>(y) * pitch];
      glyph.levels[static_cast<size_t>(y) * glyph.width + x] =
          f.mono ? ((row[x / 8] >> (7 - x % 8)) & 1) * 16 : row[x] * 17 / 256;
    }
}

Glyph LoadGlyph(const SizedFont &f, char16_t c, bool withBitmap) {
  auto drawn = f.glyphs.find(c);
  if (drawn != f.glyphs.end()) return drawn->second;
  Glyph glyph;
  FT_Int flags = FT_LOAD_IGNORE_GLOBAL_ADVANCE_WIDTH | (f.mono ? FT_LOAD_TARGET_MONO : FT_LOAD_TARGET_NORMAL) |
                 FT_LOAD_NO_BITMAP;
  FT_UInt index = FT_Get_Char_Index(f.face, c);
  if (FT_Load_Glyph(f.face, index, flags) != 0 && FT_Load_Glyph(f.face, index, flags | FT_LOAD_NO_HINTING) != 0)
    return glyph;
  FT_Glyph_Metrics m = CellMetrics(f, f.face->glyph);
  FT_BBox box = GlyphBox(f, m);
  glyph.advance = Advance(f, m.horiAdvance);
  glyph.left = static_cast<int>(box.xMin >> 6), glyph.top = static_cast<int>(box.yMax >> 6);
  if (withBitmap) {
    Rasterize(f, f.face->glyph, box, glyph);
    f.glyphs[c] = glyph;
  }
  return glyph;
}

// Wine's intensity ramp: a grey level moves each colour component between
// the text colour and what lies under it along this curve, not linearly.
unsigned char BlendComponent(unsigned dst, unsigned text, int level) {
  static const unsigned char ramp[17] = {0,    0x4d, 0x68, 0x7c, 0x8c, 0x9a, 0xa7, 0xb2, 0xbd,
                                         0xc7, 0xd0, 0xd9, 0xe1, 0xe9, 0xf0, 0xf8, 0xff};
  unsigned minimum = ramp[level] * text / 0xff;
  unsigned maximum = ramp[16 - level] + (0xff - ramp[16 - level]) * text / 0xff;
  if (dst == text) return static_cast<unsigned char>(dst);
  if (dst > text) return static_cast<unsigned char>(text + (dst - text) * (maximum - text) / (0xff - text));
  return static_cast<unsigned char>(text - (text - dst) * (text - minimum) / text);
}

COLORREF Blend(COLORREF under, COLORREF text, int level) {
  if (level >= 16) return text;
  unsigned char r = BlendComponent(under & 0xFF, text & 0xFF, level);
  unsigned char g = BlendComponent((under >> 8) & 0xFF, (text >> 8) & 0xFF, level);
  unsigned char b = BlendComponent((under >> 16) & 0xFF, (text >> 16) & 0xFF, level);
  return RGB(r, g, b);
}

// The faintest level leaves the pixel as it is, as Wine's DIB engine does.
void DrawGlyph(sim::Canvas &canvas, const Glyph &glyph, int x, int y, COLORREF color) {
  for (int row = 0; row < glyph.height; ++row)
    for (int col = 0; col < glyph.width; ++col) {
      int level = glyph.levels[static_cast<size_t>(row) * glyph.width + col];
      COLORREF under = sim::PixelAt(canvas, x + col, y + row);
      if (level > 1 && under != CLR_INVALID) sim::PutPixel(canvas, x + col, y + row, Blend(under, color, level));
    }
}

}  // namespace

const sim::FontRequest &sim::SystemFont() {
  static const FontRequest font = [] {
    FontRequest f;
    f.height = 16, f.width = 7, f.weight = FW_BOLD, f.face = "System";
    return f;
  }();
  return font;
}

sim::FontMetrics sim::MeasureFont(const FontRequest &font) { return Font(font).metrics; }

int sim::MeasureText(const FontRequest &font, std::u16string_view text) {
  const SizedFont &f = Font(font);
  if (!f.face) return 0;
  int width = 0;
  for (char16_t c : text) width += LoadGlyph(f, c, false).advance;
  return width;
}

void sim::DrawText(Canvas &canvas, const FontRequest &font, int x, int y, std::u16string_view text, COLORREF color) {
  const SizedFont &f = Font(font);
  if (!f.face) return;
  int baseline = y + f.metrics.ascent;
  for (char16_t c : text) {
    Glyph glyph = LoadGlyph(f, c, true);
    DrawGlyph(canvas, glyph, x + glyph.left, baseline - glyph.top, color);
    x += glyph.advance;
  }
}
