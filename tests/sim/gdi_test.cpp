// What the simulated screen shows beyond what Wine can check: 8-bit text of a
// Chinese font on a machine of another code page, edit fields drawn over
// their parent after its paint, and the saved picture.
#include <gtest/gtest.h>
#include <zlib.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "simmachine/canvas.h"
#include "simwin/windows.h"
#include "support/test_machine.h"

namespace {

using testing_support::ScopedMachine;

// Paints the whole client area black with the stock black brush.
LRESULT PaintBlack(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_PAINT) return DefWindowProcA(window, message, wParam, lParam);
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  HGDIOBJ brush = SelectObject(dc, GetStockObject(BLACK_BRUSH));
  Rectangle(dc, 0, 0, 394, 285);
  SelectObject(dc, brush);
  EndPaint(window, &paint);
  return 0;
}

HWND MakeWizardWindow() {
  WNDCLASSA windowClass = {};
  windowClass.lpfnWndProc = PaintBlack;
  windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
  windowClass.lpszClassName = "GdiTestWindow";
  RegisterClassA(&windowClass);
  return CreateWindowExA(0, "GdiTestWindow", "wizard", WS_OVERLAPPED | WS_CAPTION, 0, 0, 400, 310, nullptr,
                         nullptr, nullptr, nullptr);
}

// The pixel at (x, y) of an unfiltered 8-bit RGB PNG, read with zlib alone.
COLORREF PngPixel(const std::string &png, int x, int y) {
  auto be32 = [&](size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(png[at])) << 24 |
           static_cast<unsigned char>(png[at + 1]) << 16 | static_cast<unsigned char>(png[at + 2]) << 8 |
           static_cast<unsigned char>(png[at + 3]);
  };
  uint32_t width = be32(16), height = be32(20);
  std::string compressed;
  for (size_t at = 8; at + 8 <= png.size(); at += 12 + be32(at))
    if (png.compare(at + 4, 4, "IDAT") == 0) compressed += png.substr(at + 8, be32(at));
  std::vector<unsigned char> rows((width * 3 + 1) * height);
  uLongf size = rows.size();
  if (uncompress(rows.data(), &size, reinterpret_cast<const Bytef *>(compressed.data()), compressed.size()) != Z_OK)
    return CLR_INVALID;
  const unsigned char *p = &rows[y * (width * 3 + 1) + 1 + x * 3];
  return RGB(p[0], p[1], p[2]);
}

// A charset-134 font reads its 8-bit text as GBK even where the ANSI code
// page is Big5.
TEST(GdiText, ChineseFontReadsGbkOnABig5Machine) {
  ScopedMachine machine("win10-x64-cp950");
  HWND window = MakeWizardWindow();
  HDC dc = GetDC(window);
  HFONT font = CreateFontA(22, 7, 0, 0, 0, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
  SelectObject(dc, font);
  SetTextColor(dc, RGB(255, 255, 255));
  ASSERT_TRUE(TextOutA(dc, 35, 196, "安装路径：C:\\", 13));
  ReleaseDC(window, dc);
  DeleteObject(font);
  const auto &texts = sim::WindowCanvas(window)->texts;
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, u8"安装路径：C:\\");
  EXPECT_EQ(texts[0].x * 1000 + texts[0].y, 35196);
  EXPECT_EQ(texts[0].color, RGB(255, 255, 255));
}

// The screen's context draws on the desktop, not into a window's picture,
// and takes no bitmap.
TEST(GdiScreen, ScreenContextDrawsOnTheDesktop) {
  ScopedMachine machine;
  HWND window = MakeWizardWindow();
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 2, 2);
  EXPECT_EQ(SelectObject(screen, bitmap), nullptr);
  DeleteObject(bitmap);
  SelectObject(screen, GetStockObject(LTGRAY_BRUSH));
  ASSERT_TRUE(Rectangle(screen, 30, 191, 370, 218));
  EXPECT_FALSE(DeleteDC(screen));
  EXPECT_EQ(ReleaseDC(nullptr, screen), 1);
  const sim::Canvas &desktop = *sim::ScreenCanvas();
  ASSERT_EQ(desktop.width, machine->profile.screenWidth);
  ASSERT_EQ(desktop.height, machine->profile.screenHeight);
  const COLORREF *row = &desktop.pixels[200 * desktop.width];
  EXPECT_EQ(row[31], RGB(192, 192, 192));
  EXPECT_EQ(row[369], RGB(0, 0, 0)) << "the outline";
  EXPECT_EQ(row[370], RGB(0, 0, 0)) << "the desktop";
  EXPECT_EQ(sim::CanvasPixel(window, 31, 200), RGB(255, 255, 255)) << "the window's own background";
  EXPECT_EQ(sim::DeviceContextsRequested(), 1);
}

// After the parent's paint each visible edit field is a white box with its
// text, the hidden one is not drawn, and the observer sees the finished
// picture, which the PNG holds.
TEST(GdiPaint, EditFieldsAreDrawnOverTheFinishedParentAndSaved) {
  ScopedMachine machine;
  HWND window = MakeWizardWindow();
  HWND shown = CreateWindowExA(0, "EDIT", "13912345678", WS_CHILD | WS_VISIBLE, 130, 136, 230, 20, window, nullptr,
                               nullptr, nullptr);
  CreateWindowExA(0, "EDIT", "hidden", WS_CHILD, 130, 166, 230, 20, window, nullptr, nullptr, nullptr);
  ASSERT_TRUE(shown);
  std::filesystem::path png = testing_support::FreshFolder("gdi-paint") / "wizard.png";
  std::vector<COLORREF> seen;
  machine->user.paintObserver = [&](HWND painted, bool) {
    seen.push_back(sim::CanvasPixel(painted, 131, 137));
    EXPECT_TRUE(sim::WritePng(painted, png));
  };
  RECT client;
  ASSERT_TRUE(GetClientRect(window, &client));
  EXPECT_EQ(client.right * 1000 + client.bottom, 394285);
  ShowWindow(window, SW_SHOW);
  UpdateWindow(window);
  EXPECT_EQ(seen, std::vector<COLORREF>{RGB(255, 255, 255)});
  EXPECT_EQ(sim::CanvasPixel(window, 129, 137), RGB(0, 0, 0));
  EXPECT_EQ(sim::CanvasPixel(window, 131, 167), RGB(0, 0, 0));
  const auto &texts = sim::WindowCanvas(window)->texts;
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, "13912345678");
  EXPECT_EQ(texts[0].x * 1000 + texts[0].y, 131136);
  std::ifstream file(png, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(PngPixel(bytes, 131, 137), RGB(255, 255, 255));
  EXPECT_EQ(PngPixel(bytes, 129, 137), RGB(0, 0, 0));
}

}  // namespace
