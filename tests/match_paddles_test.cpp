// The paddles: the control tables for one and two players, the exact axis
// test, the clamp, the computer opponent, and the draw.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "match/TRaqueta.h"
#include "match/Tball.h"
#include "match/partida.h"
#include "match_mesa.h"

namespace {

using mesa::Cuadro;
using mesa::Dibujo;
using mesa::Mesa;

constexpr int kLleno = 32767;  // full deflection reads exactly 1.0

struct Entrada {
  std::vector<int> teclas;      // held
  int puerto = -1, raw = 0;     // a Y axis, if puerto >= 0
  int puerto2 = -1, raw2 = 0;   // a second one
};

struct Caso {
  const char* que;
  int jugadores;
  Entrada entrada;
  float dy1, dy2;  // movement of the left and right paddle in one frame
};

TEST(MatchPaddles, ControlTablesMoveTwelvePixelsAFrame) {
  const Caso casos[] = {
      {"1P: DOWN moves the left paddle", 1, {{KEY_DOWN}}, 12, 0},
      {"1P: UP moves the left paddle", 1, {{KEY_UP}}, -12, 0},
      {"1P: A and Q do nothing", 1, {{KEY_A, KEY_Q}}, 0, 0},
      {"1P: A alone does nothing", 1, {{KEY_A}}, 0, 0},
      {"1P: DOWN and UP together cancel", 1, {{KEY_DOWN, KEY_UP}}, 0, 0},
      {"1P: stick 0 full down", 1, {{}, 0, kLleno}, 12, 0},
      {"1P: stick 0 full up (-32768 reads -1)", 1, {{}, 0, -32768}, -12, 0},
      {"1P: stick 0 at -32767 is -1 too", 1, {{}, 0, -kLleno}, -12, 0},
      {"1P: stick 0 at 0.99 moves nothing", 1, {{}, 0, 32440}, 0, 0},
      {"1P: stick 1 is ignored", 1, {{}, 1, kLleno}, 0, 0},
      {"1P: key down and stick up cancel", 1, {{KEY_DOWN}, 0, -kLleno}, 0, 0},
      {"2P: A moves player 1 down", 2, {{KEY_A}}, 12, 0},
      {"2P: Q moves player 1 up", 2, {{KEY_Q}}, -12, 0},
      {"2P: DOWN moves player 2 down", 2, {{KEY_DOWN}}, 0, 12},
      {"2P: UP moves player 2 up", 2, {{KEY_UP}}, 0, -12},
      {"2P: A and DOWN move both", 2, {{KEY_A, KEY_DOWN}}, 12, 12},
      {"2P: A and Q cancel", 2, {{KEY_A, KEY_Q}}, 0, 0},
      {"2P: stick 0 is player 1's", 2, {{}, 0, kLleno}, 12, 0},
      {"2P: stick 1 is player 2's", 2, {{}, 1, -kLleno}, 0, -12},
      {"2P: both sticks", 2, {{}, 0, -kLleno, 1, kLleno}, -12, 12},
      {"2P: stick 1 at 0.99 moves nothing", 2, {{}, 1, 32440}, 0, 0},
      {"other player counts move nothing", 3, {{KEY_DOWN, KEY_A}, 0, kLleno, 1, kLleno}, 0, 0},
      {"no player count moves nothing", 0, {{KEY_DOWN, KEY_A}, 0, kLleno, 1, kLleno}, 0, 0},
  };
  for (const Caso& c : casos) {
    SCOPED_TRACE(c.que);
    Mesa m(2);
    Nplayers = c.jugadores;
    for (int k : c.entrada.teclas) m.pulsar(k);
    if (c.entrada.puerto >= 0) m.eje(c.entrada.puerto, 1, c.entrada.raw);
    if (c.entrada.puerto2 >= 0) m.eje(c.entrada.puerto2, 1, c.entrada.raw2);
    raqueta1->y = 200;
    raqueta2->y = 200;
    // The ball far from the computer's half, so that it stays still.
    pelota->bx = 100;
    pelota->by = 100;
    raqueta1->update();
    raqueta2->update();
    EXPECT_EQ(raqueta1->y, 200 + c.dy1);
    EXPECT_EQ(raqueta2->y, 200 + c.dy2);
  }
}

TEST(MatchPaddles, StayBetweenFortyAndThreeSeventyThree) {
  struct Limite {
    float desde;
    int tecla;
    int cuadros;
    float hasta;
  };
  const Limite casos[] = {
      {370, KEY_DOWN, 1, 373},  // 382 clamped in the same frame
      {361, KEY_DOWN, 1, 373},  // exactly the limit
      {360, KEY_DOWN, 1, 372},
      {240, KEY_UP, 16, 48},
      {240, KEY_UP, 17, 40},  // 36 clamped
      {52, KEY_UP, 1, 40},    // exactly the limit
      {40, KEY_UP, 3, 40},
      {240, KEY_DOWN, 30, 373},
  };
  for (const Limite& c : casos) {
    Mesa m;
    Nplayers = 2;
    m.pulsar(c.tecla == KEY_DOWN ? KEY_A : KEY_Q);
    m.pulsar(c.tecla);
    raqueta1->y = raqueta2->y = c.desde;
    for (int i = 0; i < c.cuadros; ++i) {
      raqueta1->update();
      raqueta2->update();
    }
    EXPECT_EQ(raqueta1->y, c.hasta) << c.desde << " for " << c.cuadros;
    EXPECT_EQ(raqueta2->y, c.hasta) << c.desde << " for " << c.cuadros;
  }
}

struct CasoMaquina {
  float bx, by, y;
  float despues;
};

TEST(MatchPaddles, TheComputerFollowsTheBallsTopEdgeRightOf350) {
  const CasoMaquina casos[] = {
      {351, 300, 240, 247},
      {351, 200, 240, 233},
      {350, 300, 240, 240},     // not right of 350
      {350.5f, 300, 240, 247},  // just right of it
      {-20, 300, 240, 240},
      {500, 240, 240, 240},     // level: still
      {500, 240.5f, 240, 247},  // no dead zone
      {500, 239.5f, 240, 233},
      {500, 0, 44, 40},         // clamped after its move
      {500, 470, 370, 373},
  };
  for (const CasoMaquina& c : casos) {
    Mesa m;
    Nplayers = 1;
    // The arrows and stick 1 belong to player 1 in a one-player match.
    m.pulsar(KEY_DOWN);
    pelota->bx = c.bx;
    pelota->by = c.by;
    raqueta2->y = c.y;
    raqueta2->update();
    EXPECT_EQ(raqueta2->y, c.despues) << "ball " << c.bx << "," << c.by << " paddle " << c.y;
  }
}

TEST(MatchPaddles, TheComputerHuntsAroundABallBetweenTwoOfItsSteps) {
  Mesa m;
  Nplayers = 1;
  pelota->bx = 400;
  pelota->by = 244;
  raqueta2->y = 240;
  std::vector<float> ys;
  for (int i = 0; i < 4; ++i) {
    raqueta2->update();
    ys.push_back(raqueta2->y);
  }
  EXPECT_EQ(ys, (std::vector<float>{247, 240, 247, 240}));
}

TEST(MatchPaddles, TwoPlayerRightPaddleIgnoresTheBall) {
  Mesa m;
  Nplayers = 2;
  pelota->bx = 500;
  pelota->by = 100;
  raqueta2->y = 240;
  raqueta2->update();
  EXPECT_EQ(raqueta2->y, 240);
}

TEST(MatchPaddles, StandStillWhilePausedAndMoveDuringTheReadySequence) {
  Mesa m;
  m.preparar(1, 7);
  m.pulsar(KEY_DOWN);
  m.cuadro();
  EXPECT_EQ(raqueta1->y, 252);
  EXPECT_EQ(raqueta2->y, 240);  // the ball waits at x = 300
  m.tocar(KEY_ESCAPE);
  m.cuadros(5);
  EXPECT_EQ(raqueta1->y, 252);
}

TEST(MatchPaddles, DrawPictureThenAdditiveGlowAtTheirFloatPosition) {
  Mesa m;
  raqueta1->y = 100.5f;
  raqueta2->y = 373;
  SetBlend(SHADEBLEND);
  raqueta1->render();
  raqueta2->render();
  DrawImage(winner, 0, 0, 0);
  const std::vector<Dibujo> d = m.suelto().dibujos;
  ASSERT_EQ(d.size(), 5u);
  const char* nombres[] = {"gfx2/raqueta1.png", "gfx2/graqueta1.png", "gfx2/raqueta2.png",
                           "gfx2/graqueta2.png", "gfx2/youwinr.png"};
  const float xs[] = {16, 16, 590, 590, 0};
  const float ys[] = {100.5f, 100.5f, 373, 373, 0};
  const int blends[] = {ALPHABLEND, LIGHTBLEND, ALPHABLEND, LIGHTBLEND, ALPHABLEND};
  for (size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(d[i].imagen, nombres[i]);
    EXPECT_EQ(d[i].x, xs[i]);
    EXPECT_EQ(d[i].y, ys[i]);
    EXPECT_EQ(d[i].blend, blends[i]);
  }
}

}  // namespace
