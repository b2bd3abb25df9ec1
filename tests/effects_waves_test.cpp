// The expanding waves: bursts of three, their spacing, a second trigger, a
// burst cut short by the end of a match, how each wave is drawn and
// retired, colour indices with no pictures, and the waves of the ball.
#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
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
using mesa::Nombres;

void Pedir(float x, float y, float c) {
  ActivarOnda();
  PelotazoX = x;
  PelotazoY = y;
  PelotazoC = c;
}

// Launches for `cuadros` frames outside any match; returns the ms of each
// frame in which a wave was launched.
std::vector<int> Lanzar(Mesa& m, int cuadros) {
  std::vector<int> lanzadas;
  for (int i = 0; i < cuadros; ++i) {
    const int antes = ListaO->Count();
    const int ahora = MilliSecs();
    ChorroOndas();
    if (ListaO->Count() > antes) lanzadas.push_back(ahora);
    m.cuadro();
  }
  return lanzadas;
}

TEST(EffectsWaves, EveryBurstLaunchesThreeWavesMoreThan100MsApart) {
  Mesa m;
  const int t0 = MilliSecs();
  Pedir(100, 100, 1);
  const std::vector<int> l = Lanzar(m, 60);
  ASSERT_EQ(l.size(), 3u);
  EXPECT_EQ(l[0], t0);  // the very first trigger launches at once
  for (size_t i = 1; i < 3; ++i) {
    EXPECT_GT(l[i] - l[i - 1], 100);
    EXPECT_LE(l[i] - l[i - 1], 117);  // the first frame past the 100 ms
  }
  EXPECT_EQ(lanzando, 0);
  EXPECT_EQ(ondatiempo2, 0);
}

TEST(EffectsWaves, ATriggerSoonAfterABurstWaitsForItsLastWaveTo100Ms) {
  Mesa m;
  Pedir(100, 100, 1);
  const std::vector<int> primera = Lanzar(m, 16);
  ASSERT_EQ(primera.size(), 3u);
  ASSERT_EQ(lanzando, 0);
  ASSERT_LT(MilliSecs() - primera[2], 100);
  Pedir(200, 200, 2);
  const std::vector<int> segunda = Lanzar(m, 60);
  ASSERT_EQ(segunda.size(), 3u);
  EXPECT_GT(segunda[0] - primera[2], 100);
  EXPECT_LE(segunda[0] - primera[2], 117);
}

TEST(EffectsWaves, ASecondTriggerMovesAndRecoloursTheRestOfTheBurst) {
  Mesa m;
  Pedir(10, 20, 1);
  Lanzar(m, 2);
  ASSERT_EQ(ListaO->Count(), 1);
  Pedir(30, 40, 4);
  Lanzar(m, 60);
  ASSERT_EQ(ListaO->Count(), 3);
  std::vector<std::string> colores;
  std::vector<float> xs, ys;
  for (const auto& o : *ListaO) {
    colores.push_back(o->imagen->name + "+" + o->glow->name);
    xs.push_back(o->x);
    ys.push_back(o->y);
  }
  EXPECT_EQ(colores, (std::vector<std::string>{"gfx2/ondaazul.png+gfx2/gondaazul.png",
                                               "gfx2/ondamorada.png+gfx2/gondamorada.png",
                                               "gfx2/ondamorada.png+gfx2/gondamorada.png"}));
  EXPECT_EQ(xs, (std::vector<float>{10, 30, 30}));
  EXPECT_EQ(ys, (std::vector<float>{20, 40, 40}));
}

TEST(EffectsWaves, ABurstCutShortFinishesInTheNextMatchAtTheLastPlace) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  m.cuadro();
  Pedir(123, 234, 2);
  const Cuadro q = m.cuadro();
  ASSERT_EQ(ListaO->Count(), 1);
  EXPECT_EQ(De(q.dibujos, "gfx2/ondaroja.png").size(), 1u);
  // Quit at once, then a new match: the waves are gone, the burst is not.
  m.tocar(KEY_ESCAPE);
  m.tocar(KEY_SPACE);
  m.cuadros(2);
  ASSERT_EQ(seleccion, 1);
  m.cuadros(30);  // the menus: nothing launches
  EXPECT_EQ(ondatiempo2, 1);
  m.preparar(1, 7);
  EXPECT_EQ(ListaO->Count(), 0);
  EXPECT_EQ(lanzando, 1);
  std::vector<Dibujo> nuevas;
  for (int i = 0; i < 20; ++i) {
    const Cuadro c = m.cuadro();
    for (const Dibujo& d : De(c.dibujos, "gfx2/ondaroja.png"))
      if (d.celda == 0) nuevas.push_back(d);
  }
  ASSERT_EQ(nuevas.size(), 2u);
  for (const Dibujo& d : nuevas) {
    EXPECT_EQ(d.x, 123);
    EXPECT_EQ(d.y, 234);
  }
  EXPECT_EQ(lanzando, 0);
}

TEST(EffectsWaves, WhilePausedWavesAnimateAndABurstCompletes) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  Pedir(300, 300, 4);
  m.tocar(KEY_ESCAPE);
  int dibujadas = 0;
  for (int i = 0; i < 60; ++i) {
    const Cuadro c = m.cuadro();
    ASSERT_EQ(c.entero("pausarjuego"), 1);
    dibujadas += static_cast<int>(De(c.dibujos, "gfx2/ondamorada.png").size());
  }
  EXPECT_EQ(lanzando, 0);
  EXPECT_EQ(dibujadas, 3 * 25);
  EXPECT_EQ(ListaO->Count(), 0);
}

TEST(EffectsWaves, EachWaveIsDrawnTwentyFiveTimesInThreeAdditiveLayers) {
  Mesa m;
  LanzarOnda::crear(50.5f, 60.25f, 3);
  for (int k = 0; k < 25; ++k) {
    SCOPED_TRACE("frame " + std::to_string(k));
    RenderOnda();
    const std::vector<Dibujo> d = m.suelto().dibujos;
    ASSERT_EQ(Nombres(d), (std::vector<std::string>{"gfx2/ondaverde.png", "gfx2/gondaverde.png",
                                                    "gfx2/linea.png", "gfx2/linea.png"}));
    for (const Dibujo& x : d) {
      EXPECT_EQ(x.celda, k);
      EXPECT_EQ(x.x, 50.5f);
      EXPECT_EQ(x.y, 60.25f);
      EXPECT_EQ(x.blend, LIGHTBLEND);
      EXPECT_FLOAT_EQ(x.sx, 2.2f);
      EXPECT_FLOAT_EQ(x.sy, 2.2f);
      EXPECT_EQ(x.hx, 50);
      EXPECT_EQ(x.hy, 50);
      EXPECT_EQ(x.alpha, 1);
    }
    EXPECT_EQ(ListaO->Count(), k < 24 ? 1 : 0);
  }
  RenderOnda();
  EXPECT_TRUE(m.suelto().dibujos.empty());
}

TEST(EffectsWaves, OldestFirstAndRetiringWavesSkipsNoneOfTheOthers) {
  Mesa m;
  // Two waves on their last frame around one that is not, and a new one.
  for (float x : {1.0f, 2.0f, 3.0f, 4.0f}) LanzarOnda::crear(x, 0, 2);
  int k = 0;
  for (const auto& o : *ListaO) o->frame = (k++ % 2 == 0) ? 24 : 5;
  RenderOnda();
  std::vector<float> xs;
  for (const Dibujo& d : De(m.suelto().dibujos, "gfx2/ondaroja.png")) xs.push_back(d.x);
  EXPECT_EQ(xs, (std::vector<float>{1, 2, 3, 4}));
  ASSERT_EQ(ListaO->Count(), 2);
  RenderOnda();
  xs.clear();
  for (const Dibujo& d : De(m.suelto().dibujos, "gfx2/ondaroja.png")) xs.push_back(d.x);
  EXPECT_EQ(xs, (std::vector<float>{2, 4}));
}

TEST(EffectsWaves, DrawingLeavesAlphaBlendAndScaleOneAndAnEmptyListTouchesNothing) {
  Mesa m;
  SetBlend(SHADEBLEND);
  SetScale(0.5f, 0.75f);
  RenderOnda();
  DrawImage(winner, 0, 0, 0);
  std::vector<Dibujo> d = m.suelto().dibujos;
  ASSERT_EQ(d.size(), 1u);
  EXPECT_EQ(d[0].blend, SHADEBLEND);
  EXPECT_EQ(d[0].sx, 0.5f);
  EXPECT_EQ(d[0].sy, 0.75f);

  LanzarOnda::crear(0, 0, 1);
  RenderOnda();
  DrawImage(winner, 0, 0, 0);
  d = m.suelto().dibujos;
  ASSERT_EQ(d.size(), 5u);
  EXPECT_EQ(d.back().blend, ALPHABLEND);
  EXPECT_EQ(d.back().sx, 1);
  EXPECT_EQ(d.back().sy, 1);
}

struct Color {
  float c;
  const char* onda;  // nullptr: no wave
};

TEST(EffectsWaves, ColourIndicesTruncateAndOnesWithoutPicturesAreSkipped) {
  const float nan = std::numeric_limits<float>::quiet_NaN();
  const float inf = std::numeric_limits<float>::infinity();
  const Color casos[] = {
      {1, "gfx2/ondaazul.png"},  {2, "gfx2/ondaroja.png"},   {2.99f, "gfx2/ondaroja.png"},
      {3, "gfx2/ondaverde.png"}, {4, "gfx2/ondamorada.png"}, {4.5f, "gfx2/ondamorada.png"},
      {0, nullptr},              {0.99f, nullptr},           {-0.5f, nullptr},
      {-1, nullptr},             {5, nullptr},               {7, nullptr},
      {1e10f, nullptr},          {-1e10f, nullptr},          {nan, nullptr},
      {inf, nullptr},
  };
  for (const Color& c : casos) {
    Mesa m;
    // A whole burst of the colour, drawn as it goes.
    Pedir(10, 10, c.c);
    std::vector<std::string> dibujadas;
    for (int i = 0; i < 40; ++i) {
      ChorroOndas();
      RenderOnda();
      for (const Dibujo& d : m.cuadro().dibujos) dibujadas.push_back(d.imagen);
    }
    SCOPED_TRACE(c.c);
    EXPECT_EQ(lanzando, 0);  // the burst still ends after its three launches
    if (!c.onda) {
      EXPECT_TRUE(dibujadas.empty());
      EXPECT_EQ(ListaO->Count(), 0);
      continue;
    }
    int n = 0;
    for (const std::string& s : dibujadas) n += s == c.onda;
    EXPECT_EQ(n, 3 * 25);
  }
}

TEST(EffectsWaves, ABallHitLaunchesItsFirstWaveInTheSameFrameOverTheBall) {
  struct Caso {
    const char* que;
    float bx, by, sx, sy;  // where the ball's move lands it
    const char* onda;
    float x, y;  // the wave's centre
  };
  const Caso casos[] = {
      {"left paddle", 41, 260, -4, 4, "gfx2/ondaroja.png", 45, 272},
      {"right paddle", 576, 260, 4, 4, "gfx2/ondamorada.png", 597, 285},
      {"top wall", 200, 39, -4, -4, "gfx2/ondaazul.png", 212, 68},
      {"bottom wall", 200, 421, -4, 4, "gfx2/ondaroja.png", 221, 417},
  };
  for (const Caso& c : casos) {
    Mesa m;
    m.preparar(2, 7);
    m.hastaElJuego();
    pelota->azarx = pelota->azary = 0;
    pelota->sx = c.sx;
    pelota->sy = c.sy;
    pelota->bx = c.bx - c.sx;
    pelota->by = c.by - c.sy;
    const Cuadro q = m.cuadro();
    const std::vector<Dibujo> ondas = De(q.dibujos, c.onda);
    ASSERT_EQ(ondas.size(), 1u) << c.que;
    EXPECT_EQ(ondas[0].x, c.x) << c.que;
    EXPECT_EQ(ondas[0].y, c.y) << c.que;
    EXPECT_EQ(ondas[0].celda, 0) << c.que;
    // Drawn after the ball.
    const std::vector<std::string> n = Nombres(q.dibujos);
    const auto bola = std::find(n.begin(), n.end(), "gfx2/superpelota.png");
    const auto onda = std::find(n.begin(), n.end(), c.onda);
    EXPECT_LT(bola - n.begin(), onda - n.begin()) << c.que;
  }
}

}  // namespace
