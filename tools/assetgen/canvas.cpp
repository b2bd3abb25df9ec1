#include "canvas.h"

#include <algorithm>
#include <cmath>

namespace ag {

Colour Mix(Colour a, Colour b, float t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Hot(Colour c, float t) { return Mix(c, Colour{1, 1, 1}, t); }

void Canvas::over(int x, int y, Colour c, float a) {
  if (a <= 0 || x < 0 || y < 0 || x >= w || y >= h) return;
  a = std::min(a, 1.0f);
  float* d = at(x, y);
  const float k = 1.0f - a;
  d[0] = c.r * a + d[0] * k;
  d[1] = c.g * a + d[1] * k;
  d[2] = c.b * a + d[2] * k;
  d[3] = a + d[3] * k;
}

Paint Solid(Colour c) {
  return [c](float, float) { return c; };
}

Paint VerticalGradient(Colour c0, float y0, Colour c1, float y1) {
  return [=](float, float y) { return Mix(c0, c1, std::clamp((y - y0) / (y1 - y0), 0.0f, 1.0f)); };
}

void Fill(Canvas& dst, const Mask& m, const Paint& paint, float alpha, int ox, int oy) {
  for (int y = 0; y < m.h; ++y) {
    const int ty = y + oy;
    if (ty < 0 || ty >= dst.h) continue;
    for (int x = 0; x < m.w; ++x) {
      const float a = m.v[static_cast<size_t>(y) * m.w + x] * alpha;
      if (a <= 0) continue;
      const int tx = x + ox;
      if (tx < 0 || tx >= dst.w) continue;
      dst.over(tx, ty, paint(static_cast<float>(tx) + 0.5f, static_cast<float>(ty) + 0.5f), a);
    }
  }
}

void Over(Canvas& dst, const Canvas& src, float gain) {
  for (size_t i = 0; i < dst.p.size(); i += 4) {
    const float a = std::min(1.0f, src.p[i + 3] * gain);
    const float k = 1.0f - a;
    for (int c = 0; c < 3; ++c) dst.p[i + c] = src.p[i + c] * gain + dst.p[i + c] * k;
    dst.p[i + 3] = a + dst.p[i + 3] * k;
  }
}

void Under(Canvas& dst, const Canvas& src, float gain) {
  for (size_t i = 0; i < dst.p.size(); i += 4) {
    const float k = 1.0f - dst.p[i + 3];
    for (int c = 0; c < 3; ++c) dst.p[i + c] += src.p[i + c] * gain * k;
    dst.p[i + 3] += std::min(1.0f, src.p[i + 3] * gain) * k;
  }
}

void Add(Canvas& dst, const Canvas& src, float gain) {
  for (size_t i = 0; i < dst.p.size(); i += 4) {
    for (int c = 0; c < 4; ++c) dst.p[i + c] += src.p[i + c] * gain;
    dst.p[i + 3] = std::min(1.0f, dst.p[i + 3]);
  }
}

void Scale(Canvas& c, float gain) {
  for (float& v : c.p) v *= gain;
}

namespace {

std::vector<float> Kernel(float sigma) {
  const int r = std::max(1, static_cast<int>(std::ceil(sigma * 3.0f)));
  std::vector<float> k(static_cast<size_t>(2 * r + 1));
  float sum = 0;
  for (int i = -r; i <= r; ++i) {
    const float v = std::exp(-static_cast<float>(i * i) / (2.0f * sigma * sigma));
    k[static_cast<size_t>(i + r)] = v;
    sum += v;
  }
  for (float& v : k) v /= sum;
  return k;
}

// Blurs `n` interleaved channels of a w x h buffer, first along x, then y.
void BlurChannels(std::vector<float>& data, int w, int h, int n, float sigma) {
  const std::vector<float> k = Kernel(sigma);
  const int r = static_cast<int>(k.size() / 2);
  std::vector<float> tmp(data.size(), 0.0f);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      const int lo = std::max(0, x - r), hi = std::min(w - 1, x + r);
      for (int c = 0; c < n; ++c) {
        float s = 0;
        for (int i = lo; i <= hi; ++i)
          s += data[(static_cast<size_t>(y) * w + i) * n + c] * k[static_cast<size_t>(i - x + r)];
        tmp[(static_cast<size_t>(y) * w + x) * n + c] = s;
      }
    }
  for (int y = 0; y < h; ++y) {
    const int lo = std::max(0, y - r), hi = std::min(h - 1, y + r);
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < n; ++c) {
        float s = 0;
        for (int i = lo; i <= hi; ++i)
          s += tmp[(static_cast<size_t>(i) * w + x) * n + c] * k[static_cast<size_t>(i - y + r)];
        data[(static_cast<size_t>(y) * w + x) * n + c] = s;
      }
  }
}

}  // namespace

Canvas Blur(const Canvas& src, float sigma) {
  Canvas out = src;
  BlurChannels(out.p, out.w, out.h, 4, sigma);
  return out;
}

Mask Blur(const Mask& src, float sigma) {
  Mask out = src;
  BlurChannels(out.v, out.w, out.h, 1, sigma);
  return out;
}

Canvas Glow(const Canvas& src, std::initializer_list<std::pair<float, float>> sigmaGain) {
  Canvas out(src.w, src.h);
  for (const auto& [sigma, gain] : sigmaGain) Add(out, Blur(src, sigma), gain);
  return out;
}

void FadeBorder(Canvas& c, float margin) {
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      const float d = static_cast<float>(std::min(std::min(x, c.w - 1 - x), std::min(y, c.h - 1 - y))) + 0.5f;
      if (d >= margin) continue;
      const float t = d / margin;
      const float k = t * t * (3.0f - 2.0f * t);
      float* px = c.at(x, y);
      for (int i = 0; i < 4; ++i) px[i] *= k;
    }
}

Mask Max(const Mask& a, const Mask& b) {
  Mask out = a;
  for (size_t i = 0; i < out.v.size(); ++i) out.v[i] = std::max(a.v[i], b.v[i]);
  return out;
}

Mask Minus(const Mask& a, const Mask& b) {
  Mask out = a;
  for (size_t i = 0; i < out.v.size(); ++i) out.v[i] = std::max(0.0f, a.v[i] - b.v[i]);
  return out;
}

bool InkBox(const Mask& m, float threshold, Box& box) {
  box = Box{m.w, m.h, -1, -1};
  for (int y = 0; y < m.h; ++y)
    for (int x = 0; x < m.w; ++x)
      if (m.v[static_cast<size_t>(y) * m.w + x] > threshold) {
        box.x0 = std::min(box.x0, x);
        box.y0 = std::min(box.y0, y);
        box.x1 = std::max(box.x1, x);
        box.y1 = std::max(box.y1, y);
      }
  return box.x1 >= 0;
}

bool AlphaBox(const Canvas& c, float threshold, Box& box) {
  box = Box{c.w, c.h, -1, -1};
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x)
      if (c.at(x, y)[3] > threshold) {
        box.x0 = std::min(box.x0, x);
        box.y0 = std::min(box.y0, y);
        box.x1 = std::max(box.x1, x);
        box.y1 = std::max(box.y1, y);
      }
  return box.x1 >= 0;
}

}  // namespace ag
