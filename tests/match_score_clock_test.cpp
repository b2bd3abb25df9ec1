// The score rows and the match clock: where each digit goes for one, two and
// three digits, the clock's leading zeros and their blend, and when the
// clock counts, carries and is set back to zero.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "match/Tball.h"
#include "match/Treloj.h"
#include "match/partida.h"
#include "match/puntuacion.h"
#include "match_mesa.h"

namespace {

using mesa::Cuadro;
using mesa::Dibujo;
using mesa::Mesa;

const char* const kDigito[10] = {"gfx2/cero.png",   "gfx2/uno.png",   "gfx2/dos.png",
                                 "gfx2/tres.png",   "gfx2/cuatro.png", "gfx2/cinco.png",
                                 "gfx2/seis.png",   "gfx2/siete.png", "gfx2/ocho.png",
                                 "gfx2/nueve.png"};

struct Fila {
  int valor;
  std::vector<float> x1;  // player 1's digits
  std::vector<float> x2;  // player 2's
};

TEST(MatchScore, RowsSitAtTheirPositionsForOneTwoAndThreeDigits) {
  const Fila filas[] = {
      {0, {263}, {340}},
      {7, {263}, {340}},
      {10, {231, 261}, {340, 370}},
      {99, {231, 261}, {340, 370}},
      {100, {199, 229, 259}, {340, 370, 400}},
      {507, {199, 229, 259}, {340, 370, 400}},
      {1234, {167, 197, 227, 257}, {340, 370, 400, 430}},
  };
  for (const Fila& f : filas) {
    Mesa m;
    ScorePlayer1 = f.valor;
    ScorePlayer2 = f.valor;
    SetBlend(SHADEBLEND);
    DibujarPuntuacion();
    DrawImage(winner, 0, 0, 0);
    const std::vector<Dibujo> d = m.suelto().dibujos;
    const std::string texto = std::to_string(f.valor);
    ASSERT_EQ(d.size(), f.x1.size() + f.x2.size() + 1) << f.valor;
    for (size_t i = 0; i < d.size() - 1; ++i) {
      const bool primero = i < f.x1.size();
      const size_t k = primero ? i : i - f.x1.size();
      SCOPED_TRACE(std::to_string(f.valor) + (primero ? " player 1 digit " : " player 2 digit ") +
                   std::to_string(k));
      EXPECT_EQ(d[i].imagen, kDigito[texto[k] - '0']);
      EXPECT_EQ(d[i].x, primero ? f.x1[k] : f.x2[k]);
      EXPECT_EQ(d[i].y, 45);
      EXPECT_EQ(d[i].blend, LIGHTBLEND);
      EXPECT_EQ(d[i].sx, 1);
    }
    EXPECT_EQ(d.back().blend, ALPHABLEND);
  }
}

TEST(MatchScore, OnlyADigitCharacterSelectsAPicture) {
  Mesa m;
  ElegirDigito("7");
  EXPECT_EQ(TempImage, siete);
  for (const char* otro : {"", "a", "-", "77", " ", "/", ":"}) {
    ElegirDigito(otro);
    EXPECT_EQ(TempImage, siete) << '"' << otro << '"';
  }
  ElegirDigito("0");
  EXPECT_EQ(TempImage, cero);
  ElegirDigito("9");
  EXPECT_EQ(TempImage, nueve);
}

struct Hora {
  int h, m, s;
  std::vector<std::pair<float, std::string>> celdas;  // x and digit, left to right
};

// The clock's digit draws, ordered by x.
std::vector<std::pair<float, std::string>> Celdas(const std::vector<Dibujo>& d) {
  std::vector<std::pair<float, std::string>> out;
  for (const Dibujo& x : d)
    if (x.imagen != "gfx2/puntos.png") out.emplace_back(x.x, x.imagen);
  std::sort(out.begin(), out.end());
  return out;
}

TEST(MatchClock, FieldsSitAtTheirCellsWithLeadingZeros) {
  const char* c = "gfx2/cero.png";
  const Hora casos[] = {
      {0, 0, 0, {{267, c}, {281, c}, {305, c}, {319, c}, {344, c}, {358, c}}},
      {0, 0, 1, {{267, c}, {281, c}, {305, c}, {319, c}, {344, c}, {358, kDigito[1]}}},
      {1, 23, 45,
       {{267, c}, {281, kDigito[1]}, {305, kDigito[2]}, {319, kDigito[3]}, {344, kDigito[4]},
        {358, kDigito[5]}}},
      {100, 0, 59,
       {{267, kDigito[1]}, {281, c}, {295, c}, {305, c}, {319, c}, {344, kDigito[5]},
        {358, kDigito[9]}}},
  };
  for (const Hora& h : casos) {
    Mesa m;
    horas = h.h;
    minutos = h.m;
    segundos = h.s;
    temporizadorRender(253, 8);
    const std::vector<Dibujo> d = m.suelto().dibujos;
    EXPECT_EQ(Celdas(d), h.celdas) << h.h << ":" << h.m << ":" << h.s;
    std::vector<float> dos;
    for (const Dibujo& x : d) {
      EXPECT_EQ(x.y, 8);
      EXPECT_FLOAT_EQ(x.sx, 0.4f);
      EXPECT_FLOAT_EQ(x.sy, 0.4f);
      if (x.imagen == "gfx2/puntos.png") dos.push_back(x.x);
    }
    EXPECT_EQ(dos, (std::vector<float>{293, 331}));
  }
}

TEST(MatchClock, TheFirstLeadingZeroTakesTheBlendInForceAndTheRestAddUp) {
  for (int entrada : {ALPHABLEND, LIGHTBLEND}) {
    Mesa m;
    segundos = 5;
    minutos = 7;
    horas = 0;
    SetBlend(entrada);
    SetScale(1, 0.3f);  // as the ready/start overlay leaves it
    temporizadorRender(253, 8);
    DrawImage(winner, 0, 0, 0);
    const std::vector<Dibujo> d = m.suelto().dibujos;
    // seconds: zero, 5; minutes: zero, 7; hours: zero, zero; two colons; probe.
    ASSERT_EQ(d.size(), 9u);
    const int blends[] = {entrada, LIGHTBLEND, ALPHABLEND, LIGHTBLEND, ALPHABLEND,
                          LIGHTBLEND, ALPHABLEND, ALPHABLEND, ALPHABLEND};
    const float xs[] = {344, 358, 305, 319, 267, 281, 293, 331, 0};
    for (size_t i = 0; i < d.size(); ++i) {
      EXPECT_EQ(d[i].blend, blends[i]) << "entry blend " << entrada << ", draw " << i;
      EXPECT_EQ(d[i].x, xs[i]) << i;
    }
    EXPECT_EQ(d.back().sx, 1);
    EXPECT_EQ(d.back().sy, 1);
  }
}

TEST(MatchClock, CountsOneSecondAPastTheDeadlineAndCarries) {
  struct Paso {
    int h, m, s;
    int milise;  // relative to now
    int hTras, mTras, sTras;
  };
  const Paso pasos[] = {
      {0, 0, 0, -1, 0, 0, 1},   {0, 0, 0, 0, 0, 0, 0},  // strictly past only
      {0, 0, 59, -1, 0, 1, 0},  {0, 59, 59, -1, 1, 0, 0},
      {7, 59, 58, -1, 7, 59, 59}, {99, 59, 59, -5000, 100, 0, 0},
  };
  for (const Paso& p : pasos) {
    Mesa m;
    horas = p.h;
    minutos = p.m;
    segundos = p.s;
    const int ahora = MilliSecs();
    milise = ahora + p.milise;
    TemporizadorUpdate();
    EXPECT_EQ(horas, p.hTras) << p.h << ":" << p.m << ":" << p.s;
    EXPECT_EQ(minutos, p.mTras) << p.h << ":" << p.m << ":" << p.s;
    EXPECT_EQ(segundos, p.sTras) << p.h << ":" << p.m << ":" << p.s;
    // One second per call at most; the next deadline counts from this call.
    EXPECT_EQ(milise, p.milise < 0 ? ahora + 1000 : ahora + p.milise);
  }
}

TEST(MatchClock, CountsOnlyInFramesOfPlayAndStartsAtOneInTheFirst) {
  Mesa m;
  m.preparar(1, 7);
  const int deadline = milise;
  m.hastaElJuego();
  EXPECT_EQ(segundos, 0);
  EXPECT_EQ(milise, deadline);  // the sequence leaves the deadline alone
  const Cuadro primero = m.cuadro();
  EXPECT_EQ(primero.entero("segundos"), 1);
  EXPECT_EQ(milise, primero.ms() + 1000);

  // A ten-second pause: nothing counted during it, one at once after it.
  m.tocar(KEY_ESCAPE);
  m.cuadro();
  const int antes = segundos;
  m.cuadros(600);
  EXPECT_EQ(segundos, antes);
  continuar->opcion = 2;
  m.tocar(KEY_SPACE);
  const Cuadro continua = m.cuadro();
  EXPECT_EQ(continua.entero("pausarjuego"), 0);
  EXPECT_EQ(segundos, antes);
  m.cuadro();
  EXPECT_EQ(segundos, antes + 1);
  // Then one in the first frame more than 1000 ms later: 61 frames on.
  m.cuadros(60);
  EXPECT_EQ(segundos, antes + 1);
  m.cuadro();
  EXPECT_EQ(segundos, antes + 2);
}

TEST(MatchClock, ASecondLastsAtLeast1001Milliseconds) {
  Mesa m;
  m.preparar(1, kSinLimite);
  m.hastaElJuego();
  m.cuadro();
  std::vector<int> cuentas;
  int ultimo = segundos;
  for (int i = 0; i < 60 * 20; ++i) {
    const Cuadro q = m.cuadro();
    if (segundos != ultimo) cuentas.push_back(q.ms());
    ultimo = segundos;
  }
  ASSERT_GE(cuentas.size(), 18u);
  for (size_t i = 1; i < cuentas.size(); ++i) EXPECT_GT(cuentas[i] - cuentas[i - 1], 1000);
  EXPECT_LT(cuentas.size(), 20u);  // slower than real time
}

TEST(MatchClock, IsResetOnQuittingAndOnLeavingTheWinnerScreenButNotBySetUp) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  m.cuadros(130);
  ASSERT_GE(segundos, 2);
  const int s = segundos;
  iniciarJuego();
  EXPECT_EQ(segundos, s);

  // Quit from the pause menu.
  m.preparar(1, 7);
  m.hastaElJuego();
  m.cuadros(130);
  ASSERT_GT(segundos, 0);
  m.tocar(KEY_ESCAPE);
  m.tocar(KEY_SPACE);
  m.cuadro();
  EXPECT_GT(segundos, 0);
  const Cuadro fuera = m.cuadro();
  EXPECT_EQ(fuera.seleccion(), 1);
  EXPECT_EQ(segundos + minutos + horas, 0);
  EXPECT_EQ(milise, fuera.ms() + 1000);

  // Leave the winner screen.
  m.preparar(1, 7);
  m.hastaElJuego();
  m.cuadros(130);
  ScorePlayer2 = 7;
  m.cuadro();
  ASSERT_EQ(seleccion, 4);
  const int alFinal = segundos;
  ASSERT_GT(alFinal, 0);
  m.cuadros(100);
  EXPECT_EQ(segundos, alFinal);  // frozen on the winner screen
  m.tocar(KEY_SPACE);
  const Cuadro salida = m.cuadro();
  EXPECT_EQ(salida.seleccion(), 1);
  EXPECT_EQ(segundos + minutos + horas, 0);
}

}  // namespace
