// Draws the program icon (group MORVAK): a blue rounded tile with a white
// ring and brush tail, at 16, 32 and 48 pixels, 32-bit with alpha, written as
// an .ico file. Drawn by code so that the build is reproducible and needs no
// binary in the sources.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "bytes_out.h"

namespace {

struct Rgba {
  double r, g, b, a;
};

// Coverage-weighted colour of the design at a point of the unit square.
Rgba Design(double x, double y) {
  const double radius = 0.18;
  double dx = std::max(std::fabs(x - 0.5) - (0.5 - radius), 0.0);
  double dy = std::max(std::fabs(y - 0.5) - (0.5 - radius), 0.0);
  if (dx * dx + dy * dy > radius * radius) return {0, 0, 0, 0};
  double ring = std::hypot(x - 0.47, y - 0.45);
  bool onRing = ring > 0.2 && ring < 0.3;
  double tx = x - 0.58, ty = y - 0.6;  // the tail runs down to the right
  double along = (tx + ty) / std::sqrt(2.0), across = (tx - ty) / std::sqrt(2.0);
  bool onTail = along > 0 && along < 0.3 && std::fabs(across) < 0.055;
  if (onRing || onTail) return {1, 1, 1, 1};
  double shade = 0.85 + 0.15 * (1 - y);
  return {30 / 255.0 * shade, 144 / 255.0 * shade, 1.0 * shade, 1};
}

// BGRA rows bottom-up, 4x4 supersampled.
std::vector<uint8_t> Render(int size) {
  std::vector<uint8_t> pixels;
  for (int row = size - 1; row >= 0; --row) {
    for (int col = 0; col < size; ++col) {
      Rgba sum{0, 0, 0, 0};
      for (int sy = 0; sy < 4; ++sy)
        for (int sx = 0; sx < 4; ++sx) {
          Rgba c = Design((col + (sx + 0.5) / 4) / size, (row + (sy + 0.5) / 4) / size);
          sum.r += c.r * c.a, sum.g += c.g * c.a, sum.b += c.b * c.a, sum.a += c.a;
        }
      double a = sum.a / 16;
      auto channel = [&](double v) { return static_cast<uint8_t>(sum.a > 0 ? std::lround(v / sum.a * 255) : 0); };
      pixels.push_back(channel(sum.b));
      pixels.push_back(channel(sum.g));
      pixels.push_back(channel(sum.r));
      pixels.push_back(static_cast<uint8_t>(std::lround(a * 255)));
    }
  }
  return pixels;
}

// One icon image: BITMAPINFOHEADER (height doubled for the mask), the BGRA
// pixels, and an all-clear AND mask (alpha decides).
Bytes Image(int size) {
  Bytes out;
  Put32(&out, 40);
  Put32(&out, size);
  Put32(&out, size * 2);
  Put16(&out, 1);
  Put16(&out, 32);
  for (int i = 0; i < 6; ++i) Put32(&out, 0);
  std::vector<uint8_t> pixels = Render(size);
  out.insert(out.end(), pixels.begin(), pixels.end());
  int maskRow = ((size + 31) / 32) * 4;
  out.insert(out.end(), static_cast<size_t>(maskRow * size), 0);
  return out;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_icon OUTPUT.ico\n");
    return 2;
  }
  const int sizes[] = {16, 32, 48};
  std::vector<Bytes> images;
  for (int size : sizes) images.push_back(Image(size));
  Bytes file;
  Put16(&file, 0);
  Put16(&file, 1);
  Put16(&file, 3);
  unsigned offset = 6 + 16 * 3;
  for (size_t i = 0; i < images.size(); ++i) {
    file.push_back(static_cast<uint8_t>(sizes[i]));
    file.push_back(static_cast<uint8_t>(sizes[i]));
    file.push_back(0);
    file.push_back(0);
    Put16(&file, 1);
    Put16(&file, 32);
    Put32(&file, static_cast<unsigned>(images[i].size()));
    Put32(&file, offset);
    offset += static_cast<unsigned>(images[i].size());
  }
  for (const Bytes &image : images) file.insert(file.end(), image.begin(), image.end());
  FILE *out = std::fopen(argv[1], "wb");
  if (!out || std::fwrite(file.data(), 1, file.size(), out) != file.size() || std::fclose(out) != 0) {
    std::fprintf(stderr, "make_icon: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
