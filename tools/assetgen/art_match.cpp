// The match: playfield, labels, paddles, ball, digits and the ready/start
// plates. Where the ball and the paddles have solid pixels decides every
// collision, so those pictures are drawn on whole-pixel edges and checked.
#include <algorithm>
#include <cmath>
#include <numbers>

#include "art.h"
#include "neon.h"

namespace ag {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

const Colour kBandBlue = Rgb(30, 110, 255);
const Colour kBandRed = Rgb(255, 36, 64);
const Colour kLineTop = Rgb(120, 70, 255);

// ---- Playfield ---------------------------------------------------------------

// Centre lines of the two bands. The top band is 8 rows (33-40) about
// y = 37, the bottom one 9 rows (437-445) about y = 441.5; their straight
// parts run from x = 26 to 614, and at each end a quarter circle turns the
// band towards the nearer screen edge.
Path TopBand() {
  Path p;
  p.to(8, -8).arc(26, 19, 18, kPi, kPi / 2, 24).to(614, 37).arc(614, 19, 18, kPi / 2, 0, 24).to(632, -8);
  return p;
}

Path BottomBand() {
  Path p;
  p.to(8, 488)
      .arc(26, 459.5f, 18, kPi, kPi * 1.5f, 24)
      .to(614, 441.5f)
      .arc(614, 459.5f, 18, kPi * 1.5f, kPi * 2, 24)
      .to(632, 488);
  return p;
}

Canvas Campo() {
  Canvas c(640, 480);
  // The centre line reaches into both bands so that its ends are hidden.
  const Path centre = Path().to(320, 37).to(320, 441.5f);
  NeonPath(c, centre, 4.0f, VerticalGradient(kLineTop, 41, kBandRed, 437), 0.45f);
  NeonPath(c, TopBand(), 4.0f, Solid(kBandBlue), 0.65f);
  NeonPath(c, BottomBand(), 4.5f, Solid(kBandRed), 0.6f);
  return c;
}

Canvas GlowCampo() {
  Canvas glow = Glow(Campo(), {{3.0f, 0.45f}, {10.0f, 0.35f}});
  return glow;
}

// ---- Labels and banner ---------------------------------------------------------

Canvas Label(const Fonts& f, const char* text, Colour colour) {
  Canvas c(349, 86);
  const Layout l = FitText(f.sansBold(), text, Box{8, 9, 340, 76}, 2.6f, 1.15f);
  DrawTubeText(c, l, text, TubeLetters{colour, 2.6f, 0.55f, 0.22f});
  Halo(c, 3.0f, 0.45f);
  return c;
}

Canvas Velmarino(const Fonts& f) {
  Canvas c(438, 45);
  const Layout l = FitText(f.sansBold(), "VELMARINO", Box{14, 5, 423, 38}, 1.8f, 1.6f, 0.6f, 4.0f);
  DrawTubeText(c, l, "VELMARINO", TubeLetters{Rgb(40, 200, 255), 1.8f, 0.5f, 0.25f},
               VerticalGradient(Rgb(90, 240, 255), 6, Rgb(40, 90, 255), 38));
  Halo(c, 2.5f, 0.4f);
  return c;
}

// ---- Paddles -----------------------------------------------------------------

// A paddle is a rounded rectangle outline on its outer side and a bracket on
// the side that faces the field, 3-pixel tubes whose outer edges lie on
// whole coordinates. `left` is the picture of player 1.
Canvas Paddle(bool left, bool glow) {
  Canvas c(36, 64);
  const float hw = 1.5f;
  const float top = 3.0f + hw, bottom = 62.0f - hw;
  // Left paddle: solid pixels in columns 6-28; right paddle: 7-30.
  const float rx0 = left ? 6.0f : 17.0f, rx1 = left ? 19.0f : 31.0f;
  const Colour frame = left ? Rgb(255, 128, 20) : Rgb(255, 196, 30);
  const Colour bracket = left ? Rgb(40, 255, 90) : Rgb(160, 70, 255);
  NeonStroke(c, Box{0, 0, 35, 63},
             [&](float x, float y) {
               return std::fabs(RoundBoxSdf(x, y, rx0 + hw, top, rx1 - hw, bottom, 4.0f));
             },
             hw, Solid(frame), 0.55f);
  Path b;
  if (left)
    b.to(21.5f, top).to(29.0f - hw, top).to(29.0f - hw, bottom).to(21.5f, bottom);
  else
    b.to(14.5f, top).to(7.0f + hw, top).to(7.0f + hw, bottom).to(14.5f, bottom);
  NeonPath(c, b, hw, Solid(bracket), 0.5f);
  // A short mark at mid-height, where a hit sends the ball back flat.
  const float bx = left ? 29.0f - hw : 7.0f + hw;
  NeonPath(c, Path().to(bx, 32).to(left ? bx - 4.0f : bx + 4.0f, 32), 1.0f, Solid(bracket), 0.6f);
  if (!glow) {
    Box solid;
    AlphaBox(c, 0.5f, solid);
    Require(solid.x0 == (left ? 6 : 7) && solid.x1 == (left ? 28 : 30) && solid.y0 == 3 && solid.y1 == 61,
            "a paddle's solid strokes are off their columns or rows");
    return c;
  }
  Canvas g = Glow(c, {{1.6f, 0.7f}, {4.0f, 0.45f}});
  FadeBorder(g, 3.0f);
  return g;
}

// ---- Ball --------------------------------------------------------------------

// The ball: a red sphere in a green-yellow cage of three meridians and an
// equator turning about a tilted axis, inside a rim. Frame 0's solid pixels
// are exactly the disc of radius 9.5 about (12.5, 10.5): columns 3-21, rows
// 1-19. The cage repeats every 60 degrees and turns 7.5 degrees a frame, so
// frames 0-7 loop.
constexpr float kBallX = 12.5f, kBallY = 10.5f, kBallR = 9.5f;

struct Cage {
  std::vector<std::pair<Pt, Pt>> front, back;
};

Cage CageLines(float turn, float ox) {
  Cage cage;
  const float tiltX = 0.42f, tiltZ = 0.35f, radius = 8.6f;
  auto project = [&](float px, float py, float pz, Pt& out, float& depth) {
    // Tilt the spin axis towards the viewer, then sideways.
    const float y1 = py * std::cos(tiltX) - pz * std::sin(tiltX);
    const float z1 = py * std::sin(tiltX) + pz * std::cos(tiltX);
    const float x2 = px * std::cos(tiltZ) - y1 * std::sin(tiltZ);
    const float y2 = px * std::sin(tiltZ) + y1 * std::cos(tiltZ);
    out = {ox + kBallX + radius * x2, kBallY - radius * y2};
    depth = z1;
  };
  auto circle = [&](auto point) {
    const int n = 48;
    Pt prev{};
    float prevZ = 0;
    for (int i = 0; i <= n; ++i) {
      const float t = 2.0f * kPi * static_cast<float>(i) / static_cast<float>(n);
      float x, y, z;
      point(t, x, y, z);
      Pt p;
      float depth;
      project(x, y, z, p, depth);
      if (i > 0) (prevZ + depth >= 0 ? cage.front : cage.back).push_back({prev, p});
      prev = p;
      prevZ = depth;
    }
  };
  for (int m = 0; m < 3; ++m) {
    const float lon = turn + static_cast<float>(m) * kPi / 3.0f;
    circle([&](float t, float& x, float& y, float& z) {
      x = std::cos(t) * std::cos(lon);
      y = std::sin(t);
      z = std::cos(t) * std::sin(lon);
    });
  }
  circle([&](float t, float& x, float& y, float& z) {
    x = std::cos(t);
    y = 0;
    z = std::sin(t);
  });
  return cage;
}

float Nearest(const std::vector<std::pair<Pt, Pt>>& segs, float x, float y) {
  float d = 1e9f;
  for (const auto& [a, b] : segs) d = std::min(d, SegmentDistance({x, y}, a, b));
  return d;
}

void BallFrame(Canvas& c, int frame) {
  const float ox = static_cast<float>(frame * 25);
  const Box cell{frame * 25, 0, frame * 25 + 24, 24};
  const float cx = ox + kBallX, cy = kBallY;
  auto dist = [&](float x, float y) { return std::hypot(x - cx, y - cy); };
  const Colour cageColour = Rgb(190, 255, 40);
  Canvas layer(c.w, c.h);
  // Glass: everything up to beyond the rim is opaque enough to collide; the
  // disc's edge is cut once, below.
  FillShape(layer, cell, [&](float x, float y) { return dist(x, y) - 10.5f; },
            [&](float x, float y) {
              return Mix(Rgb(70, 10, 40), Rgb(150, 30, 90), std::clamp(dist(x, y) / kBallR, 0.0f, 1.0f));
            },
            0.66f);
  const Cage cage = CageLines(static_cast<float>(frame) * kPi / 24.0f, ox);
  NeonStroke(layer, cell, [&](float x, float y) { return Nearest(cage.back, x, y); }, 0.6f,
             Solid(Mix(cageColour, Rgb(40, 60, 20), 0.45f)), 0.0f, 0.8f);
  // The red sphere, lit from the upper left.
  const float sr = 6.0f;
  FillShape(layer, cell, [&](float x, float y) { return dist(x, y) - sr; }, [&](float x, float y) {
    const float nx = (x - cx) / sr, ny = (y - cy) / sr;
    const float nz = std::sqrt(std::max(0.0f, 1.0f - nx * nx - ny * ny));
    const float lit = std::max(0.0f, -0.45f * nx - 0.55f * ny + 0.70f * nz);
    const float shine = std::pow(std::max(0.0f, -0.3f * nx - 0.45f * ny + 0.84f * nz), 14.0f);
    return Hot(Mix(Rgb(110, 0, 10), Rgb(255, 40, 40), lit), shine * 0.9f);
  });
  NeonStroke(layer, cell, [&](float x, float y) { return Nearest(cage.front, x, y); }, 0.75f,
             Solid(cageColour), 0.45f);
  NeonStroke(layer, cell, [&](float x, float y) { return std::fabs(dist(x, y) - 8.9f); }, 1.1f,
             Solid(cageColour), 0.5f);
  for (int y = cell.y0; y <= cell.y1; ++y)
    for (int x = cell.x0; x <= cell.x1; ++x) {
      const float k = std::clamp(kBallR + 0.5f - dist(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f), 0.0f, 1.0f);
      const float* s = layer.at(x, y);
      float* d = c.at(x, y);
      for (int i = 0; i < 4; ++i) d[i] = s[i] * k;
    }
}

Canvas Ball(bool glow) {
  Canvas c(250, 25);
  for (int f = 0; f < 10; ++f) BallFrame(c, f);
  Box solid;
  Canvas first(25, 25);
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 25; ++x) std::copy_n(c.at(x, y), 4, first.at(x, y));
  AlphaBox(first, 0.5f, solid);
  Require(solid.x0 == 3 && solid.x1 == 21 && solid.y0 == 1 && solid.y1 == 19,
          "the ball's solid disc is off columns 3-21, rows 1-19");
  if (!glow) return c;
  // Each cell's glow is made on its own so that no frame bleeds into the next.
  Canvas out(250, 25);
  for (int f = 0; f < 10; ++f) {
    Canvas cell(25, 25);
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x) std::copy_n(c.at(f * 25 + x, y), 4, cell.at(x, y));
    Canvas g = Glow(cell, {{1.4f, 0.45f}, {3.2f, 0.35f}});
    FadeBorder(g, 2.5f);
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x) std::copy_n(g.at(x, y), 4, out.at(f * 25 + x, y));
  }
  return out;
}

// ---- Digits and colon --------------------------------------------------------

const Colour kDigit = Rgb(50, 225, 255);

// Every digit shares one size and baseline, measured on "0"; each is centred
// on its ink. The ink is 36 rows tall and at most about 26 columns wide, so
// the score's 30-pixel steps and the clock's 14-pixel steps at scale 0.4 keep
// neighbours apart.
Canvas Digit(const Fonts& f, char d) {
  Canvas c(45, 45);
  const Layout zero = FitText(f.sansBold(), "0", Box{9, 4, 35, 40}, 0.0f, 1.0f, 0.6f);
  Layout l = zero;
  const std::string s(1, d);
  Mask m(45, 45);
  DrawText(m, l.style, s, 0, l.y);
  Box ink;
  InkBox(m, 0.0f, ink);
  l.x = std::round((45.0f - static_cast<float>(ink.width())) * 0.5f) - static_cast<float>(ink.x0);
  DrawSolidText(c, l, s, VerticalGradient(Rgb(120, 245, 255), 4, kDigit, 40), 0.6f, 2.4f);
  Halo(c, 1.8f, 0.55f);
  return c;
}

Canvas Colon() {
  Canvas c(45, 45);
  for (float y : {15.5f, 31.5f})
    FillShape(c, Box{0, 0, 44, 44},
              [y](float px, float py) { return RoundBoxSdf(px, py, 18.5f, y - 4.0f, 26.5f, y + 4.0f, 2.5f); },
              [y](float px, float py) { return Hot(kDigit, 0.6f * std::max(0.0f, 1.0f - std::hypot(px - 22.5f, py - y) / 4.0f)); });
  Halo(c, 1.8f, 0.55f);
  return c;
}

// ---- Ready / Start -----------------------------------------------------------

// The plate: a rounded rectangle centred on (320, 240), its border tube from
// x 165 to 475 and y 183 to 297, so the picture is symmetric about the
// screen centre and squashes evenly about the middle row.
constexpr float kPlateX0 = 168, kPlateY0 = 186, kPlateX1 = 472, kPlateY1 = 294, kPlateR = 24;
const Colour kPlateEdge = Rgb(40, 215, 255);

float PlateSdf(float x, float y) { return RoundBoxSdf(x, y, kPlateX0, kPlateY0, kPlateX1, kPlateY1, kPlateR); }

void PlateBorder(Canvas& c) {
  NeonStroke(c, Box{150, 170, 490, 310}, [](float x, float y) { return std::fabs(PlateSdf(x, y)); }, 3.0f,
             Solid(kPlateEdge), 0.6f);
}

Canvas Plate(const Fonts& f, const char* word, Colour colour) {
  Canvas c(640, 480);
  FillShape(c, Box{150, 170, 490, 310}, PlateSdf,
            VerticalGradient(Rgb(16, 8, 44), kPlateY0, Rgb(6, 4, 20), kPlateY1), 0.78f);
  NeonStroke(c, Box{150, 170, 490, 310}, [](float x, float y) { return std::fabs(PlateSdf(x, y) + 9.0f); },
             1.0f, Solid(Rgb(255, 60, 200)), 0.3f, 0.75f);
  const Layout l = FitText(f.sansBold(), word, Box{204, 208, 436, 272}, 2.8f, 1.25f, 0.6f, 6.0f);
  Canvas text(640, 480);
  DrawTubeText(text, l, word, TubeLetters{colour, 2.8f, 0.6f, 0.3f});
  Halo(text, 3.0f, 0.6f);
  Over(c, text);
  PlateBorder(c);
  return c;
}

Canvas PlateGlow() {
  Canvas border(640, 480);
  PlateBorder(border);
  return Glow(border, {{4.0f, 0.5f}, {12.0f, 0.45f}});
}

}  // namespace

void AddMatchArt(std::vector<Picture>& out, const Fonts& f) {
  out.push_back({"gfx2/campo.png", 640, 480, Campo});
  out.push_back({"gfx2/glowcampo.png", 640, 480, GlowCampo});
  out.push_back({"gfx2/ledplayer1.png", 349, 86, [&f] { return Label(f, "Player 1", Rgb(60, 255, 110)); }});
  out.push_back({"gfx2/ledplayer2.png", 349, 86, [&f] { return Label(f, "Player 2", Rgb(255, 60, 210)); }});
  out.push_back({"gfx2/ledcomputer.png", 349, 86, [&f] { return Label(f, "Computer", Rgb(255, 60, 210)); }});
  out.push_back({"gfx2/velmarino.png", 438, 45, [&f] { return Velmarino(f); }});
  out.push_back({"gfx2/raqueta1.png", 36, 64, [] { return Paddle(true, false); }});
  out.push_back({"gfx2/graqueta1.png", 36, 64, [] { return Paddle(true, true); }});
  out.push_back({"gfx2/raqueta2.png", 36, 64, [] { return Paddle(false, false); }});
  out.push_back({"gfx2/graqueta2.png", 36, 64, [] { return Paddle(false, true); }});
  out.push_back({"gfx2/superpelota.png", 250, 25, [] { return Ball(false); }});
  out.push_back({"gfx2/gsuperpelota.png", 250, 25, [] { return Ball(true); }});
  const char* names[] = {"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve"};
  for (int d = 0; d < 10; ++d)
    out.push_back({std::string("gfx2/") + names[d] + ".png", 45, 45,
                   [&f, d] { return Digit(f, static_cast<char>('0' + d)); }});
  out.push_back({"gfx2/puntos.png", 45, 45, Colon});
  out.push_back({"gfx2/ready.png", 640, 480, [&f] { return Plate(f, "READY", Rgb(255, 200, 40)); }});
  out.push_back({"gfx2/start.png", 640, 480, [&f] { return Plate(f, "START", Rgb(60, 255, 120)); }});
  out.push_back({"gfx2/starts.png", 640, 480, PlateGlow});
}

}  // namespace ag
