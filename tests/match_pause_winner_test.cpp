// The pause menu over a match and the winner screen after one: how each
// opens, moves, confirms and leaves, and what it draws.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "match/TRaqueta.h"
#include "match/Tball.h"
#include "match/Treloj.h"
#include "match/partida.h"
#include "match_mesa.h"
#include "menus/Tpausar.h"

namespace {

using mesa::Cuadro;
using mesa::De;
using mesa::Dibujo;
using mesa::Mesa;
using mesa::Nombres;

// The pause menu's draws in a frame: the last three, or fewer.
std::vector<std::string> Menu(const Cuadro& q) {
  std::vector<std::string> out;
  for (const Dibujo& d : q.dibujos)
    if (d.imagen == "gfx/back.png" || d.imagen == "gfx/backon.png" ||
        d.imagen == "gfx/continueoff.png" || d.imagen == "gfx/continue.png")
      out.push_back(d.imagen + "@" + std::to_string(static_cast<int>(d.x)) + "," +
                    std::to_string(static_cast<int>(d.y)));
  return out;
}

const std::vector<std::string> kVolver = {"gfx/back.png@64,240", "gfx/continueoff.png@384,240",
                                          "gfx/backon.png@64,240"};
const std::vector<std::string> kSeguir = {"gfx/back.png@64,240", "gfx/continueoff.png@384,240",
                                          "gfx/continue.png@384,240"};

class MatchPause : public ::testing::Test {
 protected:
  MatchPause() : m(1) {
    m.preparar(1, 7);
    m.hastaElJuego();
    m.cuadros(30);
  }
  Mesa m;
};

TEST_F(MatchPause, EscOrButtonOneOpensItInTheSameFrame) {
  m.tocar(KEY_ESCAPE);
  const Cuadro q = m.cuadro();
  EXPECT_EQ(q.entero("pausarjuego"), 1);
  EXPECT_EQ(Menu(q), kVolver);
  // The buttons lie over the whole match picture.
  const std::vector<std::string> n = Nombres(q.dibujos);
  ASSERT_GE(n.size(), 3u);
  EXPECT_EQ(std::vector<std::string>(n.end() - 3, n.end()),
            (std::vector<std::string>{"gfx/back.png", "gfx/continueoff.png", "gfx/backon.png"}));
}

TEST(MatchPauseJoystick, ButtonOneOfJoystickZeroOpensIt) {
  for (int puerto : {0, 1}) {
    Mesa m(2);
    m.preparar(1, 7);
    m.boton(puerto, 1);
    const Cuadro q = m.cuadro();
    EXPECT_EQ(q.entero("pausarjuego"), puerto == 0 ? 1 : 0) << "port " << puerto;
  }
  Mesa m(1);
  m.preparar(1, 7);
  m.boton(0, 0);  // button 0 confirms, it does not pause
  EXPECT_EQ(m.cuadro().entero("pausarjuego"), 0);
}

TEST_F(MatchPause, AButtonPressWithAnEscStaysPendingForLater) {
  m.tocar(KEY_ESCAPE);
  m.boton(0, 1);
  m.cuadro();
  // Not asked in that frame: the press is still counted.
  EXPECT_EQ(JoyHit(1, 0), 1);
}

TEST_F(MatchPause, EscWhilePausedChangesNothing) {
  m.tocar(KEY_ESCAPE);
  m.cuadro();
  continuar->opcion = 2;
  m.tocar(KEY_ESCAPE);
  const Cuadro q = m.cuadro();
  EXPECT_EQ(q.entero("pausarjuego"), 1);
  EXPECT_EQ(q.entero("continuar.opcion"), 2);
}

TEST_F(MatchPause, HoldingADirectionSwitchesEvery250Ms) {
  for (int tecla : {KEY_LEFT, KEY_RIGHT}) {
    m.tocar(KEY_ESCAPE);
    m.cuadro();
    m.pulsar(tecla);
    std::vector<int> cambios;  // ms of each switch
    int opcion = continuar->opcion;
    for (int i = 0; i < 60; ++i) {
      const Cuadro q = m.cuadro();
      if (continuar->opcion != opcion) {
        cambios.push_back(q.ms());
        EXPECT_EQ(q.sonidosDe("sfx/menu.wav"), 1);
      } else {
        EXPECT_EQ(q.sonidosDe("sfx/menu.wav"), 0);
      }
      opcion = continuar->opcion;
    }
    m.soltar(tecla);
    ASSERT_GE(cambios.size(), 3u);
    for (size_t i = 1; i < cambios.size(); ++i) {
      EXPECT_GT(cambios[i] - cambios[i - 1], 250);
      EXPECT_LE(cambios[i] - cambios[i - 1], 267);
    }
    continuar->opcion = 2;
    m.tocar(KEY_SPACE);
    m.cuadro();
    ASSERT_EQ(pausarjuego, 0);
  }
}

TEST_F(MatchPause, TheStickAtFullDeflectionMovesItAndLessDoesNot) {
  m.tocar(KEY_ESCAPE);
  m.cuadro();
  m.eje(0, 0, 32000);
  m.cuadros(40);
  EXPECT_EQ(continuar->opcion, 1);
  m.eje(0, 0, -32768);
  m.cuadros(5);
  EXPECT_EQ(continuar->opcion, 2);
}

TEST_F(MatchPause, ContinueResumesNextFrameAndIsRememberedWithinTheMatch) {
  m.tocar(KEY_ESCAPE);
  m.cuadro();
  m.pulsar(KEY_RIGHT);
  m.cuadro();
  m.soltar(KEY_RIGHT);
  ASSERT_EQ(continuar->opcion, 2);
  const float bx = pelota->bx;
  m.tocar(KEY_SPACE);
  const Cuadro elegido = m.cuadro();
  EXPECT_EQ(elegido.entero("pausarjuego"), 0);
  EXPECT_EQ(elegido.entero("abandono"), 0);
  EXPECT_EQ(pelota->bx, bx);  // that frame was still paused
  EXPECT_EQ(Menu(elegido), kSeguir);
  const Cuadro siguiente = m.cuadro();
  EXPECT_NE(pelota->bx, bx);
  EXPECT_TRUE(Menu(siguiente).empty());
  // No sound on confirming.
  EXPECT_EQ(elegido.sonidosDe("sfx/menu.wav"), 0);

  m.tocar(KEY_ESCAPE);
  EXPECT_EQ(Menu(m.cuadro()), kSeguir);
  // A new match opens it on Back To Menu again.
  m.preparar(1, 7);
  m.tocar(KEY_ESCAPE);
  EXPECT_EQ(Menu(m.cuadro()), kVolver);
}

TEST_F(MatchPause, APendingSpaceConfirmsInTheFrameItOpens) {
  // SPACE pressed during play: nothing in the match asks for it.
  m.tocar(KEY_SPACE);
  m.cuadros(3);
  m.tocar(KEY_ESCAPE);
  const Cuadro q = m.cuadro();
  EXPECT_EQ(q.entero("pausarjuego"), 1);
  EXPECT_EQ(q.entero("abandono"), 1);
  EXPECT_EQ(q.seleccion(), 3);
  EXPECT_EQ(m.cuadro().seleccion(), 1);
}

TEST_F(MatchPause, APendingJoystickButtonConfirmsToo) {
  m.boton(0, 0);
  m.cuadros(3);
  m.tocar(KEY_ESCAPE);
  EXPECT_EQ(m.cuadro().entero("abandono"), 1);
}

class MatchWinner : public ::testing::Test {
 protected:
  // A match just won, on the frame that detects it.
  void ganar(int p1, int p2) {
    m.preparar(2, 7);
    m.hastaElJuego();
    m.cuadros(20);
    ScorePlayer1 = p1;
    ScorePlayer2 = p2;
    m.cuadro();
    ASSERT_EQ(seleccion, 4);
  }
  Mesa m{1};
};

TEST_F(MatchWinner, DrawsTheFinalFieldScoresPaddlesAndClockWithYouWinOnTheWinnersHalf) {
  ganar(7, 3);
  const float y1 = raqueta1->y, y2 = raqueta2->y;
  const Cuadro q = m.cuadro();
  const std::vector<std::string> esperado = {
      "gfx2/velmarino.png", "gfx2/ledplayer1.png", "gfx2/ledplayer2.png", "gfx2/campo.png",
      "gfx2/glowcampo.png", "gfx2/glowcampo.png", "gfx2/siete.png",       "gfx2/tres.png",
      "gfx2/raqueta1.png",  "gfx2/graqueta1.png", "gfx2/raqueta2.png",    "gfx2/graqueta2.png"};
  const std::vector<std::string> n = Nombres(q.dibujos);
  // Then the clock, six cells and two colons at y 8, then You Win.
  ASSERT_EQ(n.size(), esperado.size() + 6 + 2 + 1);
  EXPECT_EQ(std::vector<std::string>(n.begin(), n.begin() + 12), esperado);
  for (size_t i = 12; i < n.size() - 1; ++i) EXPECT_EQ(q.dibujos[i].y, 8) << n[i];
  const Dibujo& gana = q.dibujos.back();
  EXPECT_EQ(gana.imagen, "gfx2/youwinr.png");
  EXPECT_EQ(gana.x, 70);
  EXPECT_EQ(gana.y, 200);
  EXPECT_EQ(gana.blend, ALPHABLEND);
  EXPECT_EQ(gana.sx, 1);
  EXPECT_EQ(gana.alpha, 1);
  EXPECT_EQ(De(q.dibujos, "gfx2/raqueta1.png")[0].y, y1);
  EXPECT_EQ(De(q.dibujos, "gfx2/raqueta2.png")[0].y, y2);
  // Nothing of play: no ball, trail, waves or overlay.
  for (const char* nada : {"gfx2/superpelota.png", "gfx2/energiaesfera2.png", "gfx2/linea.png",
                           "gfx2/ready.png", "gfx2/start.png"})
    EXPECT_TRUE(De(q.dibujos, nada).empty()) << nada;
}

TEST_F(MatchWinner, YouWinGoesRightWhenTheRightSideWon) {
  ganar(4, 7);
  const Cuadro q = m.cuadro();
  EXPECT_EQ(q.dibujos.back().imagen, "gfx2/youwinr.png");
  EXPECT_EQ(q.dibujos.back().x, 400);
  EXPECT_EQ(q.dibujos.back().y, 200);
}

TEST_F(MatchWinner, NothingMovesUntilSpaceOrButtonZero) {
  ganar(7, 0);
  const float bx = pelota->bx, y1 = raqueta1->y;
  const int s = segundos;
  m.pulsar(KEY_DOWN);
  m.cuadros(200);
  EXPECT_EQ(seleccion, 4);
  EXPECT_EQ(pelota->bx, bx);
  EXPECT_EQ(raqueta1->y, y1);
  EXPECT_EQ(segundos, s);
  m.boton(0, 0);
  const Cuadro q = m.cuadro();
  EXPECT_EQ(q.seleccion(), 1);
  EXPECT_EQ(segundos, 0);
}

TEST_F(MatchWinner, APendingSpaceEndsItInItsFirstFrame) {
  m.preparar(2, 7);
  m.hastaElJuego();
  m.tocar(KEY_SPACE);  // pressed during play
  ScorePlayer1 = 7;
  const Cuadro deteccion = m.cuadro();
  ASSERT_EQ(deteccion.seleccion(), 4);
  const Cuadro unico = m.cuadro();
  EXPECT_EQ(De(unico.dibujos, "gfx2/youwinr.png").size(), 1u);
  EXPECT_EQ(unico.seleccion(), 1);
}

}  // namespace
