// The system's control classes: an edit field that takes typing, buttons
// that check themselves and tell their parent they were clicked, static text,
// each drawn as Wine draws it without a theme.
#include "controls.h"

#include <algorithm>

#include "api_support.h"
#include "gdi_font.h"
#include "message_loop.h"

using sim::M;

namespace {

// The 3-D colours of Wine's default theme.
const COLORREF kHighlight = RGB(255, 255, 255);
const COLORREF kLight = RGB(227, 227, 227);
const COLORREF kShadow = RGB(166, 166, 166);
const COLORREF kDarkShadow = RGB(106, 106, 106);
const COLORREF kWindowFrame = RGB(158, 158, 158);
const COLORREF kText = RGB(0, 0, 0);
// A radio button's circle as Wine draws it at 96 dpi, 12 x 12 pixels one
// pixel in from the left: S shadow, D dark shadow, W white, L light, K the
// dot of a checked button (white otherwise), '.' the background.
const char *const kRadioCircle[] = {
    "....SSSS....", "..SSDDDDSS..", ".SSDWWWWD.W.", ".SDWWWWWWLW.", "SDWWWKKWWWLW", "SDWWKKKKWWLW",
    "SDWWKKKKWWLW", "SDWWWKKWWWLW", ".SDWWWWWWLW.", ".WWLWWWWLWW.", "..WWLLLLWW..", "....WWWW....",
};
const int kRadioCircleSize = 12;
const int kRadioTextLeft = 18;

bool IsClass(const SimWindow &w, const char16_t *name) { return sim::EqualNoCase(sim::Utf8ToUtf16(w.className), name); }
DWORD ButtonType(const SimWindow &w) { return w.style & BS_TYPEMASK; }

// The edit field keeps its text as its title, takes the focus when clicked
// and adds what is typed; everything else is default handling.
LRESULT EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CHAR) sim::TypeIntoEdit(window, static_cast<BYTE>(wParam));
  else if (message == WM_LBUTTONDOWN) SetFocus(window);
  else return DefWindowProcA(window, message, wParam, lParam);
  return 0;
}

// The font of WM_SETFONT, kept for painting; answers WM_GETFONT. False for
// other messages.
bool HandleFont(SimWindow &w, UINT message, WPARAM wParam, LRESULT *result) {
  if (message == WM_SETFONT) w.font = reinterpret_cast<HFONT>(wParam), *result = 0;
  else if (message == WM_GETFONT) *result = reinterpret_cast<LRESULT>(w.font);
  else return false;
  return true;
}

// A changed check mark shows at the parent's next paint, where the
// controls are drawn. A radio button is a tab stop while it is checked.
void SetCheck(SimWindow &w, UINT state) {
  if (ButtonType(w) == BS_AUTORADIOBUTTON) w.style = state ? (w.style | WS_TABSTOP) : (w.style & ~WS_TABSTOP);
  if (w.checked == state) return;
  w.checked = state;
  if (SimWindow *parent = M().user.Find(w.parent)) parent->needsPaint = true;
}

// Windows' dialog group: from the control back to the nearest sibling with
// WS_GROUP (or the first sibling), forward to before the next one. Clicking
// an auto radio button unchecks the other auto radio buttons in it.
void UncheckGroupSiblings(HWND button) {
  HWND parent = GetParent(button);
  std::vector<SimWindow *> siblings;
  for (const auto &w : M().user.windows)
    if (!w->destroyed && w->parent == parent && (w->style & WS_CHILD)) siblings.push_back(w.get());
  size_t at = 0;
  while (siblings[at] != button) ++at;
  size_t first = at;
  while (first > 0 && !(siblings[first]->style & WS_GROUP)) --first;
  for (size_t i = first; i < siblings.size() && (i == first || !(siblings[i]->style & WS_GROUP)); ++i)
    if (i != at && ButtonType(*siblings[i]) == BS_AUTORADIOBUTTON) SetCheck(*siblings[i], BST_UNCHECKED);
}

// A click (the button coming up over it) checks an auto radio button and
// tells the parent: WM_COMMAND with the id and BN_CLICKED. A group box takes
// no clicks.
void Clicked(HWND window, SimWindow &w) {
  if (ButtonType(w) == BS_GROUPBOX) return;
  if (ButtonType(w) == BS_AUTORADIOBUTTON) {
    SetCheck(w, BST_CHECKED);
    UncheckGroupSiblings(window);
  }
  WPARAM command = MAKEWPARAM(reinterpret_cast<UINT_PTR>(w.menu), BN_CLICKED);
  SendMessageA(w.parent, WM_COMMAND, command, reinterpret_cast<LPARAM>(window));
}

// BM_SETCHECK sets this button's mark only (radio buttons of a group are
// set one by one by a dialog that draws its own choices).
LRESULT ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SimWindow *w = M().user.Find(window);
  LRESULT result = 0;
  if (!w) return 0;
  if (HandleFont(*w, message, wParam, &result)) return result;
  switch (message) {
    case BM_GETCHECK: return w->checked;
    case BM_SETCHECK: SetCheck(*w, wParam == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED); return 0;
    case WM_LBUTTONDOWN:
      if (ButtonType(*w) != BS_GROUPBOX) SetFocus(window);
      return 0;
    case WM_LBUTTONUP: Clicked(window, *w); return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
  }
}

LRESULT StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  SimWindow *w = M().user.Find(window);
  LRESULT result = 0;
  if (w && HandleFont(*w, message, wParam, &result)) return result;
  return DefWindowProcA(window, message, wParam, lParam);
}

// ---- Drawing ----

const sim::FontRequest &ControlFont(const SimWindow &w) {
  const SimGdiObject *font = sim::FindGdiObject(w.font);
  return font && font->kind == GdiKind::Font ? font->font : sim::SystemFont();
}

int TextHeight(const sim::FontRequest &font) {
  sim::FontMetrics m = sim::MeasureFont(font);
  return m.ascent + m.descent;
}

// A control's text with the top-left of its cell at (x, y), over
// `background`, cut off at the control's edges as Windows clips a child's
// painting to its window.
void DrawLabel(sim::Canvas &canvas, const SimWindow &w, const sim::FontRequest &font, int x, int y,
               COLORREF background) {
  const int left = std::max(x, w.x), top = std::max(y, w.y);
  const int right = std::min(x + sim::MeasureText(font, w.title), w.x + w.width);
  const int bottom = std::min(y + TextHeight(font), w.y + w.height);
  if (left >= right || top >= bottom) return;
  sim::Canvas label = sim::MakeCanvas(right - left, bottom - top, background);
  sim::DrawText(label, font, x - left, y - top, w.title, kText);
  for (int ly = 0; ly < label.height; ++ly)
    for (int lx = 0; lx < label.width; ++lx)
      sim::PutPixel(canvas, left + lx, top + ly, label.pixels[ly * label.width + lx]);
  canvas.texts.push_back({x, y, sim::Utf16ToUtf8(w.title), kText, TRANSPARENT, font.face, font.height, font.width,
                          font.weight});
}

void HorizontalLine(sim::Canvas &c, int x0, int x1, int y, COLORREF color) { sim::FillCanvas(c, x0, y, x1, y + 1, color); }
void VerticalLine(sim::Canvas &c, int x, int y0, int y1, COLORREF color) { sim::FillCanvas(c, x, y0, x + 1, y1, color); }

// A rectangle's edge, `topLeft` along the top and left, `bottomRight` along
// the bottom and right.
void Edge(sim::Canvas &c, int left, int top, int right, int bottom, COLORREF topLeft, COLORREF bottomRight) {
  HorizontalLine(c, left, right - 1, top, topLeft);
  VerticalLine(c, left, top, bottom - 1, topLeft);
  HorizontalLine(c, left, right, bottom - 1, bottomRight);
  VerticalLine(c, right - 1, top, bottom, bottomRight);
}

// The dotted rectangle of the focus: every other pixel of its edges
// inverted, in a checkerboard fixed to the client area as Wine's is.
void FocusRectangle(sim::Canvas &c, int left, int top, int right, int bottom) {
  auto invert = [&c](int x, int y) {
    if ((x + y) % 2 == 0) return;
    COLORREF p = sim::PixelAt(c, x, y);
    sim::PutPixel(c, x, y, RGB(255 - (p & 0xFF), 255 - ((p >> 8) & 0xFF), 255 - ((p >> 16) & 0xFF)));
  };
  for (int x = left; x < right; ++x) invert(x, top), invert(x, bottom - 1);
  for (int y = top + 1; y < bottom - 1; ++y) invert(left, y), invert(right - 1, y);
}

// A raised button, the default one framed; the text centred, the focus
// dotted around it.
void DrawPushButton(sim::Canvas &c, HWND window, const SimWindow &w) {
  int left = w.x, top = w.y, right = w.x + w.width, bottom = w.y + w.height;
  sim::FillCanvas(c, left, top, right, bottom, sim::kButtonFace);
  if (ButtonType(w) == BS_DEFPUSHBUTTON) {
    Edge(c, left, top, right, bottom, kWindowFrame, kWindowFrame);
    ++left, ++top, --right, --bottom;
  }
  Edge(c, left, top, right, bottom, kHighlight, kDarkShadow);
  Edge(c, left + 1, top + 1, right - 1, bottom - 1, kLight, kShadow);
  if (M().user.focus == window) FocusRectangle(c, left + 2, top + 2, right - 2, bottom - 2);
  const sim::FontRequest &font = ControlFont(w);
  int textWidth = sim::MeasureText(font, w.title);
  DrawLabel(c, w, font, w.x + (w.width - textWidth) / 2, w.y + (w.height - TextHeight(font) - 1) / 2,
            sim::kButtonFace);
}

// An etched frame from half the text's height down, the text over it 8
// pixels in, on the face colour.
void DrawGroupBox(sim::Canvas &c, const SimWindow &w) {
  const sim::FontRequest &font = ControlFont(w);
  int frameTop = w.y + TextHeight(font) / 2 - 1, right = w.x + w.width, bottom = w.y + w.height;
  Edge(c, w.x, frameTop, right, bottom, kShadow, kHighlight);
  Edge(c, w.x + 1, frameTop + 1, right - 1, bottom - 1, kHighlight, kShadow);
  int textWidth = sim::MeasureText(font, w.title);
  sim::FillCanvas(c, w.x + 7, w.y, w.x + 9 + textWidth, w.y + TextHeight(font), sim::kButtonFace);
  DrawLabel(c, w, font, w.x + 8, w.y, sim::kButtonFace);
}

void DrawRadioCircle(sim::Canvas &c, int left, int top, bool checked) {
  for (int y = 0; y < kRadioCircleSize; ++y)
    for (int x = 0; x < kRadioCircleSize; ++x) {
      const char shade = kRadioCircle[y][x];
      COLORREF color = shade == 'S' ? kShadow : shade == 'D' ? kDarkShadow : shade == 'L' ? kLight : kHighlight;
      if (shade == 'K' && checked) color = kText;
      if (shade != '.') sim::PutPixel(c, left + x, top + y, color);
    }
}

// The circle centred on the height, the text after it.
void DrawRadioButton(sim::Canvas &c, const SimWindow &w) {
  const sim::FontRequest &font = ControlFont(w);
  DrawRadioCircle(c, w.x + 1, w.y + (w.height - kRadioCircleSize) / 2, w.checked == BST_CHECKED);
  DrawLabel(c, w, font, w.x + kRadioTextLeft, w.y + (w.height - TextHeight(font)) / 2, sim::kButtonFace);
}

void DrawControl(sim::Canvas &canvas, HWND window, const SimWindow &w) {
  if (IsClass(w, u"EDIT")) {
    // A white box with the text at (1, 0) in the system font, as Wine's edit
    // control places it.
    sim::FillCanvas(canvas, w.x, w.y, w.x + w.width, w.y + w.height, RGB(255, 255, 255));
    DrawLabel(canvas, w, sim::SystemFont(), w.x + 1, w.y, RGB(255, 255, 255));
  } else if (IsClass(w, u"STATIC")) {
    DrawLabel(canvas, w, ControlFont(w), w.x, w.y, sim::kButtonFace);
  } else if (IsClass(w, u"BUTTON")) {
    DWORD type = ButtonType(w);
    if (type == BS_GROUPBOX) DrawGroupBox(canvas, w);
    else if (type == BS_AUTORADIOBUTTON) DrawRadioButton(canvas, w);
    else DrawPushButton(canvas, window, w);
  }
}

}  // namespace

WNDPROC sim::SystemClassProcedure(const std::string &className) {
  const std::u16string name = Utf8ToUtf16(className);
  if (EqualNoCase(name, u"EDIT")) return EditProcedure;
  if (EqualNoCase(name, u"BUTTON")) return ButtonProcedure;
  if (EqualNoCase(name, u"STATIC")) return StaticProcedure;
  if (name == u"#32770") return DialogWindowProcedure;
  return nullptr;
}

void sim::DrawChildControls(HWND parent, Canvas &canvas) {
  for (const auto &child : M().user.windows)
    if (child->parent == parent && !child->destroyed && child->visible && (child->style & WS_CHILD))
      DrawControl(canvas, child.get(), *child);
}
