// Conformance of the GDI calls the wizard paints with: where lines and
// rectangles put their pixels, how a bottom-up bitmap lands when copied and
// stretched, and the size the Chinese fonts draw at, so that a simulated
// screen and a Wine screenshot of the same screen line up.
#include <string.h>

#include "platform/conformance.h"

namespace {

const COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);
const COLORREF kRed = RGB(255, 0, 0), kGreen = RGB(0, 255, 0), kBlue = RGB(0, 0, 255);

// A white colour bitmap selected into a memory device context.
struct Surface {
  HDC screen;
  HDC dc;
  HBITMAP bitmap;
  HGDIOBJ previous;
};

Surface OpenSurface(int width, int height) {
  Surface s;
  s.screen = GetDC(NULL);
  s.dc = CreateCompatibleDC(s.screen);
  s.bitmap = CreateCompatibleBitmap(s.screen, width, height);
  s.previous = SelectObject(s.dc, s.bitmap);
  HGDIOBJ pen = SelectObject(s.dc, GetStockObject(WHITE_PEN));
  Rectangle(s.dc, 0, 0, width, height);
  SelectObject(s.dc, pen);
  return s;
}

void CloseSurface(Surface *s) {
  SelectObject(s->dc, s->previous);
  DeleteObject(s->bitmap);
  DeleteDC(s->dc);
  ReleaseDC(NULL, s->screen);
}

// The smallest rectangle holding every pixel that is not white.
RECT InkBox(HDC dc, int width, int height) {
  RECT box = {width, height, 0, 0};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      if (GetPixel(dc, x, y) == kWhite) continue;
      if (x < box.left) box.left = x;
      if (y < box.top) box.top = y;
      if (x + 1 > box.right) box.right = x + 1;
      if (y + 1 > box.bottom) box.bottom = y + 1;
    }
  return box;
}

}  // namespace

// The wizard's window (an overlapped window with a system menu, 400 x 310)
// loses its fixed frame and caption to the client area; a popup keeps all
// of it.
CONFORMANCE_CHECK(OverlappedWindowClientAreaLeavesOutFrameAndCaption) {
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = DefWindowProcA;
  windowClass.hInstance = GetModuleHandleA(NULL);
  windowClass.hbrBackground = (HBRUSH)GetStockObject(WHITE_BRUSH);
  windowClass.lpszClassName = "ConformanceCanvas";
  CHECK(RegisterClassA(&windowClass) != 0);
  static const struct {
    DWORD style;
    LONG width, height;
  } windows[] = {{WS_SYSMENU, 394, 285}, {WS_POPUP, 400, 310}};
  for (size_t i = 0; i < sizeof windows / sizeof windows[0]; ++i) {
    HWND window = CreateWindowExA(0, "ConformanceCanvas", "canvas", windows[i].style, 0, 0, 400, 310, NULL, NULL,
                                  windowClass.hInstance, NULL);
    RECT client;
    CHECK(GetClientRect(window, &client));
    CHECK_EQ(client.right, windows[i].width);
    CHECK_EQ(client.bottom, windows[i].height);
    DestroyWindow(window);
  }
}

// A line stops short of its end point, the next one starts there; a
// rectangle's outline lies on its left and top edge and just inside its
// right and bottom edge, the brush fills the rest; an empty one draws nothing.
CONFORMANCE_CHECK(LinesLeaveOutTheirEndAndRectanglesTheirRightAndBottomEdge) {
  Surface s = OpenSurface(40, 20);
  MoveToEx(s.dc, 2, 2, NULL);
  CHECK(LineTo(s.dc, 8, 2));
  CHECK(LineTo(s.dc, 8, 6));
  CHECK_EQ(GetPixel(s.dc, 7, 2), kBlack);
  CHECK_EQ(GetPixel(s.dc, 8, 2), kBlack);
  CHECK_EQ(GetPixel(s.dc, 8, 5), kBlack);
  CHECK_EQ(GetPixel(s.dc, 8, 6), kWhite);
  CHECK_EQ(GetPixel(s.dc, 9, 2), kWhite);

  HPEN pen = CreatePen(PS_SOLID, 1, kBlue);
  HBRUSH brush = CreateSolidBrush(kRed);
  HGDIOBJ oldPen = SelectObject(s.dc, pen);
  HGDIOBJ oldBrush = SelectObject(s.dc, brush);
  CHECK(Rectangle(s.dc, 10, 10, 20, 16));
  CHECK(Rectangle(s.dc, 30, 10, 30, 16));
  CHECK_EQ(GetPixel(s.dc, 10, 10), kBlue);
  CHECK_EQ(GetPixel(s.dc, 19, 15), kBlue);
  CHECK_EQ(GetPixel(s.dc, 11, 11), kRed);
  CHECK_EQ(GetPixel(s.dc, 18, 14), kRed);
  CHECK_EQ(GetPixel(s.dc, 20, 15), kWhite);
  CHECK_EQ(GetPixel(s.dc, 19, 16), kWhite);
  CHECK_EQ(GetPixel(s.dc, 30, 12), kWhite);
  // Deleting a selected pen succeeds; the pen goes once it is deselected.
  CHECK(DeleteObject(pen));
  CHECK(SelectObject(s.dc, oldPen) == pen);
  CHECK(DeleteObject(GetStockObject(BLACK_PEN)));
  SelectObject(s.dc, oldBrush);
  DeleteObject(brush);
  CloseSurface(&s);
}

// A 24-bit bottom-up image, rows padded to four bytes, is copied right side
// up; enlarged, its rows repeat; with no width nothing is drawn.
CONFORMANCE_CHECK(BottomUpBitmapLandsRightSideUpAndStretchRepeatsRows) {
  // Top row red, green; bottom row blue, black; stored bottom row first.
  static const BYTE bits[] = {255, 0, 0, 0, 0, 0, 0, 0, 0, 0, 255, 0, 255, 0, 0, 0};
  BITMAPINFO info;
  memset(&info, 0, sizeof info);
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = 2;
  info.bmiHeader.biHeight = 2;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  Surface s = OpenSurface(30, 30);
  HBITMAP image = CreateDIBitmap(s.dc, &info.bmiHeader, CBM_INIT, bits, &info, DIB_RGB_COLORS);
  CHECK(image != NULL);
  HDC source = CreateCompatibleDC(s.dc);
  HGDIOBJ previous = SelectObject(source, image);
  CHECK(StretchBlt(s.dc, 5, 5, 2, 2, source, 0, 0, 2, 2, SRCCOPY));
  CHECK_EQ(GetPixel(s.dc, 5, 5), kRed);
  CHECK_EQ(GetPixel(s.dc, 6, 5), kGreen);
  CHECK_EQ(GetPixel(s.dc, 5, 6), kBlue);
  CHECK_EQ(GetPixel(s.dc, 6, 6), kBlack);
  CHECK_EQ(GetPixel(s.dc, 7, 5), kWhite);
  // The wizard's banner strip: two rows over many.
  CHECK(StretchBlt(s.dc, 10, 5, 2, 7, source, 0, 0, 2, 2, SRCCOPY));
  int redRows = 0;
  for (int y = 5; y < 12; ++y) redRows += GetPixel(s.dc, 10, y) == kRed;
  CHECK_EQ(redRows, 4);
  CHECK_EQ(GetPixel(s.dc, 10, 11), kBlue);
  CHECK_EQ(GetPixel(s.dc, 10, 12), kWhite);
  StretchBlt(s.dc, 20, 5, 0, 7, source, 0, 0, 2, 2, SRCCOPY);
  CHECK_EQ(InkBox(s.dc, 30, 30).right, 12);
  SelectObject(source, previous);
  DeleteDC(source);
  DeleteObject(image);
  CloseSurface(&s);
}

// The body font ("宋体", 22 by 7, GB2312) and the title font ("楷体", 40 by 20):
// cell height, ascent, average width, the extent of a button label and the
// cell an opaque background fills.
CONFORMANCE_CHECK(ChineseFontsHaveTheCellAndExtentOfTheWizard) {
  static const struct {
    int height, width;
    const char *face;
    LONG ascent, labelWidth;
  } fonts[] = {{22, 7, "宋体", 19, 77}, {40, 20, "楷体", 35, 0}};
  for (size_t i = 0; i < sizeof fonts / sizeof fonts[0]; ++i) {
    Surface s = OpenSurface(300, 50);
    HFONT font = CreateFontA(fonts[i].height, fonts[i].width, 0, 0, 0, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0,
                             fonts[i].face);
    HGDIOBJ previous = SelectObject(s.dc, font);
    TEXTMETRICA metrics;
    CHECK(GetTextMetricsA(s.dc, &metrics));
    CHECK_EQ(metrics.tmHeight, fonts[i].height);
    CHECK_EQ(metrics.tmAscent, fonts[i].ascent);
    CHECK_EQ(metrics.tmAveCharWidth, fonts[i].width);
    SIZE extent;
    CHECK(GetTextExtentPoint32W(s.dc, L"确 定 安 装", 7, &extent));
    CHECK_EQ(extent.cy, fonts[i].height);
    if (fonts[i].labelWidth) CHECK_EQ(extent.cx, fonts[i].labelWidth);
    // An opaque background fills exactly the text cell.
    SetBkColor(s.dc, kRed);
    CHECK(TextOutW(s.dc, 0, 0, L"确 定 安 装", 7));
    CHECK_EQ(GetPixel(s.dc, 0, 0), kRed);
    CHECK_EQ(GetPixel(s.dc, extent.cx - 1, extent.cy - 1), kRed);
    CHECK_EQ(GetPixel(s.dc, extent.cx, 0), kWhite);
    CHECK_EQ(GetPixel(s.dc, 0, extent.cy), kWhite);
    SelectObject(s.dc, previous);
    DeleteObject(font);
    CloseSurface(&s);
  }
}

// Where the ink of the wizard's fonts falls in the text cell and how dark
// each pixel is: glyphs are sized, placed, emboldened and antialiased alike,
// pixel for pixel. The ink box is left, top, right, bottom as four 2-digit
// numbers.
CONFORMANCE_CHECK(ChineseTextInkLiesWhereWineDrawsIt) {
  static const struct {
    int height, width, weight;
    const char *face;
    const wchar_t *text;
    long long inkBox;
    long darkness;
  } fonts[] = {
      {22, 7, 0, "宋体", L"确定", 4043124, 17588},
      {40, 20, 0, "楷体", L"智能", 6078241, 103922},
      {30, 15, FW_BOLD, "楷体", L"拼音", 4056831, 116682},
      {16, 8, FW_BOLD, "宋体", L"五笔", 4033617, 30669},
  };
  for (size_t i = 0; i < sizeof fonts / sizeof fonts[0]; ++i) {
    Surface s = OpenSurface(100, 50);
    HFONT font = CreateFontA(fonts[i].height, fonts[i].width, 0, 0, fonts[i].weight, 0, 0, 0, GB2312_CHARSET, 0, 0,
                             0, 0, fonts[i].face);
    HGDIOBJ previous = SelectObject(s.dc, font);
    SetBkMode(s.dc, TRANSPARENT);
    CHECK(TextOutW(s.dc, 4, 3, fonts[i].text, 2));
    RECT ink = InkBox(s.dc, 100, 50);
    CHECK_EQ(ink.left * 1000000LL + ink.top * 10000 + ink.right * 100 + ink.bottom, fonts[i].inkBox);
    long darkness = 0;
    int shades = 0, seen[256] = {0};
    for (int y = 0; y < 50; ++y)
      for (int x = 0; x < 100; ++x) {
        COLORREF c = GetPixel(s.dc, x, y);
        darkness += 255 - (long)(c & 0xFF);
        if (!seen[c & 0xFF]++) ++shades;
      }
    CHECK_EQ(darkness, fonts[i].darkness);
    CHECK(shades > 2);  // antialiased
    SelectObject(s.dc, previous);
    DeleteObject(font);
    CloseSurface(&s);
  }
}
