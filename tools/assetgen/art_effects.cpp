// Effects: the star, the wave strips, the energy orb and the logo layers.
#include <algorithm>
#include <cmath>

#include "art.h"
#include "neon.h"

namespace ag {

namespace {

// ---- Star --------------------------------------------------------------------

// A white dot with a faint four-point twinkle and two grey companions, on
// pure black: the game draws it additively and masks the black.
Canvas Star() {
  Canvas c(19, 19);
  auto blob = [](float dx, float dy, float sigma) { return std::exp(-(dx * dx + dy * dy) / (2 * sigma * sigma)); };
  for (int y = 0; y < 19; ++y)
    for (int x = 0; x < 19; ++x) {
      const float dx = static_cast<float>(x) - 9.0f, dy = static_cast<float>(y) - 9.0f;
      float v = blob(dx, dy, 1.5f);
      v += 0.45f * std::exp(-std::fabs(dx) / 2.6f) * blob(0, dy, 0.55f);
      v += 0.45f * std::exp(-std::fabs(dy) / 2.6f) * blob(dx, 0, 0.55f);
      const float grey = 0.55f * blob(static_cast<float>(x) - 3.0f, static_cast<float>(y) - 14.0f, 0.8f) +
                         0.4f * blob(static_cast<float>(x) - 15.0f, static_cast<float>(y) - 4.0f, 0.7f);
      float* p = c.at(x, y);
      const float w = std::min(1.0f, v);
      const float g = std::min(1.0f, w + grey * 0.75f);
      // Quantised to 8 bits, anything below half a step is pure black.
      p[0] = std::min(1.0f, w * 0.92f + grey * 0.7f);
      p[1] = std::min(1.0f, w * 0.96f + grey * 0.7f);
      p[2] = g;
      p[3] = 1.0f;
    }
  return c;
}

// ---- Waves -------------------------------------------------------------------

// Ring radius in frame k: about 2 pixels in frame 0, growing about 1.8 a
// frame to about 44 in frame 23. The coloured rings fade over frames 21-23;
// frame 24 is empty.
float WaveRadius(int k) { return 2.0f + 42.0f * static_cast<float>(k) / 23.0f; }

float WaveFade(int k) {
  if (k <= 20) return 1.0f;
  if (k >= 24) return 0.0f;
  return static_cast<float>(24 - k) * 0.25f;
}

enum class WaveLayer { Ring, Glow, Shine };

Canvas Wave(Colour colour, WaveLayer layer) {
  Canvas c(500, 500);
  for (int k = 0; k < 24; ++k) {
    const int ox = (k % 5) * 100, oy = (k / 5) * 100;
    const float cx = static_cast<float>(ox) + 50.0f, cy = static_cast<float>(oy) + 50.0f;
    const float r = WaveRadius(k);
    const float t = static_cast<float>(k) / 23.0f;
    Canvas cell(500, 500);
    const Box box{ox, oy, ox + 99, oy + 99};
    auto ringDistance = [=](float rr) {
      return [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - rr); };
    };
    switch (layer) {
      case WaveLayer::Ring:
        NeonStroke(cell, box, ringDistance(r), 1.5f + 0.8f * t, Solid(colour), 0.5f, WaveFade(k));
        break;
      case WaveLayer::Glow: {
        const float sigma = 2.5f + 1.5f * t;
        for (int y = box.y0; y <= box.y1; ++y)
          for (int x = box.x0; x <= box.x1; ++x) {
            const float d = std::hypot(static_cast<float>(x) + 0.5f - cx, static_cast<float>(y) + 0.5f - cy) - r;
            // Never further out than the cell: the last frames grow close to its edge.
            const float edge = std::clamp((49.5f - (d + r)) / 3.0f, 0.0f, 1.0f);
            cell.over(x, y, Hot(colour, 0.15f), 0.38f * WaveFade(k) * edge * std::exp(-d * d / (2 * sigma * sigma)));
          }
        break;
      }
      case WaveLayer::Shine:
        // A thin grey ring just inside the coloured one, gone from frame 20.
        if (k < 20)
          NeonStroke(cell, box, ringDistance(std::max(0.0f, r - 1.0f)), 0.9f, Solid(Rgb(150, 150, 150)), 0.0f,
                     0.5f * std::min(1.0f, static_cast<float>(20 - k) / 3.0f));
        break;
    }
    Over(c, cell);
  }
  return c;
}

// ---- Orb ---------------------------------------------------------------------

// A green bubble, 35 x 35: nearly clear inside, most opaque along its rim at
// radius 14, with a small glint.
Canvas Orb() {
  Canvas c(35, 35);
  for (int y = 0; y < 35; ++y)
    for (int x = 0; x < 35; ++x) {
      const float px = static_cast<float>(x) + 0.5f, py = static_cast<float>(y) + 0.5f;
      const float d = std::hypot(px - 17.5f, py - 17.5f);
      float a;
      if (d <= 14.0f)
        a = 0.18f + 0.82f * std::exp(-(d - 14.0f) * (d - 14.0f) / (2 * 2.2f * 2.2f));
      else
        a = std::exp(-(d - 14.0f) * (d - 14.0f) / (2 * 1.3f * 1.3f)) * std::clamp((17.2f - d) / 1.6f, 0.0f, 1.0f);
      const float rim = std::exp(-(d - 13.5f) * (d - 13.5f) / (2 * 1.0f * 1.0f));
      c.over(x, y, Hot(Mix(Rgb(20, 150, 60), Rgb(60, 255, 110), std::min(1.0f, d / 14.0f)), 0.45f * rim), a);
      const float glint = std::exp(-((px - 12.0f) * (px - 12.0f) + (py - 11.0f) * (py - 11.0f)) / (2 * 1.6f * 1.6f));
      c.over(x, y, Rgb(230, 255, 235), 0.55f * glint);
    }
  return c;
}

// ---- Logo layers -------------------------------------------------------------

// One word of the logo on its own full-screen layer, every visible pixel
// inside `box` so that the layers compose the logo when drawn at (0, 0).
Canvas LogoWord(const Fonts& f, const char* word, Colour colour, const Box& box) {
  Canvas c(640, 480);
  const Box inner{box.x0 + 5, box.y0 + 5, box.x1 - 5, box.y1 - 5};
  const Layout l = FitText(f.sansBold(), word, inner, 2.8f, 1.6f, 0.6f, 2.0f);
  DrawTubeText(c, l, word, TubeLetters{colour, 2.8f, 0.6f, 0.22f});
  Halo(c, 2.2f, 0.5f);
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const int inset = std::min(std::min(x - box.x0, box.x1 - x), std::min(y - box.y0, box.y1 - y));
      const float k = inset < 0 ? 0.0f : std::min(1.0f, (static_cast<float>(inset) + 0.5f) / 4.0f);
      if (k >= 1.0f) continue;
      float* p = c.at(x, y);
      for (int i = 0; i < 4; ++i) p[i] *= k;
    }
  return c;
}

}  // namespace

void AddEffectArt(std::vector<Picture>& out, const Fonts& f) {
  out.push_back({"gfx/star1.png", 19, 19, Star, true});
  struct W {
    const char* ring;
    const char* glow;
    Colour colour;
  };
  const W waves[] = {{"gfx2/ondamorada.png", "gfx2/gondamorada.png", Rgb(190, 60, 255)},
                     {"gfx2/ondaazul.png", "gfx2/gondaazul.png", Rgb(40, 130, 255)},
                     {"gfx2/ondaroja.png", "gfx2/gondaroja.png", Rgb(255, 40, 60)},
                     {"gfx2/ondaverde.png", "gfx2/gondaverde.png", Rgb(40, 255, 90)}};
  for (const W& w : waves) {
    const Colour colour = w.colour;
    out.push_back({w.ring, 500, 500, [colour] { return Wave(colour, WaveLayer::Ring); }});
    out.push_back({w.glow, 500, 500, [colour] { return Wave(colour, WaveLayer::Glow); }});
  }
  out.push_back({"gfx2/linea.png", 500, 500, [] { return Wave(Colour{}, WaveLayer::Shine); }});
  out.push_back({"gfx2/energiaesfera2.png", 35, 35, Orb});
  out.push_back({"gfx2/plimo.png", 640, 480, [&f] { return LogoWord(f, "PLIMO", kPlimo, Box{55, 171, 270, 246}); }});
  out.push_back({"gfx2/drevan.png", 640, 480, [&f] { return LogoWord(f, "DREVAN", kDrevan, Box{258, 170, 582, 246}); }});
  out.push_back({"gfx2/oskel.png", 640, 480, [&f] { return LogoWord(f, "OSKEL", kOskel, Box{427, 237, 581, 284}); }});
}

}  // namespace ag
