#include "ui/wizard_screens.h"

#include "common/install_dir.h"
#include "common/program_flow.h"
#include "common/program_state.h"
#include "common/progress.h"
#include "common/texts.h"
#include "package/archive_reader.h"
#include "ui/progress_bar.h"
#include "ui/wizard_layout.h"

namespace {

const int kScreenWidth = 400;
const int kScreenHeight = 310;

const COLORREF kBlack = RGB(0, 0, 0);
const COLORREF kWhite = RGB(255, 255, 255);
const COLORREF kButtonText = RGB(255, 128, 128);
const COLORREF kShadowGrey = RGB(128, 128, 128);
const COLORREF kHighlightPink = RGB(255, 187, 187);
const COLORREF kEditionTeal = RGB(33, 205, 173);
const COLORREF kEditionSlate = RGB(96, 96, 128);
const COLORREF kSloganRed = RGB(238, 0, 0);
const COLORREF kVersionBlue = RGB(0, 0, 192);
const COLORREF kChoiceText = RGB(238, 238, 238);
const COLORREF kCheckMarkRed = RGB(255, 0, 0);

// The banner's place and the part of it the Pinyin edition blanks.
const int kBannerHeight = 190;
const char kBannerEntry[] = "kelt1.bmp";
const int kBmpHeaderSize = 14;

// ---- Background ----

void DrawLine(HDC dc, int y, COLORREF colour) {
  HPEN pen = CreatePen(PS_SOLID, 1, colour);
  HGDIOBJ previous = SelectObject(dc, pen);
  MoveToEx(dc, 0, y, NULL);
  LineTo(dc, kScreenWidth, y);
  SelectObject(dc, previous);
  DeleteObject(pen);
}

// Three green bands over a blue that falls from 250 to 111.
void PaintIntroBackground(HDC dc) {
  for (int y = 0; y < kScreenHeight; ++y)
    DrawLine(dc, y, RGB(0, (2 * y - 112) & 0xFF, 250 - 140 * y / kScreenHeight));
}

// From pure blue at the top to a light green at the bottom.
void PaintStandardBackground(HDC dc) {
  for (int y = 0; y < kScreenHeight; ++y)
    DrawLine(dc, y, RGB(150 * y / kScreenHeight, 255 * y / kScreenHeight, 250 - 150 * y / kScreenHeight));
}

// ---- Texts ----

void WriteWide(HDC dc, int x, int y, const WCHAR *text) { TextOutW(dc, x, y, text, lstrlenW(text)); }

void WriteGbk(HDC dc, int x, int y, const char *text) { TextOutA(dc, x, y, text, lstrlenA(text)); }

void WriteWideIn(HDC dc, COLORREF colour, int x, int y, const WCHAR *text) {
  SetTextColor(dc, colour);
  WriteWide(dc, x, y, text);
}

// A title in UTF-16, or in GBK where the screen has it so (`wide` null).
void WriteTitle(HDC dc, int x, int y, const WCHAR *wide, const char *gbk) {
  if (wide) WriteWide(dc, x, y, wide);
  else WriteGbk(dc, x, y, gbk);
}

// Large titles: black, a grey shadow three pixels deep, white on top.
void WriteTitleStyleA(HDC dc, int x, int y, const WCHAR *wide, const char *gbk) {
  SetTextColor(dc, kBlack);
  WriteTitle(dc, x, y, wide, gbk);
  SetTextColor(dc, kShadowGrey);
  for (int depth = 8; depth <= 10; ++depth) WriteTitle(dc, x + depth, y + depth, wide, gbk);
  SetTextColor(dc, kWhite);
  WriteTitle(dc, x + 11, y + 11, wide, gbk);
}

// Second lines: a grey shadow and a pink face drawn twice, a pixel apart.
void WriteGbkTitleStyleB(HDC dc, int x, int y, const char *text) {
  SetTextColor(dc, kShadowGrey);
  for (int depth = 8; depth <= 10; ++depth) WriteGbk(dc, x + depth, y + depth, text);
  SetTextColor(dc, kHighlightPink);
  WriteGbk(dc, x + 11, y + 11, text);
  WriteGbk(dc, x + 12, y + 11, text);
}

// The fixed text is GBK, which the body font reads on every code page; the
// directory is in the machine's ANSI code page (Big5 on code page 950) and
// is drawn from that, right after the fixed text.
void WriteInstallPath(HDC dc, int x, int y) {
  char label[32];
  wsprintfA(label, kInstallPathFormat, "");
  WriteGbk(dc, x, y, label);
  SIZE labelSize = {0, 0};
  GetTextExtentPoint32A(dc, label, lstrlenA(label), &labelSize);
  WCHAR path[kInstallDirSize];
  if (MultiByteToWideChar(CP_ACP, 0, installDir, -1, path, kInstallDirSize) > 0)
    WriteWide(dc, x + labelSize.cx, y, path);
}

// ---- Buttons ----

void FrameRectangle(HDC dc, const RECT *rect) { DrawRaisedFrame(dc, rect->left, rect->top, rect->right, rect->bottom); }

void WriteButtonLabels(HDC dc, const WCHAR *confirmLabel) {
  SetButtonTextColor(dc);
  WriteWide(dc, wizardLayout.confirmButtonRect.left + 5, wizardLayout.confirmButtonRect.top + 2, confirmLabel);
  WriteWide(dc, wizardLayout.quitButtonRect.left + 5, wizardLayout.quitButtonRect.top + 2, kQuitLabel);
}

// ---- Intro screen parts ----

void WriteEditionName(HDC dc) {
  HFONT font = CreateFontA(30, 15, 0, 0, 700, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "楷体");
  HGDIOBJ previous = SelectObject(dc, font);
  WriteWideIn(dc, kEditionSlate, 75, 90, kPinyinEditionName);
  WriteWideIn(dc, kEditionTeal, 83, 93, kPinyinEditionName);
  SelectObject(dc, previous);
  DeleteObject(font);
}

void WriteChoiceLabel(HDC dc, const RECT *rect, const WCHAR *label) {
  TextOutW(dc, rect->left, rect->top, label, lstrlenW(label));
}

void WriteCheckMark(HDC dc, const RECT *rect) { TextOutW(dc, rect->left - 3, rect->top, kCheckMark, 1); }

void WriteChoices(HDC dc) {
  HFONT font = CreateFontA(16, 8, 0, 0, 700, 0, 0, 0, GB2312_CHARSET, 0, 0, 0, 0, "宋体");
  SetTextColor(dc, kChoiceText);
  HGDIOBJ previous = SelectObject(dc, font);
  WriteWide(dc, 20, wizardLayout.pinyinChoiceRect.top, kEditionQuestion);
  WriteWide(dc, 20, wizardLayout.tsfChoiceRect.top, kInterfaceQuestion);
  WriteChoiceLabel(dc, &wizardLayout.pinyinChoiceRect, kPinyinChoiceLabel);
  WriteChoiceLabel(dc, &wizardLayout.wubiChoiceRect, kWubiChoiceLabel);
  WriteChoiceLabel(dc, &wizardLayout.tsfChoiceRect, kTsfChoiceLabel);
  WriteChoiceLabel(dc, &wizardLayout.imeChoiceRect, kImeChoiceLabel);
  SetTextColor(dc, kCheckMarkRed);
  WriteCheckMark(dc, program.editionChoice == 1 ? &wizardLayout.pinyinChoiceRect : &wizardLayout.wubiChoiceRect);
  WriteCheckMark(dc, program.interfaceChoice == 1 ? &wizardLayout.tsfChoiceRect : &wizardLayout.imeChoiceRect);
  SelectObject(dc, previous);
  DeleteObject(font);
}

// ---- Banner ----

WORD ReadWord(const BYTE *bytes) { return (WORD)(bytes[0] | bytes[1] << 8); }

DWORD ReadDword(const BYTE *bytes) {
  return (DWORD)bytes[0] | (DWORD)bytes[1] << 8 | (DWORD)bytes[2] << 16 | (DWORD)bytes[3] << 24;
}

int Smaller(int a, int b) { return a < b ? a : b; }

// The picture Windows is given (its header's full width and height) must lie
// inside the `available` bytes the entry was inflated into, or its pixels
// would be read from beyond them.
int BitmapFitsBuffer(const BYTE *bitmap, DWORD available) {
  const DWORD bitsOffset = ReadDword(bitmap + 10);
  const DWORD infoSize = ReadDword(bitmap + kBmpHeaderSize);
  const LONG width = (LONG)ReadDword(bitmap + 18);
  const LONG height = (LONG)ReadDword(bitmap + 22);
  const WORD bitCount = ReadWord(bitmap + 28);
  if (width <= 0 || height == 0 || height < -0x7FFFFFFF || bitCount == 0 || bitCount > 32) return 0;
  if (infoSize < 40 || kBmpHeaderSize + infoSize > available || bitsOffset >= available) return 0;
  const DWORD rows = height < 0 ? (DWORD)-height : (DWORD)height;
  const unsigned long long rowBytes = ((unsigned long long)width * bitCount + 31) / 32 * 4;
  return rows <= (available - bitsOffset) / rowBytes;
}

}  // namespace

// ---- Shared helpers ----

void DrawRaisedFrame(HDC dc, int left, int top, int right, int bottom) {
  SelectObject(dc, GetStockObject(BLACK_PEN));
  MoveToEx(dc, left, bottom, NULL);
  LineTo(dc, right, bottom);
  LineTo(dc, right, top);
  SelectObject(dc, GetStockObject(WHITE_PEN));
  MoveToEx(dc, right, top, NULL);
  LineTo(dc, left, top);
  LineTo(dc, left, bottom);
}

void SetButtonTextColor(HDC dc) { SetTextColor(dc, kButtonText); }

void DrawPackageBitmap(int clipRight, int clipBottom, HDC dc, const char *name, int xDest, int yDest, int wDest,
                       int hDest, int xSrc, int ySrc, int wSrc, int hSrc) {
  const BufferRegion content = LoadPackageEntry(name);
  const BYTE *bitmap = content.bytes;
  if (!bitmap || bitmap[0] != 'B' || bitmap[1] != 'M') return;
  if (!BitmapFitsBuffer(bitmap, content.size)) return;
  // The low halves of the width and height, as the picture's size.
  const int width = ReadWord(bitmap + 18);
  const int height = ReadWord(bitmap + 22);
  const int right = Smaller(clipRight, xDest + width);
  const int bottom = Smaller(clipBottom, yDest + height);
  const int xs = Smaller(xSrc, width);
  const int ys = Smaller(ySrc, height);
  const int ws = Smaller(wSrc, width - xs);
  const int hs = Smaller(hSrc, height - ys);
  const int xd = Smaller(xDest, right);
  const int yd = Smaller(yDest, bottom);
  const int wd = xd < right ? wDest : 0;
  const int hd = yd < bottom ? hDest : 0;
  const BITMAPINFOHEADER *header = (const BITMAPINFOHEADER *)(bitmap + kBmpHeaderSize);
  HBITMAP picture = CreateDIBitmap(dc, header, CBM_INIT, bitmap + ReadDword(bitmap + 10),
                                   (const BITMAPINFO *)header, DIB_RGB_COLORS);
  HDC memory = CreateCompatibleDC(dc);
  HGDIOBJ previous = SelectObject(memory, picture);
  StretchBlt(dc, xd, yd, wd, hd, memory, xs, ys, ws, hs, SRCCOPY);
  SelectObject(memory, previous);
  DeleteDC(memory);
  DeleteObject(picture);
}

// ---- Screens ----

void PaintIntroScreen(HDC dc) {
  PaintIntroBackground(dc);
  WriteWide(dc, 50, 150, kLoadingText);
  SetBkMode(dc, TRANSPARENT);
  DrawPackageBitmap(kScreenWidth, kBannerHeight, dc, kBannerEntry, 0, 0, 400, kBannerHeight, 0, 0, 400,
                    kBannerHeight);
  if (program.editionChoice == 1) {
    DrawPackageBitmap(kScreenWidth, kBannerHeight, dc, kBannerEntry, 73, 90, 128, 35, 73, 90, 128, 2);
    WriteEditionName(dc);
  }
  SelectObject(dc, wizardLayout.bodyFont);
  WriteWideIn(dc, kSloganRed, 10, 135, kWubiSlogan);
  WriteWide(dc, 50, 160, kPhraseSlogan);
  WriteWideIn(dc, kVersionBlue, 220, 100, kVersionText);
  SetTextColor(dc, kBlack);
  FrameRectangle(dc, &wizardLayout.confirmButtonRect);
  FrameRectangle(dc, &wizardLayout.quitButtonRect);
  WriteButtonLabels(dc, kConfirmInstallLabel);
  WriteChoices(dc);
}

void PaintProfileScreen(HDC dc) {
  PaintStandardBackground(dc);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, kBlack);
  SelectObject(dc, wizardLayout.bodyFont);
  WriteWide(dc, 30, 10, kProfileTitle);
  WriteWideIn(dc, kWhite, 39, 19, kProfileTitle);
  WriteWideIn(dc, kEditionTeal, 250, 19, program.editionChoice == 1 ? kPinyinEditionLabel : kWubiEditionLabel);
  SetTextColor(dc, kWhite);
  WriteWide(dc, 40, 50, kProfileInstructions1);
  WriteWide(dc, 20, 70, kProfileInstructions2);
  WriteWide(dc, 20, 90, kProfileInstructions3);
  FrameRectangle(dc, &wizardLayout.confirmButtonRect);
  FrameRectangle(dc, &wizardLayout.quitButtonRect);
  FrameRectangle(dc, &wizardLayout.passwordRowRect);
  FrameRectangle(dc, &wizardLayout.userNameRowRect);
  FrameRectangle(dc, &wizardLayout.phoneRowRect);
  SetTextColor(dc, kWhite);
  WriteWide(dc, wizardLayout.phoneRowRect.left + 5, wizardLayout.phoneRowRect.top + 4, kPhoneRowLabel);
  WriteWide(dc, wizardLayout.userNameRowRect.left + 5, wizardLayout.userNameRowRect.top + 4, kUserNameRowLabel);
  WriteWide(dc, wizardLayout.passwordRowRect.left + 5, wizardLayout.passwordRowRect.top + 4, kPasswordRowLabel);
  WriteButtonLabels(dc, kConfirmInstallLabel);
}

void PaintInstallScreen(HDC dc) {
  PaintStandardBackground(dc);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, wizardLayout.titleFont);
  WriteTitleStyleA(dc, 30, 20, kInstallTitle, NULL);
  SelectObject(dc, wizardLayout.bodyFont);
  WriteTitleStyleA(dc, 100, 80, kInstallSubtitle, NULL);
  SetTextColor(dc, kWhite);
  WriteWide(dc, 50, 130, kDurationNote);
  WriteWide(dc, 30, 155, program.wizardState == kWizardInstalling ? kCopyingNote : kHandsOffNote);
  FrameRectangle(dc, &wizardLayout.confirmButtonRect);
  FrameRectangle(dc, &wizardLayout.quitButtonRect);
  FrameRectangle(dc, &wizardLayout.passwordRowRect);
  ShowWindow(program.editFieldA, SW_HIDE);
  WriteInstallPath(dc, wizardLayout.passwordRowRect.left + 5, wizardLayout.passwordRowRect.top + 4);
  WriteButtonLabels(dc, kConfirmInstallLabel);
  if (progress.step > 0 && progress.total > 0) DrawProgressBar(dc, 0, progress.total);
}

void PaintWorkingScreen(HDC dc) {
  PaintStandardBackground(dc);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, wizardLayout.titleFont);
  WriteTitleStyleA(dc, 30, 20, NULL, kWorkingTitle);
  SelectObject(dc, wizardLayout.bodyFont);
  SetTextColor(dc, kBlack);
  WriteGbk(dc, 80, 80, kWorkingSubtitle);
  WriteGbkTitleStyleB(dc, 80, 80, kWorkingSubtitle);
  SetTextColor(dc, kWhite);
}

void PaintFinishScreen(HDC dc) {
  PaintStandardBackground(dc);
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, wizardLayout.titleFont);
  WriteTitleStyleA(dc, 30, 20, NULL, kFinishTitle);
  SelectObject(dc, wizardLayout.bodyFont);
  WriteGbkTitleStyleB(dc, 80, 80, kFinishSubtitle);
  SetTextColor(dc, kWhite);
  WriteGbk(dc, 50, 130, kFinishLine1);
  WriteGbk(dc, 50, 155, kFinishLine2);
  WriteGbk(dc, 10, 190, kFinishLine3);
  FrameRectangle(dc, &wizardLayout.confirmButtonRect);
  FrameRectangle(dc, &wizardLayout.quitButtonRect);
  WriteButtonLabels(dc, kConfirmQuitLabel);
}
