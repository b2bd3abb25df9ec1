#include "neon.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace ag {

void DrawTubeText(Canvas& c, const Layout& l, std::string_view text, const TubeLetters& s) {
  DrawTubeText(c, l, text, s, Solid(s.colour));
}

void DrawTubeText(Canvas& c, const Layout& l, std::string_view text, const TubeLetters& s,
                  const Paint& paint) {
  if (s.fill > 0) {
    Mask fill(c.w, c.h);
    DrawText(fill, l.style, text, l.x, l.y);
    Fill(c, fill, paint, s.fill);
  }
  Mask tube(c.w, c.h), core(c.w, c.h);
  DrawText(tube, l.style, text, l.x, l.y, Ink::Outline, s.tube);
  DrawText(core, l.style, text, l.x, l.y, Ink::Outline, s.tube * 0.45f);
  Fill(c, tube, paint);
  Fill(c, core, [&](float x, float y) { return Hot(paint(x, y), s.hot); });
}

void DrawSolidText(Canvas& c, const Layout& l, std::string_view text, const Paint& paint, float hot,
                   float inset) {
  Mask fill(c.w, c.h), inner(c.w, c.h);
  DrawText(fill, l.style, text, l.x, l.y);
  DrawText(inner, l.style, text, l.x, l.y, Ink::Inner, inset);
  Fill(c, fill, paint);
  Fill(c, Minus(fill, inner), [&](float x, float y) { return Hot(paint(x, y), hot); });
}

void DrawSolidRuns(Canvas& c, const Layout& l, const std::vector<Run>& runs, float hot, float inset) {
  std::string prefix;
  for (const Run& r : runs) {
    Layout at = l;
    at.x = l.x + TextAdvance(l.style, prefix);
    DrawSolidText(c, at, r.text, Solid(r.colour), hot, inset);
    prefix += r.text;
  }
}

void Halo(Canvas& c, float sigma, float gain) {
  Canvas glow = Blur(c, sigma);
  FadeBorder(glow, sigma * 1.5f);
  Under(c, glow, gain);
}

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "assetgen: %s\n", what);
  std::exit(1);
}

}  // namespace ag
