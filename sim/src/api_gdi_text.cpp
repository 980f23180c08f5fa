// GDI32 text: TextOut, text extents and metrics of the selected font. Text is
// placed with its cell's top-left at the given point (TA_TOP | TA_LEFT).
#include "api_support.h"
#include "gdi_font.h"
#include "gdi_internal.h"

namespace {

// The code page of an 8-bit text in this font: a Chinese character set reads
// its own code page on every machine, anything else the ANSI code page.
unsigned FontCodePage(const sim::FontRequest &font) {
  if (font.charSet == GB2312_CHARSET) return 936;
  if (font.charSet == CHINESEBIG5_CHARSET) return 950;
  return sim::AnsiCodePage();
}

std::u16string AnsiText(const SimDc &dc, LPCSTR text, int length) {
  if (!text || length <= 0) return {};
  return sim::CodePageToUtf16(FontCodePage(sim::DcFont(dc)), std::string_view(text, length));
}

std::u16string WideText(LPCWSTR text, int length) {
  if (!text || length <= 0) return {};
  return sim::FromWide(text, length);
}

BOOL DrawTextOut(HDC dc, int x, int y, const std::u16string &text) {
  SimDc *d = sim::FindDc(dc);
  sim::Canvas *canvas = d ? sim::DcCanvas(*d) : nullptr;
  if (!canvas) return FALSE;
  const sim::FontRequest &font = sim::DcFont(*d);
  if (d->backgroundMode == OPAQUE) {
    sim::FontMetrics metrics = sim::MeasureFont(font);
    sim::FillCanvas(*canvas, x, y, x + sim::MeasureText(font, text), y + metrics.ascent + metrics.descent,
                    d->backColor);
  }
  sim::DrawText(*canvas, font, x, y, text, d->textColor);
  canvas->texts.push_back({x, y, sim::Utf16ToUtf8(text), d->textColor, d->backgroundMode, font.face, font.height,
                           font.width, font.weight});
  return TRUE;
}

BOOL Extent(HDC dc, const std::u16string &text, LPSIZE size) {
  SimDc *d = sim::FindDc(dc);
  if (!d || !size) return FALSE;
  const sim::FontRequest &font = sim::DcFont(*d);
  sim::FontMetrics metrics = sim::MeasureFont(font);
  *size = SIZE{sim::MeasureText(font, text), metrics.ascent + metrics.descent};
  return TRUE;
}

}  // namespace

BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int length) {
  SimDc *d = sim::FindDc(dc);
  return d && DrawTextOut(dc, x, y, AnsiText(*d, text, length));
}

BOOL TextOutW(HDC dc, int x, int y, LPCWSTR text, int length) { return DrawTextOut(dc, x, y, WideText(text, length)); }

BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int length, LPSIZE size) {
  SimDc *d = sim::FindDc(dc);
  return d && Extent(dc, AnsiText(*d, text, length), size);
}

BOOL GetTextExtentPoint32W(HDC dc, LPCWSTR text, int length, LPSIZE size) {
  return Extent(dc, WideText(text, length), size);
}

BOOL GetTextMetricsA(HDC dc, LPTEXTMETRICA metrics) {
  SimDc *d = sim::FindDc(dc);
  if (!d || !metrics) return FALSE;
  const sim::FontRequest &font = sim::DcFont(*d);
  sim::FontMetrics m = sim::MeasureFont(font);
  *metrics = TEXTMETRICA{};
  metrics->tmHeight = m.ascent + m.descent;
  metrics->tmAscent = m.ascent, metrics->tmDescent = m.descent;
  metrics->tmInternalLeading = m.internalLeading, metrics->tmExternalLeading = m.externalLeading;
  metrics->tmAveCharWidth = m.averageWidth, metrics->tmMaxCharWidth = m.maxWidth;
  metrics->tmWeight = m.weight;
  metrics->tmDigitizedAspectX = metrics->tmDigitizedAspectY = 96;
  metrics->tmCharSet = static_cast<BYTE>(font.charSet);
  return TRUE;
}
