// Where a resolved draw lands on the screen and which texels it reads.
// Written once and used by both renderers, so that they agree.
#pragma once

#include <algorithm>
#include <cmath>

#include "platform/backend.h"
#include "platform/image.h"
#include "platform/platform.h"

namespace nr {

// An axis-aligned screen rectangle and the cell texel rectangle mapped onto
// it. Texel coordinates are in texels of the cell (0 ... cellWidth).
struct DrawQuad {
  float x0, y0, x1, y1;  // screen, x0 <= x1 and y0 <= y1
  float u0, v0, u1, v1;  // cell texels at (x0, y0) and (x1, y1)
  bool empty() const { return !(x1 > x0 && y1 > y0); }
};

// Blends for which a texel of alpha 0 leaves the destination unchanged, so
// the quad may be cut down to the cell's visible texels.
constexpr bool ZeroAlphaIsNoOp(int blend) {
  return blend == ALPHABLEND || blend == LIGHTBLEND || blend == MASKBLEND;
}

inline DrawQuad ResolveQuad(const DrawCmd& c) {
  const Image& img = *c.image;
  const float w = static_cast<float>(img.cellWidth);
  const float h = static_cast<float>(img.cellHeight);
  float tu0 = 0, tv0 = 0, tu1 = w, tv1 = h;
  if (ZeroAlphaIsNoOp(c.blend)) {
    const CellInfo& cell = img.cell(c.frame);
    if (cell.visW == 0 || cell.visH == 0) return DrawQuad{0, 0, 0, 0, 0, 0, 0, 0};
    // One texel of margin: bilinear sampling reaches that far.
    tu0 = std::max(0.0f, static_cast<float>(cell.visX - 1));
    tv0 = std::max(0.0f, static_cast<float>(cell.visY - 1));
    tu1 = std::min(w, static_cast<float>(cell.visX + cell.visW + 1));
    tv1 = std::min(h, static_cast<float>(cell.visY + cell.visH + 1));
  }
  const float ox = c.x - c.handleX * c.scaleX;
  const float oy = c.y - c.handleY * c.scaleY;
  DrawQuad q{ox + tu0 * c.scaleX, oy + tv0 * c.scaleY, ox + tu1 * c.scaleX, oy + tv1 * c.scaleY,
             tu0, tv0, tu1, tv1};
  if (q.x0 > q.x1) {
    std::swap(q.x0, q.x1);
    std::swap(q.u0, q.u1);
  }
  if (q.y0 > q.y1) {
    std::swap(q.y0, q.y1);
    std::swap(q.v0, q.v1);
  }
  return q;
}

}  // namespace nr
