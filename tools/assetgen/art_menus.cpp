// Title, menu buttons, help lines, banner and the You Win picture.
#include <cmath>
#include <numbers>
#include <string>

#include "art.h"
#include "neon.h"

namespace ag {

namespace {

constexpr float kPi = std::numbers::pi_v<float>;

const Colour kIdle = Rgb(235, 240, 255);
const Colour kRed = Rgb(255, 44, 60);
const Colour kGreen = Rgb(40, 255, 100);
const Colour kHelp = Rgb(190, 230, 255);
const Colour kPlayer1 = Rgb(60, 255, 110);
const Colour kPlayer2 = Rgb(255, 60, 210);
const Colour kKey = Rgb(255, 215, 60);

// ---- Title -------------------------------------------------------------------

// NEON over RALLY, every letter its own colour. The picture is drawn at
// (160, -20): its top 20 rows are off screen and its rows below 186 lie over
// the help lines, so the lettering and its halo stay in rows 22-184.
Canvas Title(const Fonts& f) {
  Canvas c(320, 240);
  const Colour palette[] = {Rgb(255, 50, 200), Rgb(40, 230, 255), Rgb(255, 220, 50), Rgb(60, 255, 120),
                            Rgb(255, 120, 30), Rgb(170, 90, 255), Rgb(255, 60, 90), Rgb(40, 160, 255),
                            Rgb(200, 255, 60)};
  struct Line {
    const char* text;
    Box box;
  };
  const Line lines[] = {{"NEON", Box{34, 32, 286, 96}}, {"RALLY", Box{18, 106, 302, 160}}};
  Canvas letters(320, 240);
  int colour = 0;
  for (const Line& line : lines) {
    const Layout l = FitText(f.sansBold(), line.text, line.box, 3.0f, 1.3f, 0.6f, 3.0f);
    const std::string s = line.text;
    for (size_t i = 0; i < s.size(); ++i) {
      Layout at = l;
      at.x = l.x + TextAdvance(l.style, s.substr(0, i));
      DrawTubeText(letters, at, s.substr(i, 1), TubeLetters{palette[colour++ % 9], 3.0f, 0.6f, 0.28f});
    }
  }
  // A rail under the lettering, blue to red like the playfield.
  NeonPath(letters, Path().to(30, 170).to(290, 170), 1.5f,
           [](float x, float) { return Mix(Rgb(40, 120, 255), Rgb(255, 40, 70), (x - 30) / 260); }, 0.5f);
  Halo(letters, 3.5f, 0.55f);
  Over(c, letters);
  Box all;
  AlphaBox(c, 0.5f / 255.0f, all);
  Require(all.y0 >= 20 && all.y1 <= 185, "the title reaches over the help lines");
  return c;
}

// ---- Help lines --------------------------------------------------------------

// One or two lines of help on a 640 x 64 picture. The menu draws them at
// x = 5 (x = 0 for the system line), so the text is centred on the screen,
// not the picture, and keeps clear of the right edge.
Canvas Help(const Fonts& f, const std::vector<std::vector<Run>>& lines, float centreX) {
  Canvas c(640, 64);
  const int n = static_cast<int>(lines.size());
  const float lineH = n == 1 ? 26.0f : 22.0f;
  // One size for every line: measured on the widest, letters 0.7 of a line.
  TextStyle st{&f.sansBold(), lineH, 1.0f, 0.0f};
  float widest = 0;
  std::vector<float> widths;
  for (const auto& line : lines) {
    std::string s;
    for (const Run& r : line) s += r.text;
    widths.push_back(TextAdvance(st, s));
    widest = std::max(widest, widths.back());
  }
  if (widest > 600.0f) {
    st.size *= 600.0f / widest;
    for (float& w : widths) w *= 600.0f / widest;
  }
  const float top = 32.0f - static_cast<float>(n) * lineH * 0.5f;
  for (int i = 0; i < n; ++i) {
    Layout l;
    l.style = st;
    l.x = std::round(centreX - widths[static_cast<size_t>(i)] * 0.5f);
    // Baseline so that capitals sit in the middle of their line.
    l.y = std::round(top + lineH * static_cast<float>(i) + lineH * 0.5f + st.size * 0.36f);
    DrawSolidRuns(c, l, lines[static_cast<size_t>(i)], 0.45f, 1.0f);
  }
  Halo(c, 2.0f, 0.4f);
  return c;
}

// ---- Buttons -----------------------------------------------------------------

// Neon outline: tube of radius `hw` along a rounded rectangle.
void Frame(Canvas& c, float x0, float y0, float x1, float y1, float r, float hw, Colour colour, float alpha) {
  NeonStroke(c, Box{0, 0, c.w - 1, c.h - 1},
             [=](float x, float y) { return std::fabs(RoundBoxSdf(x, y, x0, y0, x1, y1, r)); }, hw, Solid(colour),
             0.55f, alpha);
}

void Ring(Canvas& c, float cx, float cy, float r, Colour colour) {
  NeonStroke(c, Box{0, 0, c.w - 1, c.h - 1}, [=](float x, float y) { return std::fabs(std::hypot(x - cx, y - cy) - r); },
             1.6f, Solid(colour), 0.55f);
}

// The power symbol of Exit Game: an open ring with a bar through its gap.
void Power(Canvas& c, float cx, float cy, float r, Colour colour) {
  Path arc;
  arc.arc(cx, cy, r, -kPi / 2 + 0.75f, 1.5f * kPi - 0.75f, 40);
  NeonPath(c, arc, 1.6f, Solid(colour), 0.55f);
  NeonPath(c, Path().to(cx, cy - r - 3).to(cx, cy - 2), 1.6f, Solid(colour), 0.55f);
}

enum class Symbol { OneRing, TwoRings, Power };

// 160 x 80: symbol over the label inside a rounded frame. Idle buttons are
// white; highlighted ones take `colour` and a brighter glow.
Canvas Button(const Fonts& f, const char* label, Symbol sym, Colour colour, bool on) {
  Canvas c(160, 80);
  Frame(c, 4.5f, 4.5f, 155.5f, 75.5f, 12.0f, 1.4f, colour, on ? 1.0f : 0.7f);
  switch (sym) {
    case Symbol::OneRing: Ring(c, 80, 25, 11, colour); break;
    case Symbol::TwoRings:
      Ring(c, 68, 25, 11, colour);
      Ring(c, 92, 25, 11, colour);
      break;
    case Symbol::Power: Power(c, 80, 26, 10, colour); break;
  }
  const Layout l = FitText(f.sansBold(), label, Box{16, 44, 143, 66}, 1.5f, 1.2f, 0.6f, 1.0f);
  DrawTubeText(c, l, label, TubeLetters{colour, 1.5f, 0.5f, on ? 0.45f : 0.3f});
  Halo(c, on ? 3.0f : 2.0f, on ? 0.75f : 0.3f);
  return c;
}

// 80 x 80 square buttons of the match-length menu.
Canvas Square(const Fonts& f, const char* label, Colour colour, bool on) {
  Canvas c(80, 80);
  Frame(c, 4.5f, 4.5f, 75.5f, 75.5f, 12.0f, 1.4f, colour, on ? 1.0f : 0.7f);
  if (label) {
    const Layout l = FitText(f.sansBold(), label, Box{16, 18, 63, 61}, 2.2f, 1.0f, 0.6f, 0.0f);
    DrawTubeText(c, l, label, TubeLetters{colour, 2.2f, 0.55f, on ? 0.4f : 0.25f});
  } else {
    // Infinity: a lemniscate tube.
    Path p;
    p.closed = true;
    for (int i = 0; i < 96; ++i) {
      const float t = 2.0f * kPi * static_cast<float>(i) / 96.0f;
      const float d = 1.0f + std::sin(t) * std::sin(t);
      p.to(40 + 26 * std::cos(t) / d, 40 + 26 * std::sin(t) * std::cos(t) / d);
    }
    NeonPath(c, p, 2.2f, Solid(colour), 0.55f);
  }
  Halo(c, on ? 3.0f : 2.0f, on ? 0.75f : 0.3f);
  return c;
}

// 160 x 24 text buttons.
Canvas TextButton(const Fonts& f, const char* label, Colour colour, bool on) {
  Canvas c(160, 24);
  const Layout l = FitText(f.sansBold(), label, Box{6, 4, 153, 19}, 0.0f, 1.1f, 0.6f, 0.5f);
  DrawSolidText(c, l, label, Solid(colour), 0.5f, 1.0f);
  NeonPath(c, Path().to(12, 21.5f).to(148, 21.5f), 0.6f, Solid(colour), 0.3f, on ? 0.9f : 0.45f);
  Halo(c, on ? 2.0f : 1.5f, on ? 0.7f : 0.3f);
  return c;
}

Canvas YouWin(const Fonts& f) {
  Canvas c(160, 110);
  const Colour orange = Rgb(255, 140, 20);
  const TubeLetters style{orange, 2.4f, 0.6f, 0.35f};
  const Paint paint = VerticalGradient(Rgb(255, 200, 40), 6, Rgb(255, 90, 10), 104);
  DrawTubeText(c, FitText(f.sansBold(), "YOU", Box{24, 6, 135, 50}, 2.4f, 1.2f), "YOU", style, paint);
  DrawTubeText(c, FitText(f.sansBold(), "WIN!", Box{10, 58, 149, 103}, 2.4f, 1.2f), "WIN!", style, paint);
  Halo(c, 3.0f, 0.6f);
  return c;
}

// ---- Logo banner -------------------------------------------------------------

Canvas LogoBanner(const Fonts& f) {
  Canvas c(438, 45);
  const char* text = "PLIMO DREVAN OSKEL";
  const Layout l = FitText(f.sansBold(), text, Box{10, 6, 427, 38}, 1.8f, 1.4f, 0.6f, 2.0f);
  const char* words[] = {"PLIMO", " DREVAN", " OSKEL"};
  const Colour colours[] = {kPlimo, kDrevan, kOskel};
  std::string prefix;
  for (int i = 0; i < 3; ++i) {
    Layout at = l;
    at.x = l.x + TextAdvance(l.style, prefix);
    DrawTubeText(c, at, words[i], TubeLetters{colours[i], 1.8f, 0.55f, 0.3f});
    prefix += words[i];
  }
  Halo(c, 2.5f, 0.45f);
  return c;
}

}  // namespace

void AddMenuArt(std::vector<Picture>& out, const Fonts& f) {
  out.push_back({"gfx2/titulo.png", 320, 240, [&f] { return Title(f); }});
  out.push_back({"gfx/for1player.png", 640, 64, [&f] {
                   return Help(f, {{{"PLAYER 1", kPlayer1}, {"   ", kHelp}, {"\u2191 \u2193", kKey},
                                    {" cursor keys or ", kHelp}, {"joystick 1", kKey},
                                    {" move the paddle", kHelp}}},
                               315.0f);
                 }});
  out.push_back({"gfx/for2players.png", 640, 64, [&f] {
                   return Help(f,
                               {{{"PLAYER 1", kPlayer1}, {"   ", kHelp}, {"Q", kKey}, {" up  ", kHelp},
                                 {"A", kKey}, {" down  or ", kHelp}, {"joystick 1", kKey}},
                                {{"PLAYER 2", kPlayer2}, {"   ", kHelp}, {"\u2191", kKey}, {" up  ", kHelp},
                                 {"\u2193", kKey}, {" down  or ", kHelp}, {"joystick 2", kKey}}},
                               315.0f);
                 }});
  out.push_back({"gfx/forescape.png", 640, 64, [&f] {
                   return Help(f, {{{"ESC", kKey}, {" or ", kHelp}, {"joystick button 2", kKey},
                                    {" leaves the match", kHelp}}},
                               315.0f);
                 }});
  out.push_back({"gfx/forsystem.png", 640, 64, [&f] {
                   return Help(f, {{{"Exit Game: leave Neon Rally and go back to the system", kRed}}}, 320.0f);
                 }});
  out.push_back({"gfx/poneplayeroff.png", 160, 80, [&f] { return Button(f, "1 PLAYER", Symbol::OneRing, kIdle, false); }});
  out.push_back({"gfx/poneplayeron.png", 160, 80, [&f] { return Button(f, "1 PLAYER", Symbol::OneRing, kRed, true); }});
  out.push_back({"gfx/ptwoplayeroff.png", 160, 80, [&f] { return Button(f, "2 PLAYERS", Symbol::TwoRings, kIdle, false); }});
  out.push_back({"gfx/ptwoplayeron.png", 160, 80, [&f] { return Button(f, "2 PLAYERS", Symbol::TwoRings, kRed, true); }});
  out.push_back({"gfx/exitoff.png", 160, 80, [&f] { return Button(f, "EXIT GAME", Symbol::Power, kIdle, false); }});
  out.push_back({"gfx/exiton.png", 160, 80, [&f] { return Button(f, "EXIT GAME", Symbol::Power, kRed, true); }});
  out.push_back({"gfx2/plimodrevanoskel.png", 438, 45, [&f] { return LogoBanner(f); }});
  struct Sq {
    const char* off;
    const char* on;
    const char* label;
  };
  const Sq squares[] = {{"gfx/psieteoff.png", "gfx/psieteon.png", "7"},
                        {"gfx/pquinceoff.png", "gfx/pquinceon.png", "15"},
                        {"gfx/pveintiunooff.png", "gfx/pveintiunoon.png", "21"},
                        {"gfx/pinfinitooff.png", "gfx/pinfinitoon.png", nullptr}};
  for (const Sq& s : squares) {
    const char* label = s.label;
    out.push_back({s.off, 80, 80, [&f, label] { return Square(f, label, kIdle, false); }});
    out.push_back({s.on, 80, 80, [&f, label] { return Square(f, label, kGreen, true); }});
  }
  out.push_back({"gfx/back.png", 160, 24, [&f] { return TextButton(f, "BACK TO MENU", kIdle, false); }});
  out.push_back({"gfx/backon.png", 160, 24, [&f] { return TextButton(f, "BACK TO MENU", kRed, true); }});
  out.push_back({"gfx/continueoff.png", 160, 24, [&f] { return TextButton(f, "CONTINUE GAME", kIdle, false); }});
  out.push_back({"gfx/continue.png", 160, 24, [&f] { return TextButton(f, "CONTINUE GAME", kRed, true); }});
  out.push_back({"gfx2/youwinr.png", 160, 110, [&f] { return YouWin(f); }});
}

}  // namespace ag
