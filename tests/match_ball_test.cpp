// The ball: its first serve, the pixel-exact paddle tests, the zones and
// centre bands of both paddles, the speed-up, the flattened hit and the
// one-time steepening, the walls, the goals and the serve, the animation
// and the draw. The paddle and ball pictures are made here with the opaque
// strokes the real ones have; the ball is opaque in frame 0 only, so a test
// made with any other frame would never hit.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "effects/TwaveF.h"
#include "match/TRaqueta.h"
#include "match/Tball.h"
#include "match/partida.h"
#include "match_mesa.h"

namespace {

using mesa::Cuadro;
using mesa::De;
using mesa::Dibujo;
using mesa::Mesa;

// The speeds after one hit from rest, in the ball's own single precision.
constexpr float k402 = 4.0f + 0.02f;
constexpr float k602 = 6.0f + 0.02f;
constexpr float k332 = 3.3f + 0.02f;

// Puts the ball so that its move lands it at (bx, by), with no drift, and
// runs one update. True when a paddle hit it.
bool MoverA(float bx, float by, float sx, float sy) {
  pelota->azarx = pelota->azary = 0;
  pelota->sx = sx;
  pelota->sy = sy;
  pelota->bx = bx - sx;
  pelota->by = by - sy;
  const int golpes = acambiar;
  pelota->update();
  return acambiar != golpes;
}

struct Choque {
  const char* que;
  float bx, by, sx, sy;  // where the move lands the ball, and its velocity
  bool golpe;
};

TEST(MatchBall, PaddleHitsArePixelExactAtTruncatedPositions) {
  // Left paddle at (16, 240): strokes in columns 22 ... 44, rows 243 ... 301.
  // Right paddle at (590, 240): columns 597 ... 620. The ball's disc spans
  // columns bx+3 ... bx+21 and rows by+1 ... by+19.
  const Choque casos[] = {
      {"left: disc touches the right stroke", 41, 260, -4, 4, true},
      {"left: one pixel short", 42, 260, -4, 4, false},
      {"left: 41.9 truncates to 41", 41.9f, 260, -4, 4, true},
      {"left: from above, touching", 21, 224, -4, 4, true},
      {"left: from above, one short", 21, 223, -4, 4, false},
      {"left: 223.9 truncates to 223", 21, 223.9f, -4, 4, false},
      {"left: from below, touching", 21, 300, -4, -4, true},
      {"left: from below, one short", 21, 301, -4, -4, false},
      {"left: only the bounding boxes meet", 41, 224, -4, 4, false},
      {"left: moving away still hits", 41, 260, 4, 4, true},
      {"right: disc touches the left stroke", 576, 260, 4, 4, true},
      {"right: one pixel short", 575, 260, 4, 4, false},
      {"right: 575.9 truncates to 575", 575.9f, 260, 4, 4, false},
      {"right: only the bounding boxes meet", 576, 224, 4, 4, false},
      {"right: moving away still hits", 576, 260, -4, 4, true},
      {"open field", 300, 240, -4, 4, false},
  };
  for (const Choque& c : casos) {
    Mesa m;
    EXPECT_EQ(MoverA(c.bx, c.by, c.sx, c.sy), c.golpe) << c.que;
  }
}

struct Zona {
  int dc;      // c - m, c = by + 14, m = paddle top + 32
  float sy;    // vertical velocity at the hit
  float syTras;  // its sign after the hit, as +1 or -1
  int horizontal;
};

void ProbarZonas(bool izquierda, const std::vector<Zona>& zonas) {
  for (const Zona& z : zonas) {
    Mesa m;
    const float by = 272 + static_cast<float>(z.dc) - 14;
    const float bx = izquierda ? 41 : 576;
    ASSERT_TRUE(MoverA(bx, by, izquierda ? -4 : 4, z.sy)) << "c - m = " << z.dc;
    EXPECT_EQ(pelota->sy, z.syTras * k402) << (izquierda ? "left" : "right") << " c - m = " << z.dc
                                            << " sy " << z.sy;
    EXPECT_EQ(horizontal, z.horizontal) << (izquierda ? "left" : "right") << " c - m = " << z.dc;
  }
}

TEST(MatchBall, TheLeftPaddleKeepsTheDirectionAcrossItsCentreBand) {
  ProbarZonas(true, {
                        {-4, 4, -1, 0},  // upper part: leaves upwards
                        {-4, -4, -1, 0},
                        {-3, 4, 1, 0},   // band edge: kept, band open
                        {-2, 4, 1, 1},   // centre band: kept, next hit flattened
                        {0, -4, -1, 1},
                        {2, -4, -1, 1},
                        {3, -4, -1, 0},
                        {4, -4, 1, 0},   // lower part: leaves downwards
                        {4, 4, 1, 0},
                    });
}

TEST(MatchBall, TheRightPaddleTurnsEveryHitButOnTheMidLine) {
  ProbarZonas(false, {
                         {-3, 4, -1, 0},
                         {-2, 4, -1, 1},  // centre band, direction still forced
                         {-1, -4, -1, 1},
                         {0, 4, 1, 1},    // the exact mid-line escapes both tests
                         {0, -4, -1, 1},
                         {1, -4, 1, 1},
                         {3, -4, 1, 0},
                         {3, 4, 1, 0},
                     });
}

TEST(MatchBall, AHitReversesPushesSpeedsUpSoundsAndAsksForWaves) {
  struct Lado {
    bool izquierda;
    float bx;
    float bxTras, sxTras;
    const char* sonido;
    int dirframe;
    float ondaX, ondaY, ondaC;
  };
  // by 260: the wave is at (bx, by + 12) on the left, (bx + 25, by + 25) on the right.
  const Lado lados[] = {{true, 41, 45, k402, "sfx2/ping.wav", 1, 45, 272, 2},
                        {false, 576, 572, -k402, "sfx2/pong.wav", -1, 597, 285, 4}};
  for (const Lado& l : lados) {
    Mesa m;
    lanzando = 0;
    ASSERT_TRUE(MoverA(l.bx, 260, l.izquierda ? -4 : 4, 4));
    EXPECT_EQ(pelota->bx, l.bxTras);
    EXPECT_EQ(pelota->sx, l.sxTras);
    EXPECT_EQ(pelota->incremento, 0.02f);
    EXPECT_EQ(pelota->dirframe, l.dirframe);
    EXPECT_EQ(lanzando, 1);
    EXPECT_EQ(PelotazoX, l.ondaX);
    EXPECT_EQ(PelotazoY, l.ondaY);
    EXPECT_EQ(PelotazoC, l.ondaC);
    // A fresh drift in [2/7, 1) on both axes.
    EXPECT_GE(pelota->azarx, 2.0f / 7);
    EXPECT_LT(pelota->azarx, 1.0f);
    EXPECT_GE(pelota->azary, 2.0f / 7);
    EXPECT_LT(pelota->azary, 1.0f);
    EXPECT_NE(pelota->azarx, pelota->azary);
    const Cuadro q = m.suelto();
    ASSERT_EQ(q.sonidos.size(), 1u);
    EXPECT_EQ(q.sonidos[0].nombre, l.sonido);
    EXPECT_EQ(q.sonidos[0].canal, -1);
  }
}

TEST(MatchBall, TheSpeedStepGrowsByTwoHundredthsUpToFive) {
  const float casos[][2] = {{0, 0.02f}, {1, 1.02f}, {4.99f, 5}, {4.985f, 5}, {5, 5}};
  for (const auto& c : casos) {
    Mesa m;
    pelota->incremento = c[0];
    ASSERT_TRUE(MoverA(41, 258, -4, 4));
    EXPECT_EQ(pelota->incremento, c[1]) << c[0];
    EXPECT_EQ(pelota->sx, 4 + c[1]) << c[0];
    EXPECT_EQ(pelota->sy, 4 + c[1]) << c[0];
  }
}

TEST(MatchBall, AHitAfterACentreBandIsFlattenedAndWidened) {
  struct Caso {
    bool izquierda;
    int dc;
    float sy;
    float sxTras, syTras;
    int horizontalTras;
  };
  const Caso casos[] = {
      // Down at 3.3 whatever it was, 2 more across, then the hit's own zone and speed-up.
      {true, 0, -4, k602, k332, 1},
      {true, -4, -4, k602, -k332, 0},
      {true, 4, 4, k602, k332, 0},
      {false, 0, -4, -k602, k332, 1},
      {false, -2, -4, -k602, -k332, 1},
  };
  for (const Caso& c : casos) {
    Mesa m;
    horizontal = 1;
    daleangulo = 0;
    const float by = 272 + static_cast<float>(c.dc) - 14;
    ASSERT_TRUE(MoverA(c.izquierda ? 41 : 576, by, c.izquierda ? -4 : 4, c.sy));
    EXPECT_EQ(pelota->sx, c.sxTras) << c.izquierda << " " << c.dc;
    EXPECT_EQ(pelota->sy, c.syTras) << c.izquierda << " " << c.dc;
    EXPECT_EQ(horizontal, c.horizontalTras) << c.izquierda << " " << c.dc;
    EXPECT_EQ(daleangulo, 1);
  }
}

TEST(MatchBall, TheSteepeningFiresOnlyAtTheFourthHitWhenArmed) {
  struct Caso {
    int acambiar, daleangulo;
    float sy;
    int daleanguloTras;
  };
  const Caso casos[] = {
      {3, 1, k402 * 2.4f, 0}, {3, 0, k402, 0}, {2, 1, k402, 1}, {4, 1, k402, 1}, {0, 1, k402, 1},
  };
  for (const Caso& c : casos) {
    Mesa m;
    horizontal = 0;
    acambiar = c.acambiar;
    daleangulo = c.daleangulo;
    ASSERT_TRUE(MoverA(41, 270, -4, 4));  // lower part: down
    EXPECT_EQ(pelota->sy, c.sy) << c.acambiar << "/" << c.daleangulo;
    EXPECT_EQ(daleangulo, c.daleanguloTras) << c.acambiar << "/" << c.daleangulo;
    EXPECT_EQ(acambiar, c.acambiar + 1);
  }
}

TEST(MatchBall, TheFlagsCountAndArmAcrossHitsOfBothPaddles) {
  Mesa m;
  // First hit in the left centre band, then a flattened hit on the right:
  // the steepening is armed, and the fourth hit since start-up fires it.
  ASSERT_TRUE(MoverA(41, 258, -4, 4));
  EXPECT_EQ(horizontal, 1);
  ASSERT_TRUE(MoverA(576, 262, 4, 4));  // lower part of the right paddle
  EXPECT_EQ(daleangulo, 1);
  EXPECT_EQ(horizontal, 0);
  ASSERT_TRUE(MoverA(41, 270, -4, 4));
  EXPECT_EQ(acambiar, 3);
  const float incremento = pelota->incremento + 0.02f;
  const float antes = 4.0f + incremento;
  ASSERT_TRUE(MoverA(41, 270, -4, 4));
  EXPECT_EQ(pelota->sy, antes * 2.4f);
  EXPECT_EQ(daleangulo, 0);
  // Never again in this run.
  horizontal = 1;
  ASSERT_TRUE(MoverA(41, 270, -4, 4));
  ASSERT_TRUE(MoverA(41, 270, -4, 4));
  EXPECT_EQ(daleangulo, 1);
  EXPECT_LT(pelota->sy, 6.0f);
}

struct Muro {
  const char* que;
  float by, sy;
  bool rebota;
  float byTras, syTras;
  float ondaX, ondaY, ondaC;
};

TEST(MatchBall, WallsBounceWithoutLookingAtTheDirection) {
  const Muro casos[] = {
      {"above the top band", 39.5f, -4, true, 43.5f, 4, 112, 68.5f, 1},
      {"exactly 40: no bounce", 40, -4, false, 40, -4, 0, 0, 0},
      {"above it but moving down", 30, 4, true, 34, -4, 112, 59, 1},
      {"below the bottom band", 420.5f, 4, true, 416.5f, -4, 121, 416.5f, 2},
      {"exactly 420: no bounce", 420, 4, false, 420, 4, 0, 0, 0},
      {"below it but moving up", 430, -4, true, 426, 4, 121, 426, 2},
  };
  for (const Muro& c : casos) {
    Mesa m;
    lanzando = 0;
    PelotazoX = PelotazoY = PelotazoC = 0;
    ASSERT_FALSE(MoverA(100, c.by, -4, c.sy)) << c.que;
    EXPECT_EQ(pelota->by, c.byTras) << c.que;
    EXPECT_EQ(pelota->sy, c.syTras) << c.que;
    EXPECT_EQ(lanzando, c.rebota ? 1 : 0) << c.que;
    EXPECT_EQ(PelotazoX, c.ondaX) << c.que;
    EXPECT_EQ(PelotazoY, c.ondaY) << c.que;
    EXPECT_EQ(PelotazoC, c.ondaC) << c.que;
    const Cuadro q = m.suelto();
    EXPECT_EQ(q.sonidosDe("sfx2/rebote.wav"), c.rebota ? 1 : 0) << c.que;
  }
}

TEST(MatchBall, ABallStillAboveTheBandAfterItsPushBouncesAgain) {
  Mesa m;
  pelota->azarx = pelota->azary = 0;
  pelota->bx = 300;
  pelota->by = 34;
  pelota->sx = -4;
  pelota->sy = -2;  // lands at 32: bounced to 36, still above 40
  pelota->update();
  EXPECT_EQ(pelota->by, 36);
  EXPECT_EQ(pelota->sy, 2);
  pelota->update();  // 38: bounced again, back upwards
  EXPECT_EQ(pelota->by, 42);
  EXPECT_EQ(pelota->sy, -2);
  EXPECT_EQ(m.suelto().sonidosDe("sfx2/rebote.wav"), 2);
}

struct Gol {
  float bx;
  int p1, p2;
  float sxSaque;  // 0: no goal
};

TEST(MatchBall, GoalsScoreBeyondTheLinesAndServeTowardsTheScorer) {
  const Gol casos[] = {
      {-0.5f, 0, 1, 4}, {-30, 0, 1, 4}, {0, 0, 0, 0}, {640, 0, 0, 0}, {640.5f, 1, 0, -4}, {700, 1, 0, -4},
  };
  for (const Gol& c : casos) {
    Mesa m;
    pelota->incremento = 3;
    pelota->ballframe = 5;
    pelota->dirframe = 1;
    horizontal = 1;
    daleangulo = 1;
    acambiar = 2;
    const float sx = c.bx < 320 ? -4.0f : 4.0f;
    pelota->azarx = 0;
    pelota->azary = 0;
    pelota->sx = sx;
    pelota->sy = 4;
    pelota->bx = c.bx - sx;
    pelota->by = 200 - 4;
    const int ahora = MilliSecs();
    pelota->update();
    SCOPED_TRACE(c.bx);
    EXPECT_EQ(ScorePlayer1, c.p1);
    EXPECT_EQ(ScorePlayer2, c.p2);
    const Cuadro q = m.suelto();
    if (c.sxSaque == 0) {
      EXPECT_EQ(pelota->bx, c.bx);
      EXPECT_EQ(q.sonidosDe("sfx2/gol.wav"), 0);
      continue;
    }
    EXPECT_EQ(pelota->bx, 300);
    EXPECT_EQ(pelota->by, 240);
    EXPECT_EQ(pelota->sx, c.sxSaque);
    EXPECT_EQ(pelota->incremento, 0);
    EXPECT_EQ(q.sonidosDe("sfx2/gol.wav"), 1);
    // The generator was seeded from this update's clock: the serve's
    // vertical direction is its first draw.
    SeedRnd(ahora);
    EXPECT_EQ(pelota->sy, static_cast<int>(Rnd(1, 3)) == 1 ? 4.0f : -4.0f);
    // Carried over the serve.
    EXPECT_EQ(pelota->dirframe, 1);
    EXPECT_EQ(horizontal, 1);
    EXPECT_EQ(daleangulo, 1);
    EXPECT_EQ(acambiar, 2);
  }
}

TEST(MatchBall, ServesGoUpAndDownAsTheClockSeedsThem) {
  int arriba = 0, abajo = 0;
  Mesa m;
  for (int i = 0; i < 40; ++i) {
    pelota->bx = -10;
    pelota->sx = -4;
    pelota->update();
    (pelota->sy > 0 ? abajo : arriba) += 1;
    m.cuadro();
  }
  EXPECT_GT(arriba, 5);
  EXPECT_GT(abajo, 5);
}

TEST(MatchBall, TheFirstServeMovesExactlyFourAndFourUntilTheFirstPaddleHit) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  float bx = pelota->bx, by = pelota->by;
  int cuadros = 0, goles = 0;
  for (; cuadros < 2000; ++cuadros) {
    const Cuadro q = m.cuadro();
    if (q.sonidosDe("sfx2/ping.wav") + q.sonidosDe("sfx2/pong.wav") > 0) break;
    const bool gol = q.sonidosDe("sfx2/gol.wav") > 0;
    const bool muro = q.sonidosDe("sfx2/rebote.wav") > 0;
    goles += gol;
    if (!gol) {
      EXPECT_EQ(std::fabs(pelota->bx - bx), 4) << "frame " << cuadros;
    }
    if (!gol && !muro) {
      EXPECT_EQ(std::fabs(pelota->by - by), 4) << "frame " << cuadros;
    }
    if (cuadros == 0) {
      EXPECT_EQ(pelota->bx, 296);
      EXPECT_EQ(pelota->by, 244);
    }
    bx = pelota->bx;
    by = pelota->by;
  }
  // Player 1 stands still: the computer scores first, then a paddle meets the ball.
  EXPECT_LT(cuadros, 2000);
  EXPECT_GE(goles, 1);
}

TEST(MatchBall, AnimatesThroughEightFramesInTheDirectionOfTheLastHit) {
  struct Caso {
    int frame, dir, timeframeDesde;  // timeframe relative to now
    int frameTras;
  };
  const Caso casos[] = {
      {3, 1, -1, 4}, {7, 1, -1, 0}, {0, -1, -1, 7}, {4, -1, -1, 3},
      {3, 1, 0, 3},  // not yet past its time
      {9, 1, 5, 0},  // out of range is wrapped even without a step
      {-2, 1, 5, 7},
  };
  for (const Caso& c : casos) {
    Mesa m;
    pelota->ballframe = c.frame;
    pelota->dirframe = c.dir;
    pelota->timeframe = MilliSecs() + c.timeframeDesde;
    const int ahora = MilliSecs();
    pelota->update();
    EXPECT_EQ(pelota->ballframe, c.frameTras) << c.frame << " " << c.dir;
    if (c.timeframeDesde < 0) {
      EXPECT_EQ(pelota->timeframe, ahora + 25);
    }
  }
}

TEST(MatchBall, DrawsItsFrameThenTheAdditiveGlowAtTheFloatPosition) {
  Mesa m;
  pelota->bx = 100.25f;
  pelota->by = 50.5f;
  pelota->ballframe = 6;
  SetBlend(SHADEBLEND);
  pelota->render();
  DrawImage(winner, 0, 0, 0);
  const std::vector<Dibujo> d = m.suelto().dibujos;
  ASSERT_EQ(d.size(), 3u);
  EXPECT_EQ(d[0].imagen, "gfx2/superpelota.png");
  EXPECT_EQ(d[1].imagen, "gfx2/gsuperpelota.png");
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(d[static_cast<size_t>(i)].celda, 6);
    EXPECT_EQ(d[static_cast<size_t>(i)].x, 100.25f);
    EXPECT_EQ(d[static_cast<size_t>(i)].y, 50.5f);
  }
  EXPECT_EQ(d[0].blend, ALPHABLEND);
  EXPECT_EQ(d[1].blend, LIGHTBLEND);
  EXPECT_EQ(d[2].blend, ALPHABLEND);
}

}  // namespace
