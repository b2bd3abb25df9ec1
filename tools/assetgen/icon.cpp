#include "icon.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "canvas.h"
#include "pngio.h"

namespace ag {

namespace {

// Premultiplied copy of a decoded RGBA file.
Canvas ToCanvas(const Image8& img) {
  Canvas c(img.w, img.h);
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      const uint8_t* s = img.at(x, y);
      const float a = static_cast<float>(s[3]) / 255.0f;
      float* d = c.at(x, y);
      for (int k = 0; k < 3; ++k) d[k] = static_cast<float>(s[k]) / 255.0f * a;
      d[3] = a;
    }
  return c;
}

// Bilinear read of a premultiplied canvas, transparent outside it.
void Sample(const Canvas& c, float u, float v, float out[4]) {
  const int x0 = static_cast<int>(std::floor(u)), y0 = static_cast<int>(std::floor(v));
  const float fx = u - static_cast<float>(x0), fy = v - static_cast<float>(y0);
  for (int k = 0; k < 4; ++k) out[k] = 0;
  for (int j = 0; j < 2; ++j)
    for (int i = 0; i < 2; ++i) {
      const int x = x0 + i, y = y0 + j;
      if (x < 0 || y < 0 || x >= c.w || y >= c.h) continue;
      const float w = (i ? fx : 1 - fx) * (j ? fy : 1 - fy);
      const float* p = c.at(x, y);
      for (int k = 0; k < 4; ++k) out[k] += p[k] * w;
    }
}

// Coverage of a rounded square of side `size` and corner radius `r` at the
// pixel centred on (x, y).
float RoundedSquare(float x, float y, float size, float r) {
  const float half = size / 2;
  const float qx = std::fabs(x - half) - (half - r), qy = std::fabs(y - half) - (half - r);
  const float outside = std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - r;
  return std::clamp(0.5f - outside, 0.0f, 1.0f);
}

}  // namespace

bool WriteIcon(const std::string& assetDir, const std::string& outPath, int size) {
  Image8 title8;
  if (!ReadPng(assetDir + "/gfx2/titulo.png", title8)) {
    std::fprintf(stderr, "assetgen: cannot read %s/gfx2/titulo.png\n", assetDir.c_str());
    return false;
  }
  const Canvas title = ToCanvas(title8);
  Box box;
  if (!AlphaBox(title, 8.0f / 255.0f, box)) {
    std::fprintf(stderr, "assetgen: the title is empty\n");
    return false;
  }

  const float s = static_cast<float>(size);
  Canvas icon(size, size);
  // Ground: a deep violet-blue square with a thin neon edge, blue at the
  // top to red at the bottom like the playfield.
  const float radius = s * 0.16f, edge = s * 0.012f;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      const float outer = RoundedSquare(px, py, s, radius);
      if (outer <= 0) continue;
      const float inner = RoundedSquare(px - edge, py - edge, s - 2 * edge, radius - edge);
      const float t = py / s;
      const Colour ground = Mix(Rgb(14, 10, 34), Rgb(6, 4, 16), t);
      const Colour neon = Mix(Rgb(40, 120, 255), Rgb(255, 40, 70), t);
      const Colour c = Mix(neon, ground, inner);
      float* d = icon.at(x, y);
      d[0] = c.r * outer;
      d[1] = c.g * outer;
      d[2] = c.b * outer;
      d[3] = outer;
    }

  // The lettering, as large as fits inside a margin, supersampled 4 x 4 so
  // the reduction keeps the thin tubes smooth.
  const float margin = s * 0.08f;
  const float bw = static_cast<float>(box.width()), bh = static_cast<float>(box.height());
  const float k = std::min((s - 2 * margin) / bw, (s - 2 * margin) / bh);
  const float ox = (s - bw * k) / 2, oy = (s - bh * k) / 2;
  Canvas letters(size, size);
  constexpr int kSub = 4;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) {
      float sum[4] = {0, 0, 0, 0};
      for (int j = 0; j < kSub; ++j)
        for (int i = 0; i < kSub; ++i) {
          const float px = static_cast<float>(x) + (static_cast<float>(i) + 0.5f) / kSub;
          const float py = static_cast<float>(y) + (static_cast<float>(j) + 0.5f) / kSub;
          float p[4];
          Sample(title, static_cast<float>(box.x0) + (px - ox) / k - 0.5f,
                 static_cast<float>(box.y0) + (py - oy) / k - 0.5f, p);
          for (int c = 0; c < 4; ++c) sum[c] += p[c];
        }
      float* d = letters.at(x, y);
      for (int c = 0; c < 4; ++c) d[c] = sum[c] / (kSub * kSub);
    }
  Over(icon, letters);

  if (!WritePng(outPath, Quantise(icon))) {
    std::fprintf(stderr, "assetgen: cannot write %s\n", outPath.c_str());
    return false;
  }
  return true;
}

}  // namespace ag
