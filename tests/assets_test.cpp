// The embedded pictures and sounds: their formats, grids and lengths, and the
// places where their visible pixels lie, which the game's layout and its
// collisions depend on. Everything is read from the bytes the executable
// carries, through the game's own loaders.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "platform/embed.h"
#include "platform/image.h"
#include "platform/platform.h"
#include "platform/sound.h"

namespace {

// ---- Helpers -------------------------------------------------------------------

uint32_t Be32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}
uint32_t Le32(const unsigned char* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

const nr::EmbeddedFile& File(const char* name) {
  const nr::EmbeddedFile* f = nr::FindEmbedded(name);
  if (!f) {
    ADD_FAILURE() << name << " is not embedded";
    static const nr::EmbeddedFile none{"", nullptr, 0};
    return none;
  }
  return *f;
}

struct Box {
  int x0 = 1 << 20, y0 = 1 << 20, x1 = -1, y1 = -1;
  bool empty() const { return x1 < 0; }
  int width() const { return x1 - x0 + 1; }
  int height() const { return y1 - y0 + 1; }
};

int Alpha(const TImage& img, int frame, int x, int y) { return img->texel(frame, x, y)[3]; }

// Smallest rectangle holding every texel of the cell with alpha >= minAlpha.
Box Extent(const TImage& img, int frame, int minAlpha) {
  Box b;
  for (int y = 0; y < img->cellHeight; ++y)
    for (int x = 0; x < img->cellWidth; ++x)
      if (Alpha(img, frame, x, y) >= minAlpha) {
        b.x0 = std::min(b.x0, x);
        b.y0 = std::min(b.y0, y);
        b.x1 = std::max(b.x1, x);
        b.y1 = std::max(b.y1, y);
      }
  return b;
}

struct Rgb {
  double r = 0, g = 0, b = 0;
};

// Mean colour of the texels of a region with alpha >= minAlpha.
Rgb MeanColour(const TImage& img, int frame, int minAlpha, int x0 = 0, int y0 = 0, int x1 = -1, int y1 = -1) {
  if (x1 < 0) x1 = img->cellWidth - 1;
  if (y1 < 0) y1 = img->cellHeight - 1;
  Rgb sum;
  double n = 0;
  for (int y = y0; y <= y1; ++y)
    for (int x = x0; x <= x1; ++x) {
      const uint8_t* t = img->texel(frame, x, y);
      if (t[3] < minAlpha) continue;
      sum.r += t[0];
      sum.g += t[1];
      sum.b += t[2];
      n += 1;
    }
  if (n > 0) sum = {sum.r / n, sum.g / n, sum.b / n};
  return sum;
}

TImage Strip(const char* name, int cw, int ch, int count) { return LoadAnimImage(name, cw, ch, 0, count, -1); }

// ---- The catalogue ---------------------------------------------------------------

struct PictureRow {
  const char* name;
  int width, height;  // whole picture
  int cellW, cellH, cells;
  int colourType;  // 6 RGBA, 2 RGB
};

const PictureRow kPictures[] = {
    {"gfx2/titulo.png", 320, 240, 320, 240, 1, 6},
    {"gfx/for1player.png", 640, 64, 640, 64, 1, 6},
    {"gfx/for2players.png", 640, 64, 640, 64, 1, 6},
    {"gfx/forescape.png", 640, 64, 640, 64, 1, 6},
    {"gfx/forsystem.png", 640, 64, 640, 64, 1, 6},
    {"gfx/poneplayeroff.png", 160, 80, 160, 80, 1, 6},
    {"gfx/poneplayeron.png", 160, 80, 160, 80, 1, 6},
    {"gfx/ptwoplayeroff.png", 160, 80, 160, 80, 1, 6},
    {"gfx/ptwoplayeron.png", 160, 80, 160, 80, 1, 6},
    {"gfx/exitoff.png", 160, 80, 160, 80, 1, 6},
    {"gfx/exiton.png", 160, 80, 160, 80, 1, 6},
    {"gfx2/plimodrevanoskel.png", 438, 45, 438, 45, 1, 6},
    {"gfx/psieteoff.png", 80, 80, 80, 80, 1, 6},
    {"gfx/psieteon.png", 80, 80, 80, 80, 1, 6},
    {"gfx/pquinceoff.png", 80, 80, 80, 80, 1, 6},
    {"gfx/pquinceon.png", 80, 80, 80, 80, 1, 6},
    {"gfx/pveintiunooff.png", 80, 80, 80, 80, 1, 6},
    {"gfx/pveintiunoon.png", 80, 80, 80, 80, 1, 6},
    {"gfx/pinfinitooff.png", 80, 80, 80, 80, 1, 6},
    {"gfx/pinfinitoon.png", 80, 80, 80, 80, 1, 6},
    {"gfx/back.png", 160, 24, 160, 24, 1, 6},
    {"gfx/backon.png", 160, 24, 160, 24, 1, 6},
    {"gfx/continueoff.png", 160, 24, 160, 24, 1, 6},
    {"gfx/continue.png", 160, 24, 160, 24, 1, 6},
    {"gfx2/youwinr.png", 160, 110, 160, 110, 1, 6},
    {"gfx2/campo.png", 640, 480, 640, 480, 1, 6},
    {"gfx2/glowcampo.png", 640, 480, 640, 480, 1, 6},
    {"gfx2/ledplayer1.png", 349, 86, 349, 86, 1, 6},
    {"gfx2/ledplayer2.png", 349, 86, 349, 86, 1, 6},
    {"gfx2/ledcomputer.png", 349, 86, 349, 86, 1, 6},
    {"gfx2/velmarino.png", 438, 45, 438, 45, 1, 6},
    {"gfx2/raqueta1.png", 36, 64, 36, 64, 1, 6},
    {"gfx2/graqueta1.png", 36, 64, 36, 64, 1, 6},
    {"gfx2/raqueta2.png", 36, 64, 36, 64, 1, 6},
    {"gfx2/graqueta2.png", 36, 64, 36, 64, 1, 6},
    {"gfx2/superpelota.png", 250, 25, 25, 25, 10, 6},
    {"gfx2/gsuperpelota.png", 250, 25, 25, 25, 10, 6},
    {"gfx2/cero.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/uno.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/dos.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/tres.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/cuatro.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/cinco.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/seis.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/siete.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/ocho.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/nueve.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/puntos.png", 45, 45, 45, 45, 1, 6},
    {"gfx2/ready.png", 640, 480, 640, 480, 1, 6},
    {"gfx2/start.png", 640, 480, 640, 480, 1, 6},
    {"gfx2/starts.png", 640, 480, 640, 480, 1, 6},
    {"gfx/star1.png", 19, 19, 19, 19, 1, 2},
    {"gfx2/ondamorada.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/ondaazul.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/ondaroja.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/ondaverde.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/gondamorada.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/gondaazul.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/gondaroja.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/gondaverde.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/linea.png", 500, 500, 100, 100, 25, 6},
    {"gfx2/energiaesfera2.png", 35, 35, 35, 35, 1, 6},
    {"gfx2/plimo.png", 640, 480, 640, 480, 1, 6},
    {"gfx2/drevan.png", 640, 480, 640, 480, 1, 6},
    {"gfx2/oskel.png", 640, 480, 640, 480, 1, 6},
};

// The file itself: an 8-bit, non-interlaced PNG of the row's size and colour
// type whose only chunks are IHDR, IDAT and IEND (no time stamp or other
// metadata that would make regeneration differ); then the game's loader
// cuts it into the row's grid.
TEST(AssetsCatalogue, EveryPictureHasItsSizeFormatAndGrid) {
  for (const PictureRow& row : kPictures) {
    SCOPED_TRACE(row.name);
    const nr::EmbeddedFile& f = File(row.name);
    ASSERT_GE(f.size, 33u);
    ASSERT_EQ(std::memcmp(f.data, "\x89PNG\r\n\x1a\n", 8), 0);
    const unsigned char* ihdr = f.data + 8;
    ASSERT_EQ(std::memcmp(ihdr + 4, "IHDR", 4), 0);
    EXPECT_EQ(Be32(ihdr + 8), static_cast<uint32_t>(row.width));
    EXPECT_EQ(Be32(ihdr + 12), static_cast<uint32_t>(row.height));
    EXPECT_EQ(ihdr[16], 8) << "bit depth";
    EXPECT_EQ(ihdr[17], row.colourType) << "colour type";
    EXPECT_EQ(ihdr[20], 0) << "interlace";
    std::vector<std::string> chunks;
    for (size_t at = 8; at + 12 <= f.size;) {
      const uint32_t len = Be32(f.data + at);
      chunks.emplace_back(reinterpret_cast<const char*>(f.data + at + 4), 4);
      at += 12 + len;
    }
    for (const std::string& c : chunks) EXPECT_TRUE(c == "IHDR" || c == "IDAT" || c == "IEND") << c;
    ASSERT_FALSE(chunks.empty());
    EXPECT_EQ(chunks.back(), "IEND");

    const TImage img = row.cells == 1 ? LoadImage(row.name, -1) : Strip(row.name, row.cellW, row.cellH, row.cells);
    ASSERT_TRUE(img);
    EXPECT_EQ(img->pixels->width, row.width);
    EXPECT_EQ(img->pixels->height, row.height);
    EXPECT_EQ(img->pixels->hadAlpha, row.colourType == 6);
    EXPECT_EQ(ImageWidth(img), row.cellW);
    EXPECT_EQ(ImageHeight(img), row.cellH);
    EXPECT_EQ(img->cellCount, row.cells);
  }
}

// Transparent texels are 0,0,0,0 (they compress to nothing) except those
// beside visible strokes, which carry the strokes' colour so that bilinear
// filtering draws no dark fringe.
TEST(AssetsCatalogue, TransparentGroundIsEmptyBeyondAColourBleed) {
  for (const PictureRow& row : kPictures) {
    if (row.colourType != 6) continue;
    SCOPED_TRACE(row.name);
    const TImage img = LoadImage(row.name, -1);
    const PixelBuffer& px = *img->pixels;
    auto visible = [&](int x, int y) { return x >= 0 && y >= 0 && x < px.width && y < px.height && px.at(x, y)[3] > 0; };
    int misplaced = 0, fringe = 0;
    for (int y = 0; y < px.height; ++y)
      for (int x = 0; x < px.width; ++x) {
        const uint8_t* t = px.at(x, y);
        if (t[3] != 0) continue;
        bool near1 = false, near2 = false, colouredNeighbour = false;
        for (int dy = -2; dy <= 2; ++dy)
          for (int dx = -2; dx <= 2; ++dx) {
            if (!visible(x + dx, y + dy)) continue;
            near2 = true;
            if (std::abs(dx) <= 1 && std::abs(dy) <= 1) {
              near1 = true;
              const uint8_t* n = px.at(x + dx, y + dy);
              if (n[0] | n[1] | n[2]) colouredNeighbour = true;
            }
          }
        if (!near2 && (t[0] | t[1] | t[2])) ++misplaced;
        if (near1 && colouredNeighbour && !(t[0] | t[1] | t[2])) ++fringe;
      }
    EXPECT_EQ(misplaced, 0) << "coloured transparent texels far from any stroke";
    EXPECT_EQ(fringe, 0) << "black transparent texels beside coloured strokes";
  }
}

// ---- Paddles ---------------------------------------------------------------------

struct PaddleRow {
  const char* name;
  const char* glow;
  int x0, x1, y0, y1;  // alpha >= 128
  bool left;
};

const PaddleRow kPaddles[] = {{"gfx2/raqueta1.png", "gfx2/graqueta1.png", 6, 28, 3, 61, true},
                              {"gfx2/raqueta2.png", "gfx2/graqueta2.png", 7, 30, 3, 61, false}};

TEST(AssetsPaddles, SolidStrokesSpanExactlyTheirColumnsAndRows) {
  for (const PaddleRow& p : kPaddles) {
    SCOPED_TRACE(p.name);
    const Box b = Extent(LoadImage(p.name, -1), 0, 128);
    EXPECT_EQ(b.x0, p.x0);
    EXPECT_EQ(b.x1, p.x1);
    EXPECT_EQ(b.y0, p.y0);
    EXPECT_EQ(b.y1, p.y1);
  }
}

// Outlines, hollow inside: across the paddle's height every row crosses at
// least three separate strokes (both sides of the rectangle and the bracket),
// with transparent gaps between them.
TEST(AssetsPaddles, AreHollowOutlines) {
  for (const PaddleRow& p : kPaddles) {
    SCOPED_TRACE(p.name);
    const TImage img = LoadImage(p.name, -1);
    for (int y = 12; y <= 52; y += 4) {
      int runs = 0;
      bool in = false;
      for (int x = 0; x < 36; ++x) {
        const bool solid = Alpha(img, 0, x, y) >= 128;
        if (solid && !in) ++runs;
        in = solid;
      }
      EXPECT_GE(runs, 3) << "row " << y;
    }
  }
}

// The outer stroke is the rectangle (orange on the left paddle, orange-yellow
// on the right), the field-side stroke the bracket (green, violet).
TEST(AssetsPaddles, RectangleOutsideAndBracketTowardsTheField) {
  for (const PaddleRow& p : kPaddles) {
    SCOPED_TRACE(p.name);
    const TImage img = LoadImage(p.name, -1);
    const int outerX = p.left ? p.x0 : p.x1, fieldX = p.left ? p.x1 : p.x0;
    const Rgb outer = MeanColour(img, 0, 128, outerX, 12, outerX, 52);
    const Rgb field = MeanColour(img, 0, 128, fieldX, 12, fieldX, 52);
    EXPECT_GT(outer.r, 200);
    EXPECT_LT(outer.b, 110);
    EXPECT_GT(outer.r, outer.g);
    if (p.left) {
      EXPECT_LT(outer.g, 190) << "orange";
      EXPECT_GT(field.g, field.r + 60) << "green";
      EXPECT_GT(field.g, field.b + 60) << "green";
    } else {
      EXPECT_GT(outer.g, 160) << "orange-yellow";
      EXPECT_GT(field.b, field.g + 60) << "violet";
      EXPECT_GT(field.r, field.g) << "violet";
    }
  }
}

// The glow is a soft version of the outline: visible around every solid
// stroke, never opaque, and empty in the middle of the rectangle.
TEST(AssetsPaddles, GlowIsASoftBlurOfTheOutline) {
  for (const PaddleRow& p : kPaddles) {
    SCOPED_TRACE(p.glow);
    const TImage paddle = LoadImage(p.name, -1);
    const TImage glow = LoadImage(p.glow, -1);
    int maxAlpha = 0;
    for (int y = 0; y < 64; ++y)
      for (int x = 0; x < 36; ++x) {
        maxAlpha = std::max(maxAlpha, Alpha(glow, 0, x, y));
        if (Alpha(paddle, 0, x, y) >= 128) { EXPECT_GT(Alpha(glow, 0, x, y), 0) << x << "," << y; }
      }
    EXPECT_LT(maxAlpha, 255);
    const Box g = Extent(glow, 0, 1);
    EXPECT_LT(g.x0, p.x0);
    EXPECT_GT(g.x1, p.x1);
  }
}

// ---- Ball ------------------------------------------------------------------------

constexpr double kBallCx = 12.5, kBallCy = 10.5;

double BallDistance(int x, int y) { return std::hypot(x + 0.5 - kBallCx, y + 0.5 - kBallCy); }

// Frame 0 decides every collision: its solid pixels are a disc spanning
// columns 3-21 and rows 1-19, every texel inside radius 9 solid and none
// beyond radius 10.
TEST(AssetsBall, FrameZeroSolidPixelsAreTheDisc) {
  const TImage ball = Strip("gfx2/superpelota.png", 25, 25, 10);
  const Box b = Extent(ball, 0, 128);
  EXPECT_EQ(b.x0, 3);
  EXPECT_EQ(b.x1, 21);
  EXPECT_EQ(b.y0, 1);
  EXPECT_EQ(b.y1, 19);
  for (int y = 0; y < 25; ++y)
    for (int x = 0; x < 25; ++x) {
      const double d = BallDistance(x, y);
      if (d <= 9.0) { EXPECT_GE(Alpha(ball, 0, x, y), 128) << x << "," << y; }
      if (d >= 10.0) { EXPECT_LT(Alpha(ball, 0, x, y), 128) << x << "," << y; }
    }
}

// A red sphere in a green-yellow cage: red at the centre, the rim green-yellow;
// the cage turns, so every shown frame differs from its neighbour while the
// ball keeps its size.
TEST(AssetsBall, RedSphereInsideATurningCage) {
  const TImage ball = Strip("gfx2/superpelota.png", 25, 25, 10);
  for (int f = 0; f < 10; ++f) {
    SCOPED_TRACE(f);
    // The cage passes in front of the sphere, but most of its middle is red.
    int red = 0, middle = 0;
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x) {
        if (BallDistance(x, y) > 4.0) continue;
        const uint8_t* t = ball->texel(f, x, y);
        ++middle;
        red += t[0] > 150 && t[0] > t[1] + 80 && t[0] > t[2] + 80;
      }
    EXPECT_GT(2 * red, middle);
    const Rgb rim = MeanColour(ball, f, 128, 3, 9, 3, 11);
    EXPECT_GT(rim.g, 180);
    EXPECT_GT(rim.r, rim.b + 80);
    EXPECT_GT(rim.g, rim.b + 80);
    const Box b = Extent(ball, f, 128);
    EXPECT_EQ(b.width(), 19);
    EXPECT_EQ(b.height(), 19);
  }
  for (int f = 0; f < 8; ++f) {
    const int next = (f + 1) % 8;
    int changed = 0;
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x) {
        const uint8_t* a = ball->texel(f, x, y);
        const uint8_t* b = ball->texel(next, x, y);
        if (std::abs(a[1] - b[1]) > 40) ++changed;
      }
    EXPECT_GT(changed, 5) << "frames " << f << " and " << next << " look alike";
  }
}

// The glow strip has the ball's grid and lies on the same ball in each frame.
TEST(AssetsBall, GlowStripMatchesTheBall) {
  const TImage ball = Strip("gfx2/superpelota.png", 25, 25, 10);
  const TImage glow = Strip("gfx2/gsuperpelota.png", 25, 25, 10);
  for (int f = 0; f < 10; ++f) {
    SCOPED_TRACE(f);
    double sx = 0, sy = 0, sa = 0;
    int maxAlpha = 0;
    for (int y = 0; y < 25; ++y)
      for (int x = 0; x < 25; ++x) {
        const int a = Alpha(glow, f, x, y);
        sx += a * (x + 0.5);
        sy += a * (y + 0.5);
        sa += a;
        maxAlpha = std::max(maxAlpha, a);
        if (Alpha(ball, f, x, y) >= 128) { EXPECT_GT(a, 0) << x << "," << y; }
      }
    ASSERT_GT(sa, 0);
    EXPECT_NEAR(sx / sa, kBallCx, 1.0);
    EXPECT_NEAR(sy / sa, kBallCy, 1.0);
    EXPECT_LT(maxAlpha, 255);
  }
}

// ---- Playfield -------------------------------------------------------------------

TEST(AssetsPlayfield, BandsAndCentreLineWhereTheBallBounces) {
  const TImage f = LoadImage("gfx2/campo.png", -1);
  for (int x = 26; x <= 614; ++x) {
    for (int y = 33; y <= 40; ++y) ASSERT_GE(Alpha(f, 0, x, y), 128) << "top band " << x << "," << y;
    for (int y = 437; y <= 445; ++y) ASSERT_GE(Alpha(f, 0, x, y), 128) << "bottom band " << x << "," << y;
  }
  for (int x = 30; x <= 610; ++x) {
    EXPECT_LT(Alpha(f, 0, x, 32), 128) << x;
    EXPECT_LT(Alpha(f, 0, x, 446), 128) << x;
    if (x < 316 || x > 323) {
      EXPECT_LT(Alpha(f, 0, x, 41), 128) << x;
      EXPECT_LT(Alpha(f, 0, x, 436), 128) << x;
    }
  }
  for (int y = 41; y <= 436; ++y) {
    for (int x = 316; x <= 323; ++x) ASSERT_GE(Alpha(f, 0, x, y), 128) << "centre line " << x << "," << y;
    EXPECT_LT(Alpha(f, 0, 315, y), 128) << y;
    EXPECT_LT(Alpha(f, 0, 324, y), 128) << y;
  }
}

// Nothing else is drawn: the field between the bands, above and below them
// is transparent away from the centre line.
TEST(AssetsPlayfield, EverythingElseIsTransparent) {
  const TImage f = LoadImage("gfx2/campo.png", -1);
  for (int y = 0; y < 480; ++y)
    for (int x = 30; x <= 610; ++x) {
      const bool band = (y >= 30 && y <= 43) || (y >= 434 && y <= 448);
      const bool line = x >= 313 && x <= 326;
      if (!band && !line) { ASSERT_EQ(Alpha(f, 0, x, y), 0) << x << "," << y; }
    }
}

// The band ends curve to the screen edges: the top band reaches the top row
// at both ends, the bottom band the bottom row.
TEST(AssetsPlayfield, BandEndsCurveToTheScreenEdges) {
  const TImage f = LoadImage("gfx2/campo.png", -1);
  auto solidIn = [&](int y, int x0, int x1) {
    for (int x = x0; x <= x1; ++x)
      if (Alpha(f, 0, x, y) >= 128) return true;
    return false;
  };
  EXPECT_TRUE(solidIn(0, 0, 25));
  EXPECT_TRUE(solidIn(0, 615, 639));
  EXPECT_TRUE(solidIn(479, 0, 25));
  EXPECT_TRUE(solidIn(479, 615, 639));
}

// Blue along the top, red along the bottom, the centre line shading from
// blue-violet at the top to red at the bottom.
TEST(AssetsPlayfield, Colours) {
  const TImage f = LoadImage("gfx2/campo.png", -1);
  const Rgb top = MeanColour(f, 0, 128, 60, 33, 580, 33);
  EXPECT_GT(top.b, top.r + 80);
  EXPECT_GT(top.b, top.g);
  const Rgb bottom = MeanColour(f, 0, 128, 60, 445, 580, 445);
  EXPECT_GT(bottom.r, bottom.g + 80);
  EXPECT_GT(bottom.r, bottom.b + 80);
  const Rgb lineTop = MeanColour(f, 0, 128, 316, 45, 316, 60);
  EXPECT_GT(lineTop.b, lineTop.g + 80);
  EXPECT_GE(lineTop.b, lineTop.r);
  const Rgb lineBottom = MeanColour(f, 0, 128, 316, 420, 316, 435);
  EXPECT_GT(lineBottom.r, lineBottom.b + 80);
}

// The glow follows the lines in their colours, soft and never opaque.
TEST(AssetsPlayfield, GlowFollowsTheLines) {
  const TImage g = LoadImage("gfx2/glowcampo.png", -1);
  int maxAlpha = 0;
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) maxAlpha = std::max(maxAlpha, Alpha(g, 0, x, y));
  EXPECT_LT(maxAlpha, 255);
  EXPECT_GT(Alpha(g, 0, 200, 30), 0) << "above the top band";
  EXPECT_GT(Alpha(g, 0, 200, 448), 0) << "below the bottom band";
  EXPECT_GT(Alpha(g, 0, 312, 240), 0) << "beside the centre line";
  EXPECT_EQ(Alpha(g, 0, 160, 240), 0) << "open field";
  const Rgb top = MeanColour(g, 0, 1, 100, 25, 540, 31);
  EXPECT_GT(top.b, top.r);
  const Rgb bottom = MeanColour(g, 0, 1, 100, 447, 540, 453);
  EXPECT_GT(bottom.r, bottom.b);
}

// ---- Logo layers -----------------------------------------------------------------

struct WordRow {
  const char* name;
  int x0, x1, y0, y1;
};

const WordRow kWords[] = {{"gfx2/plimo.png", 55, 270, 171, 246},
                          {"gfx2/drevan.png", 258, 582, 170, 246},
                          {"gfx2/oskel.png", 427, 581, 237, 284}};

// Every visible pixel of a word lies in its place on the layer, and the word
// fills most of that place.
TEST(AssetsLogo, EachWordLiesInItsPlace) {
  for (const WordRow& w : kWords) {
    SCOPED_TRACE(w.name);
    const TImage img = LoadImage(w.name, -1);
    const Box all = Extent(img, 0, 1);
    ASSERT_FALSE(all.empty());
    EXPECT_GE(all.x0, w.x0);
    EXPECT_LE(all.x1, w.x1);
    EXPECT_GE(all.y0, w.y0);
    EXPECT_LE(all.y1, w.y1);
    const Box solid = Extent(img, 0, 128);
    EXPECT_GE(solid.width(), (w.x1 - w.x0 + 1) * 8 / 10);
    EXPECT_GE(solid.height(), (w.y1 - w.y0 + 1) * 6 / 10);
  }
}

// Cyan, violet and teal words.
TEST(AssetsLogo, WordColours) {
  const Rgb plimo = MeanColour(LoadImage("gfx2/plimo.png", -1), 0, 128);
  EXPECT_GT(plimo.g, plimo.r + 100);
  EXPECT_GT(plimo.b, plimo.r + 100);
  const Rgb drevan = MeanColour(LoadImage("gfx2/drevan.png", -1), 0, 128);
  EXPECT_GT(drevan.b, drevan.g + 80);
  EXPECT_GT(drevan.r, drevan.g + 30);
  const Rgb oskel = MeanColour(LoadImage("gfx2/oskel.png", -1), 0, 128);
  EXPECT_GT(oskel.g, oskel.r + 100);
  EXPECT_GT(oskel.g, oskel.b);
  EXPECT_GT(oskel.b, oskel.r + 60);
}

// The banner shows the same three words in the same colours, left to right.
TEST(AssetsLogo, BannerCarriesTheWordsInOrder) {
  const TImage b = LoadImage("gfx2/plimodrevanoskel.png", -1);
  const Box ink = Extent(b, 0, 128);
  ASSERT_FALSE(ink.empty());
  const int third = ink.width() / 3;
  const Rgb left = MeanColour(b, 0, 128, ink.x0, 0, ink.x0 + third / 2, 44);
  const Rgb middle = MeanColour(b, 0, 128, ink.x0 + third + third / 4, 0, ink.x0 + 2 * third - third / 4, 44);
  const Rgb right = MeanColour(b, 0, 128, ink.x1 - third / 2, 0, ink.x1, 44);
  EXPECT_GT(left.b, left.r + 100) << "PLIMO cyan";
  EXPECT_GT(middle.r, middle.g + 30) << "DREVAN violet";
  EXPECT_GT(right.g, right.r + 100) << "OSKEL teal";
}

// ---- Waves -----------------------------------------------------------------------

const char* const kWaveStrips[] = {"gfx2/ondamorada.png", "gfx2/ondaazul.png",   "gfx2/ondaroja.png",
                                   "gfx2/ondaverde.png",  "gfx2/gondamorada.png", "gfx2/gondaazul.png",
                                   "gfx2/gondaroja.png",  "gfx2/gondaverde.png",  "gfx2/linea.png"};

// Ring radius in a cell, measured along the four rays from the centre as
// the alpha-weighted mean distance; `spread` is the largest difference
// between the rays, which stays small for a ring centred in the cell.
struct Ring {
  double radius = 0, spread = 0;
  int maxAlpha = 0;
};

Ring MeasureRing(const TImage& img, int frame) {
  Ring r;
  double rays[4] = {0, 0, 0, 0};
  for (int ray = 0; ray < 4; ++ray) {
    double sd = 0, sa = 0;
    for (int i = 0; i < 50; ++i) {
      // Texels (50 + i, 50), (49 - i, 50), (50, 50 + i), (50, 49 - i); their
      // centres lie i + 0.5 from the cell centre (50, 50).
      const int x = ray == 0 ? 50 + i : ray == 1 ? 49 - i : 50;
      const int y = ray == 2 ? 50 + i : ray == 3 ? 49 - i : 50;
      const int a = Alpha(img, frame, x, y);
      sd += a * (i + 0.5);
      sa += a;
    }
    rays[ray] = sa > 0 ? sd / sa : -100;
  }
  r.radius = (rays[0] + rays[1] + rays[2] + rays[3]) / 4;
  r.spread = *std::max_element(rays, rays + 4) - *std::min_element(rays, rays + 4);
  for (int y = 0; y < 100; ++y)
    for (int x = 0; x < 100; ++x) r.maxAlpha = std::max(r.maxAlpha, Alpha(img, frame, x, y));
  return r;
}

// A ring centred in its cell that grows from about 2 pixels of radius in
// frame 0 by about 2 pixels a frame to about 44 in frame 23.
TEST(AssetsWaves, RingsGrowFromTheCentreOfTheirCells) {
  for (const char* name : kWaveStrips) {
    SCOPED_TRACE(name);
    const TImage img = Strip(name, 100, 100, 25);
    const bool shine = std::string(name) == "gfx2/linea.png";
    const int last = shine ? 19 : 23;
    double prev = 0;
    for (int k = 0; k <= last; ++k) {
      SCOPED_TRACE(k);
      const Ring r = MeasureRing(img, k);
      ASSERT_GT(r.maxAlpha, 0);
      EXPECT_LE(r.spread, 1.0) << "ring off centre";
      if (k > 0) {
        EXPECT_GE(r.radius - prev, 1.25);
        EXPECT_LE(r.radius - prev, 2.75);
      }
      prev = r.radius;
      if (k == 0) { EXPECT_NEAR(r.radius, 2.0, 2.0); }
      if (k == 23) { EXPECT_NEAR(r.radius, 44.0, 2.0); }
    }
  }
}

// The same steps in every strip: the glow and shine rings lie on the coloured
// ring of the same frame.
TEST(AssetsWaves, LayersShareTheirSteps) {
  const TImage ring = Strip("gfx2/ondaazul.png", 100, 100, 25);
  for (const char* name : kWaveStrips) {
    SCOPED_TRACE(name);
    const TImage img = Strip(name, 100, 100, 25);
    for (int k = 4; k <= 19; ++k) EXPECT_NEAR(MeasureRing(img, k).radius, MeasureRing(ring, k).radius, 2.0) << k;
  }
}

// The coloured and glow rings fade over frames 21-23; the shine ends after
// frame 19; frame 24 of every strip is empty.
TEST(AssetsWaves, FadeOutAndEndEmpty) {
  for (const char* name : kWaveStrips) {
    SCOPED_TRACE(name);
    const TImage img = Strip(name, 100, 100, 25);
    const bool shine = std::string(name) == "gfx2/linea.png";
    EXPECT_TRUE(Extent(img, 24, 1).empty()) << "frame 24";
    if (shine) {
      for (int k = 20; k <= 24; ++k) EXPECT_TRUE(Extent(img, k, 1).empty()) << k;
      continue;
    }
    const int full = MeasureRing(img, 20).maxAlpha;
    for (int k = 0; k < 20; ++k) EXPECT_GE(MeasureRing(img, k).maxAlpha, full) << k;
    int prev = full;
    for (int k = 21; k <= 23; ++k) {
      const int a = MeasureRing(img, k).maxAlpha;
      EXPECT_LT(a, prev) << k;
      EXPECT_GT(a, 0) << k;
      prev = a;
    }
  }
}

// Purple, blue, red and green strips; the glows soft; the shine a faint grey.
TEST(AssetsWaves, Colours) {
  struct Hue {
    const char* name;
    char dominant;  // 'p' purple, 'b' blue, 'r' red, 'g' green, 'w' grey
    bool soft;
  };
  const Hue hues[] = {{"gfx2/ondamorada.png", 'p', false}, {"gfx2/ondaazul.png", 'b', false},
                      {"gfx2/ondaroja.png", 'r', false},   {"gfx2/ondaverde.png", 'g', false},
                      {"gfx2/gondamorada.png", 'p', true}, {"gfx2/gondaazul.png", 'b', true},
                      {"gfx2/gondaroja.png", 'r', true},   {"gfx2/gondaverde.png", 'g', true},
                      {"gfx2/linea.png", 'w', true}};
  for (const Hue& h : hues) {
    SCOPED_TRACE(h.name);
    const TImage img = Strip(h.name, 100, 100, 25);
    const Rgb c = MeanColour(img, 10, 1);
    switch (h.dominant) {
      case 'p': EXPECT_GT(c.b, c.g + 80); EXPECT_GT(c.r, c.g + 60); break;
      case 'b': EXPECT_GT(c.b, c.r + 80); EXPECT_GT(c.b, c.g + 40); break;
      case 'r': EXPECT_GT(c.r, c.g + 80); EXPECT_GT(c.r, c.b + 80); break;
      case 'g': EXPECT_GT(c.g, c.r + 80); EXPECT_GT(c.g, c.b + 80); break;
      case 'w':
        EXPECT_NEAR(c.r, c.g, 10);
        EXPECT_NEAR(c.g, c.b, 10);
        break;
    }
    if (h.soft) { EXPECT_LT(MeasureRing(img, 10).maxAlpha, 200); }
  }
}

// ---- Ready / Start ---------------------------------------------------------------

// Full-screen pictures whose plate is centred on (320, 240), so that the
// overlay squashes evenly about the screen's middle row.
TEST(AssetsReadyStart, PlatesAreCentredOnTheScreen) {
  for (const char* name : {"gfx2/ready.png", "gfx2/start.png", "gfx2/starts.png"}) {
    SCOPED_TRACE(name);
    const TImage img = LoadImage(name, -1);
    const Box b = Extent(img, 0, 1);
    ASSERT_FALSE(b.empty());
    EXPECT_NEAR(b.x0 + b.x1, 639, 1);
    EXPECT_NEAR(b.y0 + b.y1, 479, 1);
    EXPECT_LT(b.width(), 480);
    EXPECT_LT(b.height(), 240);
  }
  for (const char* name : {"gfx2/ready.png", "gfx2/start.png"}) {
    SCOPED_TRACE(name);
    const Box solid = Extent(LoadImage(name, -1), 0, 128);
    EXPECT_NEAR(solid.x0 + solid.x1, 639, 1);
    EXPECT_NEAR(solid.y0 + solid.y1, 479, 1);
    EXPECT_GE(Alpha(LoadImage(name, -1), 0, 320, 200), 128) << "the plate is filled";
  }
}

// The two plates are the same plate bearing different words: identical at
// their border, different in the middle.
TEST(AssetsReadyStart, SamePlateDifferentWords) {
  const TImage ready = LoadImage("gfx2/ready.png", -1);
  const TImage start = LoadImage("gfx2/start.png", -1);
  for (int x = 150; x < 490; ++x) {
    EXPECT_EQ(std::memcmp(ready->texel(0, x, 184), start->texel(0, x, 184), 4), 0) << x;
    EXPECT_EQ(std::memcmp(ready->texel(0, x, 296), start->texel(0, x, 296), 4), 0) << x;
  }
  int differ = 0;
  for (int y = 210; y < 270; ++y)
    for (int x = 200; x < 440; ++x)
      if (std::memcmp(ready->texel(0, x, y), start->texel(0, x, y), 3) != 0) {
        const uint8_t* a = ready->texel(0, x, y);
        const uint8_t* b = start->texel(0, x, y);
        differ += std::abs(a[0] - b[0]) + std::abs(a[1] - b[1]) + std::abs(a[2] - b[2]) > 96;
      }
  EXPECT_GT(differ, 500);
}

// The glow lies along the plate's border, soft; it has nothing in the middle
// where the words are.
TEST(AssetsReadyStart, GlowFollowsThePlateBorder) {
  const TImage glow = LoadImage("gfx2/starts.png", -1);
  const TImage ready = LoadImage("gfx2/ready.png", -1);
  const Box plate = Extent(ready, 0, 128);
  EXPECT_GT(Alpha(glow, 0, 320, plate.y0 + 1), 64);
  EXPECT_GT(Alpha(glow, 0, plate.x0 + 1, 240), 64);
  EXPECT_EQ(Alpha(glow, 0, 320, 240), 0);
  EXPECT_TRUE(Extent(glow, 0, 255).empty()) << "never opaque";
}

// ---- Digits, colon ---------------------------------------------------------------

const char* const kDigits[] = {"gfx2/cero.png",  "gfx2/uno.png",   "gfx2/dos.png",  "gfx2/tres.png",
                               "gfx2/cuatro.png", "gfx2/cinco.png", "gfx2/seis.png", "gfx2/siete.png",
                               "gfx2/ocho.png",  "gfx2/nueve.png"};

// The score steps 30 pixels a digit and the clock 14 at scale 0.4, so a
// digit's strokes are at most 28 columns wide and centred; all digits stand
// on one baseline with one height.
TEST(AssetsDigits, ShareOneSizeAndFitTheirSteps) {
  const Box zero = Extent(LoadImage(kDigits[0], -1), 0, 128);
  for (const char* name : kDigits) {
    SCOPED_TRACE(name);
    const Box b = Extent(LoadImage(name, -1), 0, 128);
    ASSERT_FALSE(b.empty());
    EXPECT_LE(b.width(), 28);
    EXPECT_GE(b.height(), 30);
    EXPECT_NEAR(b.x0 + b.x1, 44, 2) << "centred";
    EXPECT_NEAR(b.y0, zero.y0, 1);
    EXPECT_NEAR(b.y1, zero.y1, 1);
  }
}

// Legible at both sizes: every two digits differ clearly at 45 x 45 and
// still differ when reduced to the clock's 18 x 18.
TEST(AssetsDigits, TellApartAtFullSizeAndAtTheClocksSize) {
  auto solid = [](const TImage& img, int size) {
    std::vector<int> m(static_cast<size_t>(size * size), 0);
    for (int y = 0; y < size; ++y)
      for (int x = 0; x < size; ++x) {
        // Mean alpha over the source texels under this reduced texel.
        const int sx0 = x * 45 / size, sx1 = (x + 1) * 45 / size, sy0 = y * 45 / size, sy1 = (y + 1) * 45 / size;
        int sum = 0, n = 0;
        for (int sy = sy0; sy < sy1; ++sy)
          for (int sx = sx0; sx < sx1; ++sx, ++n) sum += Alpha(img, 0, sx, sy);
        m[static_cast<size_t>(y * size + x)] = n > 0 && sum / n >= 128;
      }
    return m;
  };
  for (int size : {45, 18}) {
    std::vector<std::vector<int>> masks;
    for (const char* name : kDigits) masks.push_back(solid(LoadImage(name, -1), size));
    for (int a = 0; a < 10; ++a)
      for (int b = a + 1; b < 10; ++b) {
        int diff = 0;
        for (size_t i = 0; i < masks[0].size(); ++i) diff += masks[a][i] != masks[b][i];
        EXPECT_GE(diff, size == 45 ? 40 : 6) << a << " and " << b << " at " << size;
      }
  }
}

TEST(AssetsDigits, ColonIsTwoDotsInTheDigitsRows) {
  const TImage colon = LoadImage("gfx2/puntos.png", -1);
  const Box digits = Extent(LoadImage(kDigits[0], -1), 0, 128);
  const Box b = Extent(colon, 0, 128);
  ASSERT_FALSE(b.empty());
  EXPECT_NEAR(b.x0 + b.x1, 44, 1) << "centred";
  EXPECT_GT(b.y0, digits.y0);
  EXPECT_LT(b.y1, digits.y1);
  EXPECT_LT(Alpha(colon, 0, 22, (b.y0 + b.y1) / 2), 128) << "a gap between the dots";
}

// ---- Orb and star ----------------------------------------------------------------

TEST(AssetsOrb, GreenAndMostOpaqueAtItsRim) {
  const TImage orb = LoadImage("gfx2/energiaesfera2.png", -1);
  std::array<double, 18> sum{}, n{};
  for (int y = 0; y < 35; ++y)
    for (int x = 0; x < 35; ++x) {
      const auto ring = static_cast<size_t>(std::hypot(x + 0.5 - 17.5, y + 0.5 - 17.5));
      if (ring >= sum.size()) continue;
      sum[ring] += Alpha(orb, 0, x, y);
      n[ring] += 1;
    }
  size_t peak = 0;
  for (size_t r = 0; r < sum.size(); ++r)
    if (sum[r] / n[r] > sum[peak] / n[peak]) peak = r;
  EXPECT_GE(peak, 11u);
  EXPECT_LE(peak, 16u);
  EXPECT_LT(sum[0] / n[0] + sum[1] / n[1] + sum[2] / n[2], 1.5 * sum[peak] / n[peak]) << "clear inside";
  const Rgb c = MeanColour(orb, 0, 1);
  EXPECT_GT(c.g, c.r + 60);
  EXPECT_GT(c.g, c.b + 40);
}

// An RGB star on pure black: masked loading makes the black transparent and
// keeps the bright dot in the middle.
TEST(AssetsStar, WhiteDotOnBlack) {
  const TImage star = LoadImage("gfx/star1.png", -1);
  EXPECT_FALSE(star->pixels->hadAlpha);
  for (auto [x, y] : {std::pair{0, 0}, {18, 0}, {0, 18}, {18, 18}}) {
    const uint8_t* t = star->texel(0, x, y);
    EXPECT_EQ(t[0] | t[1] | t[2], 0);
    EXPECT_EQ(t[3], 0);
  }
  const uint8_t* c = star->texel(0, 9, 9);
  EXPECT_GE(std::min({c[0], c[1], c[2]}), 200);
  EXPECT_EQ(c[3], 255);
}

// ---- Menus and labels ------------------------------------------------------------

// Highlighted pictures are the idle ones in colour: the same shapes, white
// when idle, red (main menu, Back, Continue) or green (match lengths) when
// highlighted.
TEST(AssetsMenus, HighlightedButtonsAreTheIdleOnesInColour) {
  struct Pair {
    const char* off;
    const char* on;
    char colour;
  };
  const Pair pairs[] = {{"gfx/poneplayeroff.png", "gfx/poneplayeron.png", 'r'},
                        {"gfx/ptwoplayeroff.png", "gfx/ptwoplayeron.png", 'r'},
                        {"gfx/exitoff.png", "gfx/exiton.png", 'r'},
                        {"gfx/back.png", "gfx/backon.png", 'r'},
                        {"gfx/continueoff.png", "gfx/continue.png", 'r'},
                        {"gfx/psieteoff.png", "gfx/psieteon.png", 'g'},
                        {"gfx/pquinceoff.png", "gfx/pquinceon.png", 'g'},
                        {"gfx/pveintiunooff.png", "gfx/pveintiunoon.png", 'g'},
                        {"gfx/pinfinitooff.png", "gfx/pinfinitoon.png", 'g'}};
  for (const Pair& p : pairs) {
    SCOPED_TRACE(p.on);
    const TImage off = LoadImage(p.off, -1), on = LoadImage(p.on, -1);
    int both = 0, either = 0;
    for (int y = 0; y < ImageHeight(off); ++y)
      for (int x = 0; x < ImageWidth(off); ++x) {
        const bool a = Alpha(off, 0, x, y) >= 128, b = Alpha(on, 0, x, y) >= 128;
        both += a && b;
        either += a || b;
      }
    ASSERT_GT(either, 0);
    EXPECT_GE(static_cast<double>(both) / either, 0.75) << "same shapes";
    const Rgb idle = MeanColour(off, 0, 128);
    EXPECT_GT(std::min({idle.r, idle.g, idle.b}), 200) << "white";
    const Rgb lit = MeanColour(on, 0, 128);
    if (p.colour == 'r') {
      EXPECT_GT(lit.r, lit.g + 80);
      EXPECT_GT(lit.r, lit.b + 80);
    } else {
      EXPECT_GT(lit.g, lit.r + 80);
      EXPECT_GT(lit.g, lit.b + 80);
    }
  }
}

// The title is drawn at (160, -20) and the help lines below it from y = 170:
// its visible rows are on screen and clear of the help lines.
TEST(AssetsMenus, TitleStaysClearOfTheHelpLines) {
  const Box b = Extent(LoadImage("gfx2/titulo.png", -1), 0, 1);
  ASSERT_FALSE(b.empty());
  EXPECT_GE(b.y0, 20);
  EXPECT_LT(b.y1 - 20, 170);
  EXPECT_GT(b.width(), 240);
}

// Help lines drawn at x = 5 keep their text on screen; the system line is red.
TEST(AssetsMenus, HelpLinesStayOnScreen) {
  for (const char* name : {"gfx/for1player.png", "gfx/for2players.png", "gfx/forescape.png", "gfx/forsystem.png"}) {
    SCOPED_TRACE(name);
    const Box b = Extent(LoadImage(name, -1), 0, 1);
    ASSERT_FALSE(b.empty());
    EXPECT_GE(b.x0, 5);
    EXPECT_LE(b.x1 + 5, 634);
    EXPECT_GT(b.width(), 300);
  }
  const Rgb red = MeanColour(LoadImage("gfx/forsystem.png", -1), 0, 128);
  EXPECT_GT(red.r, red.g + 100);
  EXPECT_GT(red.r, red.b + 100);
}

TEST(AssetsMenus, LettersInTheirColours) {
  struct Row {
    const char* name;
    char colour;  // 'g' green, 'm' magenta, 'o' orange
  };
  const Row rows[] = {{"gfx2/ledplayer1.png", 'g'}, {"gfx2/ledplayer2.png", 'm'},
                      {"gfx2/ledcomputer.png", 'm'}, {"gfx2/youwinr.png", 'o'}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const Rgb c = MeanColour(LoadImage(r.name, -1), 0, 128);
    switch (r.colour) {
      case 'g': EXPECT_GT(c.g, c.r + 80); EXPECT_GT(c.g, c.b + 60); break;
      case 'm': EXPECT_GT(c.r, c.g + 80); EXPECT_GT(c.b, c.g + 60); break;
      case 'o': EXPECT_GT(c.r, c.g + 40); EXPECT_GT(c.g, c.b + 40); break;
    }
  }
}

// ---- Sounds ----------------------------------------------------------------------

struct SoundRow {
  const char* name;
  int channels, rate;
  int lengthMs;
};

const SoundRow kSounds[] = {{"sfx/menu.wav", 1, 44100, 399},   {"sfx/enter.wav", 1, 48000, 264},
                            {"sfx2/ping.wav", 1, 44100, 2155},  {"sfx2/pong.wav", 1, 44100, 2155},
                            {"sfx2/rebote.wav", 1, 44100, 2190}, {"sfx2/gol.wav", 1, 44100, 1211},
                            {"sfx2/bonus3.wav", 2, 48000, 1719}, {"sfx2/neon.wav", 2, 44100, 6183}};

// The PCM samples of a RIFF WAV whose header the test has checked.
struct Pcm {
  int channels = 0, rate = 0;
  std::vector<int16_t> samples;
};

Pcm ReadPcm(const SoundRow& row) {
  Pcm pcm;
  const nr::EmbeddedFile& f = File(row.name);
  EXPECT_GE(f.size, 44u);
  if (f.size < 44) return pcm;
  EXPECT_EQ(std::memcmp(f.data, "RIFF", 4), 0);
  EXPECT_EQ(Le32(f.data + 4), f.size - 8);
  EXPECT_EQ(std::memcmp(f.data + 8, "WAVE", 4), 0);
  size_t at = 12;
  bool fmt = false;
  while (at + 8 <= f.size) {
    const unsigned char* c = f.data + at;
    const uint32_t len = Le32(c + 4);
    if (std::memcmp(c, "fmt ", 4) == 0) {
      fmt = true;
      EXPECT_EQ(Le16(c + 8), 1) << "PCM";
      pcm.channels = Le16(c + 10);
      pcm.rate = static_cast<int>(Le32(c + 12));
      EXPECT_EQ(Le32(c + 16), static_cast<uint32_t>(pcm.rate * pcm.channels * 2)) << "byte rate";
      EXPECT_EQ(Le16(c + 20), pcm.channels * 2) << "block align";
      EXPECT_EQ(Le16(c + 22), 16) << "bits";
    } else if (std::memcmp(c, "data", 4) == 0) {
      EXPECT_TRUE(fmt) << "fmt before data";
      EXPECT_LE(at + 8 + len, f.size);
      pcm.samples.resize(len / 2);
      for (size_t i = 0; i < pcm.samples.size(); ++i)
        pcm.samples[i] = static_cast<int16_t>(Le16(c + 8 + 2 * i));
      break;
    }
    at += 8 + len + (len & 1);
  }
  return pcm;
}

TEST(AssetsSounds, ChannelsRateSixteenBitsAndLength) {
  for (const SoundRow& row : kSounds) {
    SCOPED_TRACE(row.name);
    const Pcm pcm = ReadPcm(row);
    EXPECT_EQ(pcm.channels, row.channels);
    EXPECT_EQ(pcm.rate, row.rate);
    ASSERT_GT(pcm.channels, 0);
    const double frames = static_cast<double>(pcm.samples.size() / static_cast<size_t>(pcm.channels));
    EXPECT_NEAR(frames * 1000.0 / row.rate, row.lengthMs, 1.0);

    const TSound s = LoadSound(row.name, 0);
    ASSERT_TRUE(s);
    EXPECT_EQ(s->channels, row.channels);
    EXPECT_EQ(s->rate, row.rate);
    EXPECT_EQ(s->bits, 16);
    EXPECT_EQ(static_cast<double>(s->frames), frames);
    EXPECT_NEAR(s->lengthMs, row.lengthMs, 1);
  }
}

// Loud enough to hear, never clipped, and starting and ending in silence
// through a short fade, so that no click is heard.
TEST(AssetsSounds, NoClippingAndNoClickAtEitherEnd) {
  for (const SoundRow& row : kSounds) {
    SCOPED_TRACE(row.name);
    const Pcm pcm = ReadPcm(row);
    ASSERT_FALSE(pcm.samples.empty());
    int peak = 0;
    for (int16_t v : pcm.samples) peak = std::max(peak, std::abs(static_cast<int>(v)));
    EXPECT_LT(peak, 32000);
    EXPECT_GT(peak, 8000);
    const size_t ms = static_cast<size_t>(pcm.rate / 1000 * pcm.channels);
    int head = 0, tail = 0;
    for (size_t i = 0; i < ms; ++i) {
      head = std::max(head, std::abs(static_cast<int>(pcm.samples[i])));
      tail = std::max(tail, std::abs(static_cast<int>(pcm.samples[pcm.samples.size() - 1 - i])));
    }
    EXPECT_LE(head, peak / 4);
    EXPECT_LE(tail, peak / 4);
    for (int c = 0; c < pcm.channels; ++c) {
      EXPECT_LE(std::abs(pcm.samples[static_cast<size_t>(c)]), 64);
      EXPECT_LE(std::abs(pcm.samples[pcm.samples.size() - static_cast<size_t>(pcm.channels - c)]), 64);
    }
  }
}

// Zero crossings per second over a stretch: twice the pitch of a plain tone.
double Crossings(const Pcm& pcm, double from, double to) {
  const auto a = static_cast<size_t>(from * pcm.rate), b = static_cast<size_t>(to * pcm.rate);
  int n = 0;
  for (size_t i = a + 1; i < b; ++i)
    n += (pcm.samples[(i - 1) * pcm.channels] < 0) != (pcm.samples[i * pcm.channels] < 0);
  return n / (to - from);
}

// The two ball tones are distinct pitches that keep ringing: still sounding
// a second after the hit.
TEST(AssetsSounds, BallTonesAreDistinctAndRing) {
  const Pcm ping = ReadPcm(kSounds[2]), pong = ReadPcm(kSounds[3]);
  ASSERT_FALSE(ping.samples.empty());
  ASSERT_FALSE(pong.samples.empty());
  const double a = Crossings(ping, 0.2, 0.5), b = Crossings(pong, 0.2, 0.5);
  EXPECT_GT(std::max(a, b) / std::min(a, b), 1.2);
  for (const Pcm* p : {&ping, &pong}) {
    int late = 0;
    for (size_t i = static_cast<size_t>(1.0 * p->rate); i < static_cast<size_t>(1.1 * p->rate); ++i)
      late = std::max(late, std::abs(static_cast<int>(p->samples[i])));
    EXPECT_GT(late, 200);
  }
}

// The stereo sounds use their two sides differently (an echo that crosses
// over, crackles placed left and right), not one signal twice.
TEST(AssetsSounds, StereoSoundsDifferBetweenSides) {
  for (const SoundRow& row : {kSounds[6], kSounds[7]}) {
    SCOPED_TRACE(row.name);
    const Pcm pcm = ReadPcm(row);
    ASSERT_EQ(pcm.channels, 2);
    int maxDiff = 0;
    for (size_t i = 0; i + 1 < pcm.samples.size(); i += 2)
      maxDiff = std::max(maxDiff, std::abs(pcm.samples[i] - pcm.samples[i + 1]));
    EXPECT_GT(maxDiff, 2000);
  }
}

}  // namespace
