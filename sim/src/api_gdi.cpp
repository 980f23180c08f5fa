// GDI32: stock and created objects, memory device contexts, selection and
// the drawing state of a device context.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <utility>

#include "api_support.h"
#include "gdi_font.h"
#include "gdi_internal.h"

using sim::M;

namespace {

sim::GdiState &Gdi() {
  auto &gdi = M().user.gdi;
  if (!gdi) gdi = std::make_shared<sim::GdiState>();
  return *gdi;
}

SimGdiObject StockObject(GdiKind kind, COLORREF color, bool hollow) {
  SimGdiObject object;
  object.kind = kind, object.stock = true, object.color = color, object.hollow = hollow;
  if (kind == GdiKind::Font) object.font = sim::SystemFont();
  return object;
}

// Indexed by the stock object numbers; the grey brushes and the null pen
// complete the numbering before the system font.
SimGdiObject *Stock(int index) {
  static SimGdiObject brushesAndPens[] = {
      StockObject(GdiKind::Brush, RGB(255, 255, 255), false), StockObject(GdiKind::Brush, RGB(192, 192, 192), false),
      StockObject(GdiKind::Brush, RGB(128, 128, 128), false), StockObject(GdiKind::Brush, RGB(64, 64, 64), false),
      StockObject(GdiKind::Brush, RGB(0, 0, 0), false),       StockObject(GdiKind::Brush, 0, true),
      StockObject(GdiKind::Pen, RGB(255, 255, 255), false),   StockObject(GdiKind::Pen, RGB(0, 0, 0), false),
      StockObject(GdiKind::Pen, 0, true),
  };
  static SimGdiObject systemFont = StockObject(GdiKind::Font, 0, false);
  if (index == SYSTEM_FONT) return &systemFont;
  if (index < 0 || index >= static_cast<int>(std::size(brushesAndPens))) return nullptr;
  return &brushesAndPens[index];
}

// The memory device context's bitmap until the program selects its own.
HBITMAP DefaultBitmap() {
  static SimGdiObject bitmap = [] {
    SimGdiObject b = StockObject(GdiKind::Bitmap, 0, false);
    b.bitmap = sim::MakeCanvas(1, 1, RGB(0, 0, 0));
    return b;
  }();
  return &bitmap;
}

HGDIOBJ AddObject(SimGdiObject object) {
  auto &objects = Gdi().objects;
  objects.push_back(std::make_unique<SimGdiObject>(std::move(object)));
  return objects.back().get();
}

void FreeObject(HGDIOBJ object) {
  auto &objects = Gdi().objects;
  objects.erase(std::remove_if(objects.begin(), objects.end(), [&](const auto &o) { return o.get() == object; }),
                objects.end());
}

// Leaves the slot of a device context; an object deleted while selected goes now.
void Deselect(HGDIOBJ object) {
  SimGdiObject *o = sim::FindGdiObject(object);
  if (!o || o->stock) return;
  if (--o->selections == 0 && o->deletePending) FreeObject(object);
}

HGDIOBJ *Slot(SimDc &dc, GdiKind kind) {
  switch (kind) {
    case GdiKind::Pen: return &dc.pen;
    case GdiKind::Brush: return &dc.brush;
    case GdiKind::Font: return &dc.font;
    case GdiKind::Bitmap: return &dc.bitmap;
  }
  return nullptr;
}

}  // namespace

SimGdiObject *sim::FindGdiObject(HGDIOBJ object) {
  for (int i = 0; i <= SYSTEM_FONT; ++i)
    if (Stock(i) == object && object) return object;
  if (object == DefaultBitmap()) return object;
  for (const auto &o : Gdi().objects)
    if (o.get() == object) return o.get();
  return nullptr;
}

SimDc *sim::FindDc(HDC dc) {
  for (const auto &d : Gdi().dcs)
    if (d.get() == dc) return d.get();
  return nullptr;
}

HDC sim::OpenDc(HWND window, bool screen) {
  auto dc = std::make_unique<SimDc>();
  dc->window = window;
  dc->screen = !window && screen;
  dc->pen = Stock(BLACK_PEN), dc->brush = Stock(WHITE_BRUSH), dc->font = Stock(SYSTEM_FONT);
  if (!window && !screen) dc->bitmap = DefaultBitmap();
  ++Gdi().contextsRequested;
  Gdi().dcs.push_back(std::move(dc));
  return Gdi().dcs.back().get();
}

void sim::CloseDc(HDC dc) {
  SimDc *d = FindDc(dc);
  if (!d) return;
  for (HGDIOBJ object : {d->pen, d->brush, d->font, d->bitmap}) Deselect(object);
  auto &dcs = Gdi().dcs;
  dcs.erase(std::remove_if(dcs.begin(), dcs.end(), [&](const auto &x) { return x.get() == dc; }), dcs.end());
}

sim::Canvas *sim::DcCanvas(const SimDc &dc) {
  if (dc.window) return WindowCanvas(dc.window);
  if (dc.screen) return ScreenCanvas();
  SimGdiObject *bitmap = FindGdiObject(dc.bitmap);
  return bitmap ? &bitmap->bitmap : nullptr;
}

// The desktop is black, as a screen without wallpaper, until the program
// draws on it; the windows on the screen are not part of it.
sim::Canvas *sim::ScreenCanvas() {
  Canvas &desktop = Gdi().desktop;
  const int width = M().profile.screenWidth, height = M().profile.screenHeight;
  if (desktop.width != width || desktop.height != height) desktop = MakeCanvas(width, height, RGB(0, 0, 0));
  return &desktop;
}

int sim::DeviceContextsRequested() { return Gdi().contextsRequested; }

const sim::FontRequest &sim::DcFont(const SimDc &dc) {
  SimGdiObject *font = FindGdiObject(dc.font);
  return font ? font->font : SystemFont();
}

COLORREF sim::BrushColor(HBRUSH brush) {
  SimGdiObject *o = FindGdiObject(brush);
  return o && o->kind == GdiKind::Brush && !o->hollow ? o->color : RGB(255, 255, 255);
}

// ---- Objects ----

HGDIOBJ GetStockObject(int object) { return Stock(object); }

HPEN CreatePen(int style, int, COLORREF color) {
  SimGdiObject pen;
  pen.kind = GdiKind::Pen, pen.color = color, pen.hollow = style != PS_SOLID;
  return AddObject(std::move(pen));
}

HBRUSH CreateSolidBrush(COLORREF color) {
  SimGdiObject brush;
  brush.kind = GdiKind::Brush, brush.color = color;
  return AddObject(std::move(brush));
}

HFONT CreateFontA(int height, int width, int, int, int weight, DWORD, DWORD, DWORD, DWORD charSet, DWORD, DWORD,
                  DWORD, DWORD, LPCSTR face) {
  sim::FontRequest font;
  font.height = height, font.width = width, font.weight = weight;
  font.charSet = charSet;
  // The face name of an 8-bit call is in the ANSI code page, whatever the
  // character set the font asks for.
  font.face = sim::AnsiToUtf8(face);
  return sim::MakeFont(font);
}

HFONT sim::MakeFont(const FontRequest &request) {
  SimGdiObject font;
  font.kind = GdiKind::Font;
  font.font = request;
  return AddObject(std::move(font));
}

HBITMAP CreateCompatibleBitmap(HDC dc, int width, int height) {
  if (!sim::FindDc(dc) || width <= 0 || height <= 0) return nullptr;
  SimGdiObject bitmap;
  bitmap.kind = GdiKind::Bitmap;
  bitmap.bitmap = sim::MakeCanvas(width, height, RGB(0, 0, 0));
  return AddObject(std::move(bitmap));
}

// The header may lie at any address, as a bitmap file's does in memory.
HBITMAP CreateDIBitmap(HDC dc, const BITMAPINFOHEADER *headerAt, DWORD init, const void *bits, const BITMAPINFO *info,
                       UINT usage) {
  if (!sim::FindDc(dc) || !headerAt) return nullptr;
  BITMAPINFOHEADER header;
  std::memcpy(&header, headerAt, sizeof header);
  if (header.biBitCount != 24 || header.biWidth <= 0 || header.biHeight == 0 || usage != DIB_RGB_COLORS)
    return nullptr;
  int width = header.biWidth, height = header.biHeight < 0 ? -header.biHeight : header.biHeight;
  SimGdiObject bitmap;
  bitmap.kind = GdiKind::Bitmap;
  bitmap.bitmap = sim::MakeCanvas(width, height, RGB(0, 0, 0));
  if ((init & CBM_INIT) && bits && info) {
    const BYTE *data = static_cast<const BYTE *>(bits);
    size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3);  // rows padded to 4 bytes
    for (int y = 0; y < height; ++y) {
      const BYTE *row = data + stride * (header.biHeight < 0 ? y : height - 1 - y);
      for (int x = 0; x < width; ++x)
        sim::PutPixel(bitmap.bitmap, x, y, RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]));
    }
  }
  return AddObject(std::move(bitmap));
}

HGDIOBJ SelectObject(HDC dc, HGDIOBJ object) {
  SimDc *d = sim::FindDc(dc);
  SimGdiObject *o = sim::FindGdiObject(object);
  if (!d || !o || o->deletePending) return nullptr;
  if (o->kind == GdiKind::Bitmap && (d->window || d->screen)) return nullptr;  // bitmaps go into memory contexts only
  HGDIOBJ *slot = Slot(*d, o->kind);
  HGDIOBJ previous = *slot;
  if (!o->stock) ++o->selections;
  *slot = object;
  Deselect(previous);
  return previous;
}

// Like Wine, a selected object is deleted once the last context lets go of it,
// and the call succeeds at once.
BOOL DeleteObject(HGDIOBJ object) {
  SimGdiObject *o = sim::FindGdiObject(object);
  if (!o) return FALSE;
  if (o->stock) return TRUE;
  if (o->selections > 0) o->deletePending = true;
  else FreeObject(object);
  return TRUE;
}

// ---- Memory device contexts ----

HDC CreateCompatibleDC(HDC dc) {
  if (dc && !sim::FindDc(dc)) return nullptr;
  return sim::OpenDc(nullptr);
}

BOOL DeleteDC(HDC dc) {
  SimDc *d = sim::FindDc(dc);
  if (!d || d->window || d->screen) return FALSE;
  sim::CloseDc(dc);
  return TRUE;
}

// ---- Drawing state ----

COLORREF SetTextColor(HDC dc, COLORREF color) {
  SimDc *d = sim::FindDc(dc);
  if (!d) return CLR_INVALID;
  return std::exchange(d->textColor, color);
}

COLORREF SetBkColor(HDC dc, COLORREF color) {
  SimDc *d = sim::FindDc(dc);
  if (!d) return CLR_INVALID;
  return std::exchange(d->backColor, color);
}

int SetBkMode(HDC dc, int mode) {
  SimDc *d = sim::FindDc(dc);
  if (!d || (mode != TRANSPARENT && mode != OPAQUE)) return 0;
  return std::exchange(d->backgroundMode, mode);
}

COLORREF GetPixel(HDC dc, int x, int y) {
  SimDc *d = sim::FindDc(dc);
  sim::Canvas *canvas = d ? sim::DcCanvas(*d) : nullptr;
  return canvas ? sim::PixelAt(*canvas, x, y) : CLR_INVALID;
}

COLORREF SetPixel(HDC dc, int x, int y, COLORREF color) {
  SimDc *d = sim::FindDc(dc);
  sim::Canvas *canvas = d ? sim::DcCanvas(*d) : nullptr;
  if (!canvas || sim::PixelAt(*canvas, x, y) == CLR_INVALID) return CLR_INVALID;
  sim::PutPixel(*canvas, x, y, color & 0xFFFFFF);
  return color & 0xFFFFFF;
}
