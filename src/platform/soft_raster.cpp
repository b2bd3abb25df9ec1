#include "platform/soft_raster.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/draw_geometry.h"
#include "platform/image.h"
#include "platform/platform.h"

namespace nr {
namespace {

// A texel or sample, 0 ... 255 per channel.
struct Rgba {
  int r, g, b, a;
};

inline Rgba Texel(const Image& img, int frame, int x, int y) {
  const uint8_t* t = img.texel(frame, x, y);
  return Rgba{t[0], t[1], t[2], t[3]};
}

// x / 255 rounded down, exact for 0 <= x < 65535, without a division.
inline int Div255(int x) { return (x + 1 + (x >> 8)) >> 8; }

// The global alpha, in 0 ... 255 for blending and exact for the mask test,
// whose threshold a rounded alpha would move.
struct Strength {
  int a8;
  float exact;
};

// The mask test: drawn where texel alpha x global alpha >= 0.5, with the
// texel alpha (0 ... 255) unrounded.
template <int Mode>
inline bool Masked(float texelAlpha, const Strength& alpha) {
  return Mode == MASKBLEND && texelAlpha * alpha.exact < 127.5f;
}

template <int Mode>
inline void Blend(uint8_t* dst, const Rgba& s, const Strength& alpha) {
  const int a = Div255(s.a * alpha.a8 + 127);
  const int src[3] = {s.r, s.g, s.b};
  for (int i = 0; i < 3; ++i) {
    const int d = dst[i];
    int out;
    if constexpr (Mode == MASKBLEND || Mode == SOLIDBLEND) out = src[i];
    else if constexpr (Mode == ALPHABLEND) out = Div255(src[i] * a + d * (255 - a) + 127);
    else if constexpr (Mode == LIGHTBLEND) out = std::min(255, d + Div255(src[i] * a + 127));
    else out = Div255(src[i] * d + 127);
    dst[i] = static_cast<uint8_t>(out);
  }
}

// Screen columns [first, last) whose samples on this row can read a texel
// of non-zero alpha; only used where such texels are no-ops.
struct Span {
  int first, last;
};

template <int Mode>
void DrawRows(const DrawCmd& c, const DrawQuad& q, uint8_t* rgba, int width, int px0, int px1,
              int py0, int py1) {
  const Image& img = *c.image;
  const CellInfo& cell = img.cell(c.frame);
  const float du = (q.u1 - q.u0) / (q.x1 - q.x0);
  const float dv = (q.v1 - q.v0) / (q.y1 - q.y0);
  const bool cull = ZeroAlphaIsNoOp(Mode);
  // At scale 1 on whole texels every sample lands on a texel centre, so
  // filtering reads exactly one texel.
  const float ox = q.x0 - q.u0, oy = q.y0 - q.v0;
  const bool aligned = du == 1.0f && dv == 1.0f && ox == std::floor(ox) && oy == std::floor(oy);
  const int h = img.cellHeight;
  const Strength alpha{static_cast<int>(c.alpha * 255.0f + 0.5f), c.alpha};
  for (int py = py0; py < py1; ++py) {
    const float v = q.v0 + (static_cast<float>(py) + 0.5f - q.y0) * dv;
    int first = px0, last = px1;
    uint64_t blocks = ~uint64_t{0};
    if (cull) {
      // Texel rows this row's samples read.
      int ta, tb;
      if (aligned || !img.filtered) {
        ta = tb = std::clamp(static_cast<int>(std::floor(v)), 0, h - 1);
      } else {
        ta = std::clamp(static_cast<int>(std::floor(v - 0.5f)), 0, h - 1);
        tb = std::min(ta + 1, h - 1);
      }
      const int lo = std::min(cell.rowFirst[static_cast<size_t>(ta)], cell.rowFirst[static_cast<size_t>(tb)]);
      const int hi = std::max(cell.rowLast[static_cast<size_t>(ta)], cell.rowLast[static_cast<size_t>(tb)]);
      if (lo > hi) continue;
      blocks = cell.rowBlocks[static_cast<size_t>(ta)] | cell.rowBlocks[static_cast<size_t>(tb)];
      // Texels lo - 1 ... hi + 1 may be reached by a bilinear footprint.
      const float uLo = static_cast<float>(lo - 1), uHi = static_cast<float>(hi + 2);
      float a = (uLo - q.u0) / du + q.x0 - 0.5f, b = (uHi - q.u0) / du + q.x0 - 0.5f;
      if (a > b) std::swap(a, b);
      first = std::max(px0, static_cast<int>(std::floor(a)));
      last = std::min(px1, static_cast<int>(std::ceil(b)) + 1);
    }
    uint8_t* row = rgba + static_cast<size_t>(py) * static_cast<size_t>(width) * 4;
    if (aligned) {
      const int ty = static_cast<int>(std::floor(v));
      const int txOff = static_cast<int>(ox);
      for (int px = first; px < last; ++px) {
        const int tx = px - txOff;
        if (!((blocks >> (tx >> CellInfo::kBlockShift)) & 1)) {
          px = (tx | ((1 << CellInfo::kBlockShift) - 1)) + txOff;  // on to the next block
          continue;
        }
        const Rgba t = Texel(img, c.frame, tx, ty);
        if (cull && t.a == 0) continue;
        if (Masked<Mode>(static_cast<float>(t.a), alpha)) continue;
        Blend<Mode>(row + static_cast<size_t>(px) * 4, t, alpha);
      }
      continue;
    }
    // Texel coordinates step in 16.16 fixed point across the row.
    const int w = img.cellWidth;
    const int32_t du16 = static_cast<int32_t>(std::lround(du * 65536.0f));
    const int32_t u16 = static_cast<int32_t>(
        std::lround((q.u0 + (static_cast<float>(first) + 0.5f - q.x0) * du) * 65536.0f));
    if (!img.filtered) {
      const int ty = std::clamp(static_cast<int>(std::floor(v)), 0, h - 1);
      const uint8_t* texRow = img.texel(c.frame, 0, ty);
      int32_t u = u16;
      for (int px = first; px < last; ++px, u += du16) {
        const int tx = std::clamp(u >> 16, 0, w - 1);
        if (!((blocks >> (tx >> CellInfo::kBlockShift)) & 1)) continue;
        const uint8_t* t = texRow + tx * 4;
        if (cull && t[3] == 0) continue;
        if (Masked<Mode>(t[3], alpha)) continue;
        Blend<Mode>(row + static_cast<size_t>(px) * 4, Rgba{t[0], t[1], t[2], t[3]}, alpha);
      }
      continue;
    }
    const float fv = v - 0.5f;
    const float iv = std::floor(fv);
    const int wv = static_cast<int>((fv - iv) * 256.0f + 0.5f);
    const uint8_t* rowA = img.texel(c.frame, 0, std::clamp(static_cast<int>(iv), 0, h - 1));
    const uint8_t* rowB = img.texel(c.frame, 0, std::clamp(static_cast<int>(iv) + 1, 0, h - 1));
    int32_t u = u16 - 32768;  // u - 0.5: the texel centres
    for (int px = first; px < last; ++px, u += du16) {
      const int ix = u >> 16;
      const int x0 = std::clamp(ix, 0, w - 1);
      const int x1 = std::clamp(ix + 1, 0, w - 1);
      if (!(((blocks >> (x0 >> CellInfo::kBlockShift)) | (blocks >> (x1 >> CellInfo::kBlockShift))) & 1))
        continue;
      const int wu = (u >> 8) & 255;
      const uint8_t* a = rowA + x0 * 4;
      const uint8_t* b = rowA + x1 * 4;
      const uint8_t* cc = rowB + x0 * 4;
      const uint8_t* d = rowB + x1 * 4;
      if (cull && (a[3] | b[3] | cc[3] | d[3]) == 0) continue;
      int out[4];
      for (int i = 0; i < 4; ++i) {
        const int top = a[i] * (256 - wu) + b[i] * wu;
        const int bottom = cc[i] * (256 - wu) + d[i] * wu;
        out[i] = (top * (256 - wv) + bottom * wv + 32768) >> 16;
      }
      if constexpr (Mode == MASKBLEND) {
        // The threshold sees the filtered alpha at full precision.
        const float fu = static_cast<float>(u) / 65536.0f;
        const float au = fu - std::floor(fu), av = fv - iv;
        const float fa = (a[3] * (1 - au) + b[3] * au) * (1 - av) + (cc[3] * (1 - au) + d[3] * au) * av;
        if (Masked<Mode>(fa, alpha)) continue;
      }
      Blend<Mode>(row + static_cast<size_t>(px) * 4, Rgba{out[0], out[1], out[2], out[3]}, alpha);
    }
  }
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
  if (px0 >= px1 || py0 >= py1) return;
  switch (c.blend) {
    case MASKBLEND: DrawRows<MASKBLEND>(c, q, rgba, width, px0, px1, py0, py1); break;
    case SOLIDBLEND: DrawRows<SOLIDBLEND>(c, q, rgba, width, px0, px1, py0, py1); break;
    case ALPHABLEND: DrawRows<ALPHABLEND>(c, q, rgba, width, px0, px1, py0, py1); break;
    case LIGHTBLEND: DrawRows<LIGHTBLEND>(c, q, rgba, width, px0, px1, py0, py1); break;
    case SHADEBLEND: DrawRows<SHADEBLEND>(c, q, rgba, width, px0, px1, py0, py1); break;
    default: break;
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
