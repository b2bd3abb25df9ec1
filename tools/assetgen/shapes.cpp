#include "shapes.h"

#include <algorithm>
#include <cmath>

namespace ag {

Path& Path::arc(float cx, float cy, float r, float a0, float a1, int segments) {
  for (int i = 0; i <= segments; ++i) {
    const float a = a0 + (a1 - a0) * static_cast<float>(i) / static_cast<float>(segments);
    pts.push_back({cx + r * std::cos(a), cy + r * std::sin(a)});
  }
  return *this;
}

float SegmentDistance(Pt p, Pt a, Pt b) {
  const float vx = b.x - a.x, vy = b.y - a.y;
  const float wx = p.x - a.x, wy = p.y - a.y;
  const float len2 = vx * vx + vy * vy;
  const float t = len2 > 0 ? std::clamp((wx * vx + wy * vy) / len2, 0.0f, 1.0f) : 0.0f;
  const float dx = wx - vx * t, dy = wy - vy * t;
  return std::sqrt(dx * dx + dy * dy);
}

float PathDistance(const Path& path, float x, float y) {
  const size_t n = path.pts.size();
  if (n == 0) return 1e9f;
  if (n == 1) return SegmentDistance({x, y}, path.pts[0], path.pts[0]);
  float d = 1e9f;
  for (size_t i = 0; i + 1 < n; ++i) d = std::min(d, SegmentDistance({x, y}, path.pts[i], path.pts[i + 1]));
  if (path.closed) d = std::min(d, SegmentDistance({x, y}, path.pts[n - 1], path.pts[0]));
  return d;
}

float RoundBoxSdf(float x, float y, float x0, float y0, float x1, float y1, float r) {
  const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
  const float qx = std::fabs(x - cx) - ((x1 - x0) * 0.5f - r);
  const float qy = std::fabs(y - cy) - ((y1 - y0) * 0.5f - r);
  const float ox = std::max(qx, 0.0f), oy = std::max(qy, 0.0f);
  return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0f) - r;
}

Box PathBounds(const Path& path, float pad, int w, int h) {
  float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
  for (const Pt& p : path.pts) {
    x0 = std::min(x0, p.x);
    y0 = std::min(y0, p.y);
    x1 = std::max(x1, p.x);
    y1 = std::max(y1, p.y);
  }
  Box b;
  b.x0 = std::max(0, static_cast<int>(std::floor(x0 - pad)));
  b.y0 = std::max(0, static_cast<int>(std::floor(y0 - pad)));
  b.x1 = std::min(w - 1, static_cast<int>(std::ceil(x1 + pad)));
  b.y1 = std::min(h - 1, static_cast<int>(std::ceil(y1 + pad)));
  return b;
}

void NeonStroke(Canvas& c, const Box& bounds, const Sdf& centreDistance, float halfWidth,
                const Paint& edge, float hot, float alpha) {
  for (int y = std::max(0, bounds.y0); y <= std::min(c.h - 1, bounds.y1); ++y)
    for (int x = std::max(0, bounds.x0); x <= std::min(c.w - 1, bounds.x1); ++x) {
      const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      const float d = centreDistance(px, py);
      const float cov = std::clamp(halfWidth + 0.5f - d, 0.0f, 1.0f);
      if (cov <= 0) continue;
      const float t = std::clamp(d / halfWidth, 0.0f, 1.0f);
      const float core = (1.0f - t) * (1.0f - t);
      c.over(x, y, Hot(edge(px, py), hot * core), cov * alpha);
    }
}

void NeonPath(Canvas& c, const Path& path, float halfWidth, const Paint& edge, float hot, float alpha) {
  NeonStroke(c, PathBounds(path, halfWidth + 1.0f, c.w, c.h),
             [&path](float x, float y) { return PathDistance(path, x, y); }, halfWidth, edge, hot,
             alpha);
}

void FillShape(Canvas& c, const Box& bounds, const Sdf& sdf, const Paint& paint, float alpha) {
  for (int y = std::max(0, bounds.y0); y <= std::min(c.h - 1, bounds.y1); ++y)
    for (int x = std::max(0, bounds.x0); x <= std::min(c.w - 1, bounds.x1); ++x) {
      const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      const float cov = std::clamp(0.5f - sdf(px, py), 0.0f, 1.0f);
      if (cov > 0) c.over(x, y, paint(px, py), cov * alpha);
    }
}

Mask ShapeMask(int w, int h, const Box& bounds, const Sdf& sdf) {
  Mask m(w, h);
  for (int y = std::max(0, bounds.y0); y <= std::min(h - 1, bounds.y1); ++y)
    for (int x = std::max(0, bounds.x0); x <= std::min(w - 1, bounds.x1); ++x)
      m.at(x, y) = std::clamp(0.5f - sdf(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f),
                              0.0f, 1.0f);
  return m;
}

}  // namespace ag
