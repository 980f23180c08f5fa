// What the wizard's screens show, read back from the simulated window:
// background rows, frame lines, the texts and where they stand, the check
// marks, the banner's Pinyin strip and the progress fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "archive_fixtures.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "package/package_data.h"
#include "simmachine/canvas.h"
#include "support/test_machine.h"
#include "wizard_fixture.h"
#include "ui/progress_bar.h"
#include "ui/wizard_layout.h"

namespace {

using testing_support::ScopedMachine;

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kProgressBlue = RGB(30, 144, 255);

class WizardScreens : public testing::Test {
 protected:
  void SetUp() override { wizard_fixture::OpenWizard(*machine_); }

  // Paints the screen of `state` as a paint message does.
  void Show(int state) {
    program.wizardState = state;
    InvalidateRect(program.mainWindow, nullptr, FALSE);
    UpdateWindow(program.mainWindow);
  }

  COLORREF Pixel(int x, int y) { return sim::CanvasPixel(program.mainWindow, x, y); }

  // The last text drawn at (x, y), or null.
  const sim::DrawnText *TextAt(int x, int y) {
    const sim::DrawnText *found = nullptr;
    for (const auto &text : sim::WindowCanvas(program.mainWindow)->texts)
      if (text.x == x && text.y == y) found = &text;
    return found;
  }

  ScopedMachine machine_;
};

// The banner as the package carries it: the colour at (x, y), top-down.
COLORREF BannerPixel(int x, int y) {
  std::ifstream file(std::string(VOZ_PAYLOAD_FILES) + "/kelt1.bmp", std::ios::binary);
  std::string bmp((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  auto read32 = [&](size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) value = value << 8 | static_cast<unsigned char>(bmp[at + i]);
    return value;
  };
  const uint32_t width = read32(18), height = read32(22), stride = (width * 3 + 3) & ~3u;
  const unsigned char *p =
      reinterpret_cast<const unsigned char *>(bmp.data()) + read32(10) + (height - 1 - y) * stride + x * 3;
  return RGB(p[2], p[1], p[0]);
}

// The colours of the banners made below, at (x, y) from the top.
COLORREF MadeBannerPixel(int x, int y) { return RGB(x % 251, y % 241, 99); }

// A 24-bit bottom-up banner whose header says width x height; the file ends
// after the bottom `stored` rows.
std::string MakeBanner(int width, int height, int stored) {
  using archive_fixtures::Le32;
  const int stride = (width * 3 + 3) & ~3;
  std::string bmp = "BM" + Le32(54 + stride * stored) + Le32(0) + Le32(54) + Le32(40) + Le32(width) + Le32(height) +
                    std::string("\x01\x00\x18\x00", 4) + Le32(0) + Le32(stride * height) + std::string(16, '\0');
  for (int row = 0; row < stored; ++row) {
    std::string line(stride, '\0');
    for (int x = 0; x < width; ++x) {
      const COLORREF c = MadeBannerPixel(x, height - 1 - row);
      line[3 * x] = static_cast<char>(c >> 16), line[3 * x + 1] = static_cast<char>(c >> 8);
      line[3 * x + 2] = static_cast<char>(c);
    }
    bmp += line;
  }
  return bmp;
}

TEST_F(WizardScreens, BackgroundsRunTheirColoursRowByRow) {
  // x = 392 lies right of every text and frame; the intro's banner covers
  // rows above 190.
  for (int y : {190, 200, 233, 284}) {
    Show(0);
    EXPECT_EQ(Pixel(392, y), RGB(0, (2 * y - 112) % 256, 250 - 140 * y / 310)) << "intro row " << y;
    Show(1);
    EXPECT_EQ(Pixel(392, y), RGB(150 * y / 310, 255 * y / 310, 250 - 150 * y / 310)) << "profile row " << y;
  }
  Show(6);
  EXPECT_EQ(Pixel(392, 0), RGB(0, 0, 250));
}

TEST_F(WizardScreens, ButtonFramesAreRaisedAndLeaveOutTheirLastPoints) {
  Show(1);
  // Black bottom and right, drawn first; white top and left over them.
  EXPECT_EQ(Pixel(40, 270), kBlack);
  EXPECT_EQ(Pixel(90, 270), kBlack);
  EXPECT_EQ(Pixel(140, 270), kBlack);
  EXPECT_EQ(Pixel(140, 258), kBlack);
  EXPECT_EQ(Pixel(140, 245), kWhite);
  EXPECT_EQ(Pixel(90, 245), kWhite);
  EXPECT_EQ(Pixel(40, 245), kWhite);
  EXPECT_EQ(Pixel(40, 258), kWhite);
  // Nothing beyond the corners.
  EXPECT_NE(Pixel(141, 270), kBlack);
  EXPECT_NE(Pixel(40, 271), kBlack);
  // The profile rows are framed the same way.
  EXPECT_EQ(Pixel(200, 157), kBlack);
  EXPECT_EQ(Pixel(365, 140), kBlack);
  EXPECT_EQ(Pixel(200, 132), kWhite);
}

TEST_F(WizardScreens, EveryScreenLabelsItsButtonsInButtonText) {
  const struct {
    int state;
    const char *confirm;
  } screens[] = {{0, u8"确 定 安 装"}, {1, u8"确 定 安 装"}, {6, u8"确 定 安 装"}, {8, u8"确 定 退 出"}, {9, u8"确 定 退 出"}};
  for (const auto &screen : screens) {
    Show(screen.state);
    const sim::DrawnText *confirm = TextAt(45, 247), *quit = TextAt(265, 247);
    ASSERT_TRUE(confirm && quit) << "state " << screen.state;
    EXPECT_EQ(confirm->text, screen.confirm) << "state " << screen.state;
    EXPECT_EQ(quit->text, u8"放 弃 退 出") << "state " << screen.state;
    EXPECT_EQ(confirm->color, RGB(255, 128, 128));
    EXPECT_EQ(confirm->face, u8"宋体");
    EXPECT_EQ(confirm->height, 22);
  }
  Show(7);
  EXPECT_EQ(TextAt(45, 247), nullptr) << "the working screen has no buttons";
}

TEST_F(WizardScreens, CheckMarksFollowTheChoicesOverTheirSquares) {
  Show(0);
  ASSERT_NE(TextAt(272, 190), nullptr);
  EXPECT_EQ(TextAt(272, 190)->text, u8"√") << "Wubi is the first choice";
  EXPECT_EQ(TextAt(157, 215)->text, u8"√") << "TSF is the first choice";
  EXPECT_EQ(TextAt(157, 190), nullptr);
  EXPECT_EQ(TextAt(272, 190)->color, RGB(255, 0, 0));
  SendMessageA(program.mainWindow, WM_LBUTTONDOWN, 0, MAKELPARAM(200, 200));
  SendMessageA(program.mainWindow, WM_RBUTTONDOWN, 0, MAKELPARAM(300, 225));
  UpdateWindow(program.mainWindow);
  EXPECT_EQ(TextAt(157, 190)->text, u8"√");
  EXPECT_EQ(TextAt(272, 215)->text, u8"√");
  EXPECT_EQ(TextAt(272, 190), nullptr);
  EXPECT_EQ(TextAt(160, 190)->text, u8"■ 拼音专版") << "every square stays";
  EXPECT_EQ(TextAt(275, 190)->text, u8"■ 五笔专版");
}

TEST_F(WizardScreens, PinyinBlanksTheBannerWithItsStretchedStrip) {
  Show(0);
  // Left of the edition name, inside the strip, and right of the strip.
  EXPECT_EQ(Pixel(73, 100), BannerPixel(73, 100));
  EXPECT_EQ(Pixel(73, 124), BannerPixel(73, 124));
  program.editionChoice = 1;
  Show(0);
  EXPECT_EQ(Pixel(73, 90), BannerPixel(73, 90));
  EXPECT_EQ(Pixel(73, 100), BannerPixel(73, 90));
  EXPECT_EQ(Pixel(73, 124), BannerPixel(73, 91));
  EXPECT_EQ(Pixel(73, 125), BannerPixel(73, 125)) << "the strip ends at row 124";
  EXPECT_EQ(Pixel(72, 100), BannerPixel(72, 100)) << "the strip starts at column 73";
  ASSERT_NE(TextAt(83, 93), nullptr);
  EXPECT_EQ(TextAt(83, 93)->text, u8"Qelvo拼音");
  EXPECT_EQ(TextAt(83, 93)->color, RGB(33, 205, 173));
}

// Banners of other sizes through the intro's paint: a smaller one is
// stretched over the banner's 400 x 190, a larger one cut to its top-left
// part, a cut-off file drawn from the rows it holds; one whose pixels
// would lie past the working buffer is not drawn (and under ASan nothing
// is read past it).
TEST_F(WizardScreens, BannersOfOtherSizesAreStretchedOrCut) {
  const struct {
    const char *name;
    int width, height, stored;
    POINT at[2], from[2];  // screen pixels and the banner pixels they show; -1: the background
  } banners[] = {
      {"narrower", 200, 190, 190, {{393, 100}, {201, 50}}, {{196, 100}, {100, 50}}},
      {"lower", 400, 95, 95, {{350, 189}, {100, 2}}, {{350, 94}, {100, 1}}},
      {"larger", 1000, 600, 600, {{393, 189}, {0, 0}}, {{393, 189}, {0, 0}}},
      {"cut off", 400, 190, 100, {{350, 150}, {350, 90}}, {{350, 150}, {350, 90}}},
      {"past the buffer", 400, 2000, 190, {{392, 100}, {350, 20}}, {{-1, -1}, {-1, -1}}},
  };
  const BYTE *shipped = carriedPackage.data;
  const DWORD shippedSize = carriedPackage.size;
  for (const auto &banner : banners) {
    const std::string archive =
        archive_fixtures::LongArchive({{"kelt1.bmp", MakeBanner(banner.width, banner.height, banner.stored)}});
    carriedPackage.data = archive_fixtures::BytesOf(archive), carriedPackage.size = static_cast<DWORD>(archive.size());
    Show(0);
    for (int i = 0; i < 2; ++i) {
      const POINT at = banner.at[i], from = banner.from[i];
      const COLORREF background = RGB(0, (2 * at.y - 112) & 0xFF, 250 - 140 * at.y / 310);
      EXPECT_EQ(Pixel(at.x, at.y), from.x < 0 ? background : MadeBannerPixel(from.x, from.y))
          << banner.name << " at " << at.x << "," << at.y;
    }
  }
  carriedPackage.data = shipped, carriedPackage.size = shippedSize;
}

TEST_F(WizardScreens, ProgressFillsHoldBackFifteenStepsOfTheTotal) {
  program.wizardState = 7;
  // A total of 15 or less holds the step back to 0 or below: the update
  // draws the empty bar, outlined in the black pen of its fresh context.
  const struct {
    int step, total, fillEnd;  // the last filled column inside the outline
    COLORREF fill;
  } cases[] = {{95, 110, 321, kProgressBlue}, {109, 110, 321, kProgressBlue}, {200, 110, 321, kProgressBlue},
               {49, 64, 288, kProgressBlue},  {64, 64, 288, kProgressBlue},   {10, 110, 58, kProgressBlue},
               {15, 15, 368, kWhite},         {9, 10, 368, kWhite},           {1, 1, 368, kWhite}};
  for (const auto &c : cases) {
    progress.step = c.step, progress.total = c.total;
    RepaintInstallScreen();
    UpdateProgress(c.step, c.total);
    EXPECT_EQ(Pixel(31, 200), c.fill) << c.step << "/" << c.total;
    EXPECT_EQ(Pixel(c.fillEnd, 200), c.fill) << c.step << "/" << c.total;
    EXPECT_EQ(Pixel(c.fillEnd + 1, 200), kBlack) << "outline " << c.step << "/" << c.total;
    if (c.fill == kProgressBlue) {
      EXPECT_EQ(Pixel(c.fillEnd + 2, 200), kWhite) << "the empty bar behind " << c.step << "/" << c.total;
    }
  }
}

TEST_F(WizardScreens, InstallScreenShowsThePathUntilTheInstallCounts) {
  Show(6);
  ASSERT_NE(TextAt(35, 196), nullptr);
  EXPECT_EQ(TextAt(35, 196)->text, u8"安装路径：");
  ASSERT_NE(TextAt(105, 196), nullptr) << "the directory right after its label";
  EXPECT_EQ(TextAt(105, 196)->text, u8"C:\\Program Files\\morvak8\\");
  EXPECT_EQ(TextAt(30, 155)->text, u8"请不要进行其它操作！");
  EXPECT_EQ(Pixel(360, 210), RGB(150 * 210 / 310, 255 * 210 / 310, 250 - 150 * 210 / 310)) << "no bar while nothing counts";
  progress.step = 3, progress.total = 110;
  Show(7);
  RepaintInstallScreen();
  EXPECT_EQ(TextAt(30, 155)->text, u8"正在复制文件，请耐心等待……！！");
  EXPECT_EQ(Pixel(360, 210), kWhite) << "the empty bar covers the path";
  EXPECT_EQ(Pixel(30, 191), kWhite) << "its outline in the painter's white pen";
  // Painting the install screen hides the focus field.
  ShowWindow(program.editFieldA, SW_SHOW);
  RepaintInstallScreen();
  EXPECT_FALSE(IsWindowVisible(program.editFieldA));
}

// The path line looks as the whole line drawn from its characters would, on
// a code page 950 machine whose Program Files folder has a Chinese (Big5)
// name as well as on the usual one.
TEST(WizardPathLine, ShowsTheDirectoryInItsOwnCodePage) {
  const struct {
    const char *preset, *programFiles;
    const wchar_t *line;
  } rows[] = {{"winxp-x86-cp950", u8"C:\\程式集", L"安装路径：C:\\程式集\\morvak8\\"},
              {"win10-x64", "C:\\Program Files", L"安装路径：C:\\Program Files\\morvak8\\"}};
  for (const auto &row : rows) {
    ScopedMachine machine(row.preset);
    machine->profile.programFilesDir = row.programFiles;
    wizard_fixture::OpenWizard(*machine);
    program.wizardState = 6;
    InvalidateRect(program.mainWindow, nullptr, FALSE);
    UpdateWindow(program.mainWindow);
    // Inside the path's row frame: the picture painted, then the row's
    // background again with the expected line drawn over it.
    sim::Canvas *canvas = sim::WindowCanvas(program.mainWindow);
    auto inRow = [&](auto visit) {
      for (int y = 193; y <= 216; ++y)
        for (int x = 31; x <= 364; ++x) visit(canvas->pixels[y * canvas->width + x], y);
    };
    std::vector<COLORREF> painted;
    inRow([&](COLORREF &pixel, int) { painted.push_back(pixel); });
    inRow([](COLORREF &pixel, int y) { pixel = RGB(150 * y / 310, 255 * y / 310, 250 - 150 * y / 310); });
    HDC dc = GetDC(program.mainWindow);
    SelectObject(dc, wizardLayout.bodyFont);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, kWhite);
    TextOutW(dc, 35, 196, row.line, lstrlenW(row.line));
    ReleaseDC(program.mainWindow, dc);
    size_t differing = 0, at = 0;
    inRow([&](COLORREF &pixel, int) { differing += pixel != painted[at++]; });
    EXPECT_EQ(differing, 0u) << row.preset;
    EXPECT_NE(std::count(painted.begin(), painted.end(), kWhite), 0) << "the text is drawn, " << row.preset;
  }
}

TEST_F(WizardScreens, WorkingAndFinishScreensDifferInTheBlackCopyOfTheirSecondLine) {
  Show(7);
  ASSERT_NE(TextAt(80, 80), nullptr);
  EXPECT_EQ(TextAt(80, 80)->text, u8"智能Qelvo正在处理有关数据……");
  EXPECT_EQ(TextAt(80, 80)->color, kBlack);
  EXPECT_EQ(TextAt(92, 91)->color, RGB(255, 187, 187));
  Show(8);
  EXPECT_EQ(TextAt(80, 80), nullptr);
  EXPECT_EQ(TextAt(91, 91)->text, u8"欢迎使用Qelvo输入系统");
  EXPECT_EQ(TextAt(30, 20)->text, u8"欢迎使用Qelvo系统");
  EXPECT_EQ(TextAt(30, 20)->face, u8"楷体");
}

}  // namespace
