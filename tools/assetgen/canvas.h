// Float pictures the artwork is composed on before it is quantised to 8 bits.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace ag {

struct Colour {
  float r = 0, g = 0, b = 0;
};

constexpr Colour Rgb(int r, int g, int b) {
  return {static_cast<float>(r) / 255.0f, static_cast<float>(g) / 255.0f,
          static_cast<float>(b) / 255.0f};
}
Colour Mix(Colour a, Colour b, float t);
// Moves a colour towards white: the hot core of a neon tube.
Colour Hot(Colour c, float t);

// One float per pixel, coverage 0...1. Reads outside the picture give 0.
struct Mask {
  int w = 0, h = 0;
  std::vector<float> v;
  Mask() = default;
  Mask(int width, int height) : w(width), h(height), v(static_cast<size_t>(width) * height, 0.0f) {}
  float get(int x, int y) const {
    return (x < 0 || y < 0 || x >= w || y >= h) ? 0.0f : v[static_cast<size_t>(y) * w + x];
  }
  float& at(int x, int y) { return v[static_cast<size_t>(y) * w + x]; }
};

// Premultiplied RGBA floats, rows top to bottom.
struct Canvas {
  int w = 0, h = 0;
  std::vector<float> p;
  Canvas() = default;
  Canvas(int width, int height)
      : w(width), h(height), p(static_cast<size_t>(width) * height * 4, 0.0f) {}
  float* at(int x, int y) { return &p[(static_cast<size_t>(y) * w + x) * 4]; }
  const float* at(int x, int y) const { return &p[(static_cast<size_t>(y) * w + x) * 4]; }
  // Source-over of colour c at coverage a.
  void over(int x, int y, Colour c, float a);
};

using Paint = std::function<Colour(float x, float y)>;
Paint Solid(Colour c);
// Linear gradient along y: c0 at y0, c1 at y1, clamped beyond.
Paint VerticalGradient(Colour c0, float y0, Colour c1, float y1);

// Composites a mask in one paint at opacity `alpha`; the mask's (0,0) lands
// on (ox, oy) of the canvas.
void Fill(Canvas& dst, const Mask& m, const Paint& paint, float alpha = 1.0f, int ox = 0, int oy = 0);
// dst = src over dst (src scaled by gain).
void Over(Canvas& dst, const Canvas& src, float gain = 1.0f);
// dst = dst over src: puts src behind what is already drawn.
void Under(Canvas& dst, const Canvas& src, float gain = 1.0f);
// Adds src (premultiplied) to dst, clamping alpha to 1.
void Add(Canvas& dst, const Canvas& src, float gain = 1.0f);
void Scale(Canvas& c, float gain);

// Separable Gaussian blur with the picture's outside taken as transparent.
Canvas Blur(const Canvas& src, float sigma);
Mask Blur(const Mask& src, float sigma);

// A soft glow of everything drawn: blurred copies of given sigmas and gains.
Canvas Glow(const Canvas& src, std::initializer_list<std::pair<float, float>> sigmaGain);
// Fades the picture to nothing within `margin` pixels of its border, so a
// glow never ends in a hard cut at the edge of its picture.
void FadeBorder(Canvas& c, float margin);

Mask Max(const Mask& a, const Mask& b);
// max(0, a - b): for instance a glyph minus its inner border.
Mask Minus(const Mask& a, const Mask& b);

// Bounding box of pixels with coverage above `threshold` (x1, y1 inclusive);
// false when there is none.
struct Box {
  int x0 = 0, y0 = 0, x1 = -1, y1 = -1;
  int width() const { return x1 - x0 + 1; }
  int height() const { return y1 - y0 + 1; }
};
bool InkBox(const Mask& m, float threshold, Box& box);
bool AlphaBox(const Canvas& c, float threshold, Box& box);

}  // namespace ag
