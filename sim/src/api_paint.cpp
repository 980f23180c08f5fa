// USER32's side of painting: a window's client area and canvas, the device
// contexts on it, the controls drawn over their parent, and the paint
// observer that setup-sim saves pictures with.
#include <algorithm>

#include "api_support.h"
#include "controls.h"
#include "gdi_font.h"
#include "gdi_internal.h"

using sim::M;

namespace {

// An overlapped window, and a popup with a caption, has a caption and a
// fixed frame around its client area (3 pixels each side, a 19-pixel
// caption, as Wine draws an unmanaged window; a dialog's modal frame is as
// wide); a child or a bare popup is all client area.
const int kFrameX = 3, kCaptionY = 22, kFrameWidth = 6, kFrameHeight = 25;

bool IsFramed(DWORD style) {
  if (style & WS_CHILD) return false;
  return !(style & WS_POPUP) || (style & WS_CAPTION) == WS_CAPTION;
}

SIZE ClientSize(const SimWindow &w) {
  if (!IsFramed(w.style)) return SIZE{w.width, w.height};
  return SIZE{std::max(w.width - kFrameWidth, 0), std::max(w.height - kFrameHeight, 0)};
}

// The system's dialog class paints the button face.
COLORREF ClassBackground(const SimWindow &w) {
  for (const auto &c : M().user.classes)
    if (sim::EqualNoCase(sim::Utf8ToUtf16(c.name), sim::Utf8ToUtf16(w.className))) return sim::BrushColor(c.background);
  return sim::SystemClassProcedure(w.className) ? sim::kButtonFace : RGB(255, 255, 255);
}

// The end of a paint of a top-level window: its children, then the observer.
void FinishPaint(HWND window, bool paintMessage) {
  SimWindow *w = M().user.Find(window);
  if (!w || (w->style & WS_CHILD)) return;
  sim::DrawChildControls(window, *sim::WindowCanvas(window));
  if (M().user.paintObserver) M().user.paintObserver(window, paintMessage);
}

}  // namespace

POINT sim::ClientOffset(DWORD style) { return IsFramed(style) ? POINT{kFrameX, kCaptionY} : POINT{0, 0}; }

SIZE sim::WindowSizeForClient(DWORD style, SIZE client) {
  if (!IsFramed(style)) return client;
  return SIZE{client.cx + kFrameWidth, client.cy + kFrameHeight};
}

sim::Canvas *sim::WindowCanvas(HWND window) {
  SimWindow *w = M().user.Find(window);
  if (!w) return nullptr;
  SIZE size = ClientSize(*w);
  if (w->canvas.width != size.cx || w->canvas.height != size.cy)
    w->canvas = MakeCanvas(size.cx, size.cy, ClassBackground(*w));
  return &w->canvas;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  SimWindow *w = M().user.Find(window);
  if (!w) {
    sim::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  SIZE size = ClientSize(*w);
  *rect = RECT{0, 0, size.cx, size.cy};
  return TRUE;
}

// The whole client area is to be painted; the background is not erased
// again, as every screen of the program paints all of it.
HDC BeginPaint(HWND window, LPPAINTSTRUCT paint) {
  sim::Canvas *canvas = sim::WindowCanvas(window);
  if (!canvas || !paint) return nullptr;
  canvas->texts.clear();
  *paint = PAINTSTRUCT{};
  paint->hdc = sim::OpenDc(window);
  paint->rcPaint = RECT{0, 0, canvas->width, canvas->height};
  return paint->hdc;
}

BOOL EndPaint(HWND window, const PAINTSTRUCT *paint) {
  SimWindow *w = M().user.Find(window);
  if (!w || !paint) return FALSE;
  w->needsPaint = false;
  sim::CloseDc(paint->hdc);
  FinishPaint(window, true);
  return TRUE;
}

// Without a window the context is the screen's: what is drawn with it lands
// on the desktop. Narrower than Windows: the desktop holds only that, not
// the windows shown over it.
HDC GetDC(HWND window) {
  if (window && !sim::WindowCanvas(window)) return nullptr;
  return sim::OpenDc(window, !window);
}

int ReleaseDC(HWND window, HDC dc) {
  SimDc *d = sim::FindDc(dc);
  if (!d || d->window != window || (!window && !d->screen)) return 0;
  sim::CloseDc(dc);
  FinishPaint(window, false);
  return 1;
}
