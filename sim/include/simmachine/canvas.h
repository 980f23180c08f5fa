// What a window shows, and the desktop: an RGB picture of its client area, and
// the texts drawn on it, so that tests can check what the user sees without
// reading pixels as letters.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "simwin/types.h"

namespace sim {

// One TextOut call as it landed on the canvas.
struct DrawnText {
  int x = 0, y = 0;       // the top-left of the text cell
  std::string text;       // UTF-8
  COLORREF color = 0;     // text colour
  int backgroundMode = 0; // TRANSPARENT or OPAQUE
  std::string face;       // the font's face name as asked for, UTF-8
  int height = 0, width = 0, weight = 0;
};

struct Canvas {
  int width = 0, height = 0;
  std::vector<COLORREF> pixels;  // rows top to bottom
  // Every text drawn since the last BeginPaint of the window (or since a
  // test cleared it); drawing over a text does not take it away.
  std::vector<DrawnText> texts;
};

Canvas MakeCanvas(int width, int height, COLORREF fill);

// The colour at (x, y) of a window's client area as a COLORREF (RGB(r, g, b)),
// or CLR_INVALID outside it or for no window.
COLORREF CanvasPixel(HWND window, int x, int y);
// The canvas of a live window, made on first use; null for no window.
Canvas *WindowCanvas(HWND window);

// The desktop as the screen's device context (GetDC of no window) drew on
// it, the machine's screen size.
Canvas *ScreenCanvas();
// How many device contexts the program was given (GetDC, BeginPaint,
// CreateCompatibleDC), of windows, the screen and memory alike.
int DeviceContextsRequested();

// Writes the canvas as an 8-bit RGB PNG; false when the file cannot be made.
bool WritePng(const Canvas &canvas, const std::filesystem::path &file);
bool WritePng(HWND window, const std::filesystem::path &file);

}  // namespace sim
