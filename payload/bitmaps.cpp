#include "bitmaps.h"

#include <algorithm>
#include <cmath>

#include "bytes_out.h"
#include "random.h"

namespace {

struct Colour {
  double r, g, b;
};

Colour Mix(Colour a, Colour b, double t) { return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t}; }

// An RGB canvas with shapes blended in by coverage, sampled 4 x 4 per pixel
// so that edges are smooth.
class Canvas {
 public:
  Canvas(int width, int height) : width_(width), height_(height), pixels_(static_cast<size_t>(width * height)) {}

  int width() const { return width_; }
  int height() const { return height_; }

  void VerticalGradient(Colour top, Colour bottom) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) At(x, y) = Mix(top, bottom, height_ > 1 ? y / double(height_ - 1) : 0);
  }
  void HorizontalGradient(Colour left, Colour right) {
    for (int y = 0; y < height_; ++y)
      for (int x = 0; x < width_; ++x) At(x, y) = Mix(left, right, width_ > 1 ? x / double(width_ - 1) : 0);
  }
  template <typename Inside>
  void Blend(int left, int top, int right, int bottom, Colour colour, double alpha, Inside inside) {
    left = std::max(left, 0), top = std::max(top, 0);
    right = std::min(right, width_), bottom = std::min(bottom, height_);
    for (int y = top; y < bottom; ++y)
      for (int x = left; x < right; ++x) {
        int hits = 0;
        for (int sy = 0; sy < 4; ++sy)
          for (int sx = 0; sx < 4; ++sx) hits += inside(x + (sx + 0.5) / 4, y + (sy + 0.5) / 4);
        if (hits) At(x, y) = Mix(At(x, y), colour, alpha * hits / 16.0);
      }
  }
  void Circle(double cx, double cy, double radius, Colour colour, double alpha) {
    Blend(int(cx - radius) - 1, int(cy - radius) - 1, int(cx + radius) + 2, int(cy + radius) + 2, colour, alpha,
          [&](double x, double y) { return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius; });
  }
  void Ring(double cx, double cy, double inner, double outer, Colour colour, double alpha) {
    Blend(int(cx - outer) - 1, int(cy - outer) - 1, int(cx + outer) + 2, int(cy + outer) + 2, colour, alpha,
          [&](double x, double y) {
            double d = (x - cx) * (x - cx) + (y - cy) * (y - cy);
            return d <= outer * outer && d >= inner * inner;
          });
  }
  void RoundedRect(double left, double top, double w, double h, double radius, Colour colour, double alpha) {
    Blend(int(left), int(top), int(left + w) + 1, int(top + h) + 1, colour, alpha, [&](double x, double y) {
      double dx = std::max(std::max(left + radius - x, x - (left + w - radius)), 0.0);
      double dy = std::max(std::max(top + radius - y, y - (top + h - radius)), 0.0);
      return x >= left && x <= left + w && y >= top && y <= top + h && dx * dx + dy * dy <= radius * radius;
    });
  }
  // The area under a wave y = base + amplitude * sin(x * frequency + phase).
  void Hill(double base, double amplitude, double frequency, double phase, Colour colour, double alpha) {
    Blend(0, int(base - amplitude) - 1, width_, height_, colour, alpha, [&](double x, double y) {
      return y >= base + amplitude * std::sin(x * frequency + phase);
    });
  }
  // A thick stroke from (x0, y0) to (x1, y1).
  void Stroke(double x0, double y0, double x1, double y1, double thickness, Colour colour, double alpha) {
    double length2 = (x1 - x0) * (x1 - x0) + (y1 - y0) * (y1 - y0);
    Blend(int(std::min(x0, x1) - thickness) - 1, int(std::min(y0, y1) - thickness) - 1,
          int(std::max(x0, x1) + thickness) + 2, int(std::max(y0, y1) + thickness) + 2, colour, alpha,
          [&](double x, double y) {
            double t = length2 > 0 ? std::clamp(((x - x0) * (x1 - x0) + (y - y0) * (y1 - y0)) / length2, 0.0, 1.0) : 0;
            double px = x0 + t * (x1 - x0) - x, py = y0 + t * (y1 - y0) - y;
            return px * px + py * py <= thickness * thickness / 4;
          });
  }
  // Grain of up to +-`amount` per channel, as scanned or rendered art has.
  void Grain(Random &random, int amount) {
    for (Colour &c : pixels_) {
      c.r += int(random.Below(2 * amount + 1)) - amount;
      c.g += int(random.Below(2 * amount + 1)) - amount;
      c.b += int(random.Below(2 * amount + 1)) - amount;
    }
  }

  // The canvas as a BMP file: BITMAPFILEHEADER, BITMAPINFOHEADER, rows from
  // the bottom up, each padded to four bytes.
  Bytes Encode() const {
    const uint32_t stride = (static_cast<uint32_t>(width_) * 3 + 3) & ~3u;
    const uint32_t imageSize = stride * static_cast<uint32_t>(height_);
    Bytes bmp = {'B', 'M'};
    for (uint32_t field : {54 + imageSize, 0u, 54u, 40u, uint32_t(width_), uint32_t(height_)}) Put32(&bmp, field);
    Put16(&bmp, 1), Put16(&bmp, 24);
    for (uint32_t field : {0u, imageSize, 2835u, 2835u, 0u, 0u}) Put32(&bmp, field);
    for (int y = height_ - 1; y >= 0; --y) {
      for (int x = 0; x < width_; ++x) {
        const Colour &c = pixels_[static_cast<size_t>(y * width_ + x)];
        bmp.push_back(Channel(c.b)), bmp.push_back(Channel(c.g)), bmp.push_back(Channel(c.r));
      }
      bmp.resize(bmp.size() + (stride - static_cast<uint32_t>(width_) * 3), 0);
    }
    return bmp;
  }

 private:
  static uint8_t Channel(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0l, 255l)); }
  Colour &At(int x, int y) { return pixels_[static_cast<size_t>(y * width_ + x)]; }

  int width_, height_;
  std::vector<Colour> pixels_;
};

const Colour kWhite{255, 255, 255};
const Colour kSlate{52, 73, 94};

struct SkinColours {
  Colour light, dark, accent;
};

SkinColours ColoursOf(int skin) {
  switch (skin) {
    case 2: return {{253, 232, 238}, {214, 120, 150}, {250, 250, 252}};  // pink porcelain
    case 3: return {{255, 246, 214}, {120, 170, 225}, {255, 205, 90}};   // little angel
    default: return {{232, 242, 252}, {70, 110, 160}, {250, 252, 255}};  // cool porcelain
  }
}

}  // namespace

Bytes BannerBitmap() {
  Canvas canvas(401, 310);
  Random random(std::string("kelt1.bmp"));
  canvas.VerticalGradient({18, 62, 128}, {160, 205, 240});
  canvas.Circle(330, 58, 70, {255, 214, 140}, 0.3);
  canvas.Circle(330, 58, 42, {255, 236, 170}, 0.85);
  canvas.Ring(88, 46, 22, 31, kWhite, 0.85);
  canvas.Stroke(106, 64, 124, 82, 12, kWhite, 0.85);
  // The plaque that carries the edition name; its top two rows stay plain,
  // since the wizard stretches them over the plaque to blank it.
  canvas.RoundedRect(73, 95, 128, 29, 8, kSlate, 0.55);
  for (int i = 0; i < 5; ++i) canvas.Stroke(84 + i * 22, 101, 96 + i * 22, 118, 4, kWhite, 0.9);
  canvas.Hill(168, 10, 0.021, 0.4, {84, 160, 132}, 0.9);
  canvas.Hill(184, 8, 0.034, 2.1, {46, 122, 104}, 0.95);
  // A row of key caps along the lower part, below what the wizard shows.
  for (int row = 0; row < 3; ++row)
    for (int key = 0; key < 10; ++key)
      canvas.RoundedRect(22 + key * 36 + row * 9, 212 + row * 30, 30, 24, 5, kWhite, 0.75 - row * 0.1);
  canvas.Grain(random, 3);
  return canvas.Encode();
}

Bytes SkinBitmap(int skin, int index) {
  static const int kSizes[7][2] = {{300, 60}, {120, 24}, {300, 28}, {96, 16}, {128, 16}, {40, 40}, {64, 64}};
  const SkinColours colours = ColoursOf(skin);
  Canvas canvas(kSizes[index - 1][0], kSizes[index - 1][1]);
  Random random("skin" + std::to_string(skin) + "-" + std::to_string(index));
  canvas.VerticalGradient(colours.light, Mix(colours.light, colours.dark, 0.35));
  canvas.RoundedRect(1, 1, canvas.width() - 3, canvas.height() - 3, 6, colours.accent, 0.5);
  for (int x = 8; x + 12 < canvas.width(); x += 16)
    canvas.Circle(x + 6, canvas.height() / 2.0, std::min(5.0, canvas.height() / 4.0), colours.dark, 0.6);
  if (skin == 3) canvas.Circle(canvas.width() - 12, 10, 7, {255, 255, 255}, 0.8);
  canvas.Grain(random, 1);
  return canvas.Encode();
}

Bytes SharedSkinBitmap() {
  Canvas canvas(96, 16);
  Random random(std::string("vobmps44.bmp"));
  canvas.HorizontalGradient({236, 240, 244}, {196, 204, 214});
  for (int i = 0; i < 6; ++i) canvas.RoundedRect(2 + i * 16, 2, 12, 12, 3, kSlate, 0.7);
  canvas.Grain(random, 1);
  return canvas.Encode();
}

Bytes ArtBitmap(const std::string &name, uint32_t bytes) {
  Random random(name);
  // Width to height about 4:3; the size is the pixel count that gives `bytes`.
  int width = std::max(16, int(std::sqrt(bytes / 3.0 * 4 / 3)));
  int height = std::max(16, int(bytes / 3 / width));
  Canvas canvas(width, height);
  auto colour = [&] { return Colour{double(random.Below(256)), double(random.Below(256)), double(random.Below(256))}; };
  canvas.VerticalGradient(colour(), colour());
  for (int shape = 0, shapes = 4 + int(random.Below(12)); shape < shapes; ++shape) {
    double x = random.Below(uint32_t(width)), y = random.Below(uint32_t(height));
    double size = 4 + random.Below(uint32_t(std::max(8, width / 3)));
    if (random.Below(2)) canvas.Circle(x, y, size / 2, colour(), 0.4 + random.Below(50) / 100.0);
    else canvas.RoundedRect(x, y, size, size * 0.6, size / 6, colour(), 0.4 + random.Below(50) / 100.0);
  }
  canvas.Grain(random, 2 + int(random.Below(6)));
  return canvas.Encode();
}
