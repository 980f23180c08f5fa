// Canvases: pixels, and the PNG files setup-sim and the tests save of them.
#include <png.h>

#include <algorithm>
#include <cstdio>
#include <memory>

#include "gdi_internal.h"

sim::Canvas sim::MakeCanvas(int width, int height, COLORREF fill) {
  Canvas canvas;
  canvas.width = std::max(width, 0), canvas.height = std::max(height, 0);
  canvas.pixels.assign(static_cast<size_t>(canvas.width) * canvas.height, fill);
  return canvas;
}

void sim::FillCanvas(Canvas &canvas, int left, int top, int right, int bottom, COLORREF color) {
  left = std::max(left, 0), top = std::max(top, 0);
  right = std::min(right, canvas.width), bottom = std::min(bottom, canvas.height);
  for (int y = top; y < bottom; ++y)
    std::fill_n(canvas.pixels.begin() + static_cast<size_t>(y) * canvas.width + left, std::max(right - left, 0), color);
}

void sim::PutPixel(Canvas &canvas, int x, int y, COLORREF color) {
  if (x >= 0 && y >= 0 && x < canvas.width && y < canvas.height)
    canvas.pixels[static_cast<size_t>(y) * canvas.width + x] = color;
}

COLORREF sim::PixelAt(const Canvas &canvas, int x, int y) {
  if (x < 0 || y < 0 || x >= canvas.width || y >= canvas.height) return CLR_INVALID;
  return canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
}

COLORREF sim::CanvasPixel(HWND window, int x, int y) {
  const Canvas *canvas = WindowCanvas(window);
  return canvas ? PixelAt(*canvas, x, y) : CLR_INVALID;
}

bool sim::WritePng(HWND window, const std::filesystem::path &file) {
  const Canvas *canvas = WindowCanvas(window);
  return canvas && WritePng(*canvas, file);
}

bool sim::WritePng(const Canvas &canvas, const std::filesystem::path &file) {
  if (canvas.width <= 0 || canvas.height <= 0) return false;
  std::unique_ptr<FILE, int (*)(FILE *)> out(std::fopen(file.c_str(), "wb"), std::fclose);
  if (!out) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  std::vector<png_byte> row(static_cast<size_t>(canvas.width) * 3);
  // libpng reports a write failure by jumping back here; nothing with a
  // destructor is made between the mark and the jump.
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, out.get());
  png_set_IHDR(png, info, canvas.width, canvas.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Unfiltered rows: larger files, but any zlib reader can check a pixel.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_write_info(png, info);
  for (int y = 0; y < canvas.height; ++y) {
    for (int x = 0; x < canvas.width; ++x) {
      COLORREF c = canvas.pixels[static_cast<size_t>(y) * canvas.width + x];
      row[3 * x] = c & 0xFF, row[3 * x + 1] = (c >> 8) & 0xFF, row[3 * x + 2] = (c >> 16) & 0xFF;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return std::fflush(out.get()) == 0;
}
