// The ball's energy trail: its reset, its scales, the shift and truncation
// of each update, its draw, and how the match feeds it and draws it.
#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

#include "effects/TestelaBola.h"
#include "match/Tball.h"
#include "match/partida.h"
#include "match_mesa.h"

namespace {

using mesa::Cuadro;
using mesa::De;
using mesa::Dibujo;
using mesa::Mesa;

TEST(EffectsTrail, AResetParksEveryNodeOffScreenWhateverTheArguments) {
  Mesa m;
  UpdateNodosEnergia(100, 100);
  IniciarNodosEnergia(320, 200);
  for (int i = 0; i < kNodosEnergia; ++i) {
    EXPECT_EQ(pposx[static_cast<size_t>(i)], -30) << i;
    EXPECT_EQ(pposy[static_cast<size_t>(i)], -30) << i;
  }
}

TEST(EffectsTrail, ScalesTaperByFiveHundredthsInSinglePrecision) {
  Mesa m;
  IniciarNodosEnergia(0, 0);
  EXPECT_EQ(ppesc[0], 1.0f);
  EXPECT_EQ(ppesc[1], 0.95f);
  for (int i = 1; i < kNodosEnergia; ++i)
    EXPECT_NEAR(ppesc[static_cast<size_t>(i)], 1 - 0.05 * i, 1e-6) << i;
  // Nineteen single-precision subtractions fall a little short of 0.05.
  EXPECT_LT(ppesc[19], 0.05f);
  EXPECT_GT(ppesc[19], 0.0499995f);
}

TEST(EffectsTrail, EachUpdateShiftsOnceAndTruncatesTowardZero) {
  Mesa m;
  IniciarNodosEnergia(0, 0);
  UpdateNodosEnergia(100.9f, 50.2f);
  EXPECT_EQ(pposx[0], 100);
  EXPECT_EQ(pposy[0], 50);
  EXPECT_EQ(pposx[1], -30);
  UpdateNodosEnergia(-0.7f, -30.9f);
  EXPECT_EQ(pposx[0], 0);
  EXPECT_EQ(pposy[0], -30);
  EXPECT_EQ(pposx[1], 100);
  EXPECT_EQ(pposy[1], 50);
  for (int i = 0; i < 18; ++i) UpdateNodosEnergia(static_cast<float>(i), 7);
  EXPECT_EQ(pposx[19], 100);  // twenty updates: the first is the oldest
  EXPECT_EQ(pposx[18], 0);
  UpdateNodosEnergia(1, 1);
  EXPECT_EQ(pposx[19], 0);  // and the next pushes it out
}

TEST(EffectsTrail, CentresBeyondTheIntRangeAreClampedNotUndefined) {
  Mesa m;
  IniciarNodosEnergia(0, 0);
  UpdateNodosEnergia(1e20f, -1e20f);
  EXPECT_EQ(pposx[0], std::numeric_limits<int>::max());
  EXPECT_EQ(pposy[0], std::numeric_limits<int>::min());
  UpdateNodosEnergia(std::numeric_limits<float>::quiet_NaN(), 2147483520.0f);
  EXPECT_EQ(pposx[0], 0);
  EXPECT_EQ(pposy[0], 2147483520);
}

TEST(EffectsTrail, DrawsTwentyAdditiveOrbsNewestFirstAndRestoresTheState) {
  Mesa m;
  IniciarNodosEnergia(0, 0);
  for (int i = 0; i < 20; ++i) UpdateNodosEnergia(static_cast<float>(10 * i), static_cast<float>(i));
  SetBlend(SHADEBLEND);
  SetAlpha(0.5f);
  SetScale(2, 3);
  RenderNodosEnergia();
  DrawImage(winner, 0, 0, 0);
  const std::vector<Dibujo> d = m.suelto().dibujos;
  ASSERT_EQ(d.size(), 21u);
  for (size_t i = 0; i < 20; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(d[i].imagen, "gfx2/energiaesfera2.png");
    EXPECT_EQ(d[i].x, 10.0f * static_cast<float>(19 - i));
    EXPECT_EQ(d[i].y, static_cast<float>(19 - i));
    EXPECT_EQ(d[i].blend, LIGHTBLEND);
    EXPECT_FLOAT_EQ(d[i].alpha, 0.2f);
    EXPECT_NEAR(d[i].sx, ppesc[i], 1e-4);  // the trace keeps four decimals
    EXPECT_NEAR(d[i].sy, ppesc[i], 1e-4);
    EXPECT_EQ(d[i].hx, 17);
    EXPECT_EQ(d[i].hy, 17);
  }
  EXPECT_EQ(d[20].blend, ALPHABLEND);
  EXPECT_EQ(d[20].alpha, 1);
  EXPECT_EQ(d[20].sx, 1);
  EXPECT_EQ(d[20].sy, 1);
}

TEST(EffectsTrail, TheMatchFeedsItTheBallsCentreOnlyInFramesOfPlay) {
  Mesa m;
  m.preparar(1, 7);
  // Held back: neither fed nor drawn.
  for (int i = 0; i < 100; ++i) {
    const Cuadro q = m.cuadro();
    if (empezar != 0) break;
    EXPECT_TRUE(De(q.dibujos, "gfx2/energiaesfera2.png").empty());
    EXPECT_EQ(pposx[0], -30);
  }
  m.hastaElJuego();
  const Cuadro q = m.cuadro();
  // The ball moved to (296, 244); its centre by the halves of 25 is +12.
  EXPECT_EQ(pposx[0], 308);
  EXPECT_EQ(pposy[0], 256);
  EXPECT_EQ(pposx[1], -30);
  const std::vector<Dibujo> orbes = De(q.dibujos, "gfx2/energiaesfera2.png");
  ASSERT_EQ(orbes.size(), 20u);
  EXPECT_EQ(orbes[0].x, 308);
  EXPECT_EQ(orbes[1].x, -30);
  m.cuadro();
  EXPECT_EQ(pposx[0], 304);
  EXPECT_EQ(pposx[1], 308);
  EXPECT_EQ(pposx[2], -30);
}

}  // namespace
