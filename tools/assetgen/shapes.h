// Anti-aliased shapes from distance functions. A pixel (x, y) is sampled at
// its centre (x + 0.5, y + 0.5), so an edge on a whole coordinate covers the
// pixels on its inner side fully and those outside not at all: strokes whose
// edges sit on whole coordinates have exact pixel extents.
#pragma once

#include <functional>
#include <vector>

#include "canvas.h"

namespace ag {

struct Pt {
  float x = 0, y = 0;
};

// Distance to a point, negative inside for closed shapes.
using Sdf = std::function<float(float x, float y)>;

struct Path {
  std::vector<Pt> pts;
  bool closed = false;
  Path& to(float x, float y) {
    pts.push_back({x, y});
    return *this;
  }
  // Appends an arc about (cx, cy) from angle a0 to a1 (radians, y down).
  Path& arc(float cx, float cy, float r, float a0, float a1, int segments);
};

float SegmentDistance(Pt p, Pt a, Pt b);
float PathDistance(const Path& path, float x, float y);
// Rounded rectangle spanning [x0, x1] x [y0, y1] with corner radius r.
float RoundBoxSdf(float x, float y, float x0, float y0, float x1, float y1, float r);

// Pixel rectangle holding everything within `pad` of the path.
Box PathBounds(const Path& path, float pad, int w, int h);

// A neon tube: pixels within `halfWidth` of the centre line, coloured by
// `edge` and whitened towards the centre by `hot` (0 none, 1 white core).
void NeonStroke(Canvas& c, const Box& bounds, const Sdf& centreDistance, float halfWidth,
                const Paint& edge, float hot, float alpha = 1.0f);
void NeonPath(Canvas& c, const Path& path, float halfWidth, const Paint& edge, float hot,
              float alpha = 1.0f);
// Fills the inside (negative distance) of a shape.
void FillShape(Canvas& c, const Box& bounds, const Sdf& sdf, const Paint& paint, float alpha = 1.0f);
// Coverage of a shape as a mask.
Mask ShapeMask(int w, int h, const Box& bounds, const Sdf& sdf);

}  // namespace ag
