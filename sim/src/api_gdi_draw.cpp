// GDI32 drawing: lines, rectangles and bitmap copies, by Windows' pixel rules
// (a line leaves out its end point, a rectangle its right and bottom edge).
#include <cstdlib>

#include "api_support.h"
#include "gdi_internal.h"

namespace {

// The pen of a context that can draw: null for the null pen or no canvas.
const SimGdiObject *DrawingPen(const SimDc &dc) {
  const SimGdiObject *pen = sim::FindGdiObject(dc.pen);
  return pen && !pen->hollow ? pen : nullptr;
}

// Bresenham from (x0, y0) towards (x1, y1), the end point left out.
void DrawLine(sim::Canvas &canvas, int x0, int y0, int x1, int y1, COLORREF color) {
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1, error = dx + dy;
  while (x0 != x1 || y0 != y1) {
    sim::PutPixel(canvas, x0, y0, color);
    int twice = 2 * error;
    if (twice >= dy) error += dy, x0 += sx;
    if (twice <= dx) error += dx, y0 += sy;
  }
}

}  // namespace

BOOL MoveToEx(HDC dc, int x, int y, POINT *previous) {
  SimDc *d = sim::FindDc(dc);
  if (!d) return FALSE;
  if (previous) *previous = d->position;
  d->position = POINT{x, y};
  return TRUE;
}

BOOL LineTo(HDC dc, int x, int y) {
  SimDc *d = sim::FindDc(dc);
  sim::Canvas *canvas = d ? sim::DcCanvas(*d) : nullptr;
  if (!canvas) return FALSE;
  if (const SimGdiObject *pen = DrawingPen(*d)) DrawLine(*canvas, d->position.x, d->position.y, x, y, pen->color);
  d->position = POINT{x, y};
  return TRUE;
}

// The outline takes the outermost pixels inside (left, top)-(right, bottom),
// the brush fills what is within it; an empty rectangle draws nothing.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom) {
  SimDc *d = sim::FindDc(dc);
  sim::Canvas *canvas = d ? sim::DcCanvas(*d) : nullptr;
  if (!canvas) return FALSE;
  if (left > right) std::swap(left, right);
  if (top > bottom) std::swap(top, bottom);
  if (left == right || top == bottom) return TRUE;
  const SimGdiObject *brush = sim::FindGdiObject(d->brush);
  if (brush && !brush->hollow) sim::FillCanvas(*canvas, left + 1, top + 1, right - 1, bottom - 1, brush->color);
  if (const SimGdiObject *pen = DrawingPen(*d)) {
    sim::FillCanvas(*canvas, left, top, right, top + 1, pen->color);
    sim::FillCanvas(*canvas, left, bottom - 1, right, bottom, pen->color);
    sim::FillCanvas(*canvas, left, top, left + 1, bottom, pen->color);
    sim::FillCanvas(*canvas, right - 1, top, right, bottom, pen->color);
  }
  return TRUE;
}

// Destination pixel i takes source pixel i * source size / destination size,
// so enlarging repeats rows and columns as Windows' default stretch mode
// does (two rows over seven: the first four, then three); when shrinking
// Windows would AND the dropped rows in (narrower here).
BOOL StretchBlt(HDC dst, int xDst, int yDst, int wDst, int hDst, HDC src, int xSrc, int ySrc, int wSrc, int hSrc,
                DWORD rop) {
  SimDc *to = sim::FindDc(dst), *from = sim::FindDc(src);
  sim::Canvas *target = to ? sim::DcCanvas(*to) : nullptr;
  sim::Canvas *source = from ? sim::DcCanvas(*from) : nullptr;
  if (!target || !source || rop != SRCCOPY) return FALSE;
  if (wDst <= 0 || hDst <= 0 || wSrc <= 0 || hSrc <= 0) return TRUE;
  for (int y = 0; y < hDst; ++y) {
    int sy = ySrc + static_cast<int>(static_cast<long long>(y) * hSrc / hDst);
    for (int x = 0; x < wDst; ++x) {
      int sx = xSrc + static_cast<int>(static_cast<long long>(x) * wSrc / wDst);
      COLORREF c = sim::PixelAt(*source, sx, sy);
      if (c != CLR_INVALID) sim::PutPixel(*target, xDst + x, yDst + y, c);
    }
  }
  return TRUE;
}
