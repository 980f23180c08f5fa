// The simulated GDI's objects and device contexts, shared by the GDI calls,
// the paint calls and the text drawing.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "simmachine/canvas.h"
#include "simwin/windows.h"

namespace sim {

// A font as CreateFontA asked for it; the face is matched when drawing.
struct FontRequest {
  int height = 0, width = 0, weight = 0;
  unsigned charSet = DEFAULT_CHARSET;
  std::string face;  // UTF-8
};

}  // namespace sim

enum class GdiKind { Pen, Brush, Font, Bitmap };

struct SimGdiObject {
  GdiKind kind = GdiKind::Pen;
  bool stock = false;
  COLORREF color = 0;   // of a pen or brush
  bool hollow = false;  // the null brush and pen draw nothing
  sim::FontRequest font;
  sim::Canvas bitmap;
  int selections = 0;          // device contexts it is selected in
  bool deletePending = false;  // deleted while selected
};

struct SimDc {
  HWND window = nullptr;  // null for the screen's and for a memory device context
  bool screen = false;    // GetDC of no window: it draws on the desktop
  HGDIOBJ pen = nullptr, brush = nullptr, font = nullptr, bitmap = nullptr;
  COLORREF textColor = RGB(0, 0, 0), backColor = RGB(255, 255, 255);
  int backgroundMode = OPAQUE;
  POINT position = {0, 0};
};

namespace sim {

struct GdiState {
  std::vector<std::unique_ptr<SimGdiObject>> objects;
  std::vector<std::unique_ptr<SimDc>> dcs;
  Canvas desktop;             // what the screen's contexts drew, sized on first use
  int contextsRequested = 0;  // every device context the program was given
};

// A stock object or a live object of the program; null for anything else.
SimGdiObject *FindGdiObject(HGDIOBJ object);
SimDc *FindDc(HDC dc);
// A device context with the default objects; on `window`'s client area, on
// the desktop (`screen`), or a memory one with the 1 x 1 default bitmap.
HDC OpenDc(HWND window, bool screen = false);
// A font object of the program, as CreateFont makes one.
HFONT MakeFont(const FontRequest &font);
// Deselects the context's objects (finishing their pending deletes) and frees it.
void CloseDc(HDC dc);
// What the context draws on: the window's canvas, the desktop or the
// selected bitmap.
Canvas *DcCanvas(const SimDc &dc);
const FontRequest &DcFont(const SimDc &dc);
// The colour a window class's background brush paints, white when it names
// no solid brush (a system colour index, or none).
COLORREF BrushColor(HBRUSH brush);

// Pixels, clipped to the canvas; rectangles exclude right and bottom.
void FillCanvas(Canvas &canvas, int left, int top, int right, int bottom, COLORREF color);
void PutPixel(Canvas &canvas, int x, int y, COLORREF color);
COLORREF PixelAt(const Canvas &canvas, int x, int y);

}  // namespace sim
