#include "platform/soft_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/draw_geometry.h"
#include "platform/image.h"
#include "platform/platform.h"

namespace nr {
namespace {

struct Rgba {
  float r, g, b, a;
};

inline Rgba Texel(const Image& img, int frame, int x, int y) {
  const uint8_t* t = img.texel(frame, x, y);
  return Rgba{t[0] / 255.0f, t[1] / 255.0f, t[2] / 255.0f, t[3] / 255.0f};
}

// Samples the cell at texel coordinates (u, v) as GL_LINEAR with
// CLAMP_TO_EDGE would on a texture holding only that cell.
Rgba Sample(const Image& img, int frame, float u, float v) {
  const int w = img.cellWidth, h = img.cellHeight;
  if (!img.filtered) {
    const int x = std::clamp(static_cast<int>(std::floor(u)), 0, w - 1);
    const int y = std::clamp(static_cast<int>(std::floor(v)), 0, h - 1);
    return Texel(img, frame, x, y);
  }
  const float fu = u - 0.5f, fv = v - 0.5f;
  const float iu = std::floor(fu), iv = std::floor(fv);
  const float au = fu - iu, av = fv - iv;
  const int x0 = std::clamp(static_cast<int>(iu), 0, w - 1);
  const int x1 = std::clamp(static_cast<int>(iu) + 1, 0, w - 1);
  const int y0 = std::clamp(static_cast<int>(iv), 0, h - 1);
  const int y1 = std::clamp(static_cast<int>(iv) + 1, 0, h - 1);
  const Rgba a = Texel(img, frame, x0, y0), b = Texel(img, frame, x1, y0);
  const Rgba c = Texel(img, frame, x0, y1), d = Texel(img, frame, x1, y1);
  auto mix = [&](float p, float q, float s, float t) {
    return (p * (1 - au) + q * au) * (1 - av) + (s * (1 - au) + t * au) * av;
  };
  return Rgba{mix(a.r, b.r, c.r, d.r), mix(a.g, b.g, c.g, d.g), mix(a.b, b.b, c.b, d.b),
              mix(a.a, b.a, c.a, d.a)};
}

inline uint8_t ToByte(float v) {
  return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f));
}

void Blend(uint8_t* dst, const Rgba& s, int mode, float alpha) {
  const float a = s.a * alpha;
  float d[3] = {dst[0] / 255.0f, dst[1] / 255.0f, dst[2] / 255.0f};
  const float src[3] = {s.r, s.g, s.b};
  switch (mode) {
    case MASKBLEND:
      if (a < 0.5f) return;
      for (int i = 0; i < 3; ++i) d[i] = src[i];
      break;
    case SOLIDBLEND:
      for (int i = 0; i < 3; ++i) d[i] = src[i];
      break;
    case ALPHABLEND:
      for (int i = 0; i < 3; ++i) d[i] = src[i] * a + d[i] * (1 - a);
      break;
    case LIGHTBLEND:
      for (int i = 0; i < 3; ++i) d[i] = std::min(1.0f, d[i] + src[i] * a);
      break;
    case SHADEBLEND:
      for (int i = 0; i < 3; ++i) d[i] = src[i] * d[i];
      break;
    default:
      return;
  }
  for (int i = 0; i < 3; ++i) dst[i] = ToByte(d[i]);
}

void DrawOne(const DrawCmd& c, uint8_t* rgba, int width, int height) {
  if (c.scaleX == 0 || c.scaleY == 0) return;
  const DrawQuad q = ResolveQuad(c);
  if (q.empty()) return;
  // Pixels whose centres lie in [x0, x1) x [y0, y1).
  const int px0 = std::max(0, static_cast<int>(std::ceil(q.x0 - 0.5f)));
  const int px1 = std::min(width, static_cast<int>(std::ceil(q.x1 - 0.5f)));
  const int py0 = std::max(0, static_cast<int>(std::ceil(q.y0 - 0.5f)));
  const int py1 = std::min(height, static_cast<int>(std::ceil(q.y1 - 0.5f)));
  const float du = (q.u1 - q.u0) / (q.x1 - q.x0);
  const float dv = (q.v1 - q.v0) / (q.y1 - q.y0);
  const Image& img = *c.image;
  for (int py = py0; py < py1; ++py) {
    const float v = q.v0 + (static_cast<float>(py) + 0.5f - q.y0) * dv;
    uint8_t* row = rgba + static_cast<size_t>(py) * static_cast<size_t>(width) * 4;
    for (int px = px0; px < px1; ++px) {
      const float u = q.u0 + (static_cast<float>(px) + 0.5f - q.x0) * du;
      Blend(row + static_cast<size_t>(px) * 4, Sample(img, c.frame, u, v), c.blend, c.alpha);
    }
  }
}

}  // namespace

void Rasterize(const std::vector<DrawCmd>& commands, uint8_t* rgba, int width, int height) {
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * 4;
  for (const DrawCmd& c : commands) {
    if (!c.image) {
      std::memset(rgba, 0, bytes);
      for (size_t i = 3; i < bytes; i += 4) rgba[i] = 255;
      continue;
    }
    DrawOne(c, rgba, width, height);
  }
}

}  // namespace nr
