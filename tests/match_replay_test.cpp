// Whole matches through the real program on the headless harness: chosen
// from the menus, played to the winning point, the winner screen, and back
// to the main menu. Players are either a fixed script or a small observer
// that works the keys or the sticks as a person would, frame by frame.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "match/TRaqueta.h"
#include "match/Tball.h"
#include "match/Treloj.h"
#include "match/partida.h"
#include "match_mesa.h"
#include "platform/embed.h"
#include "platform/image.h"
#include "platform/replay.h"
#include "shell/neonrally.h"

namespace {

using mesa::Cuadro;

// Keeps each paddle's middle on the ball's while the ball is in its half,
// with keys or a stick at full deflection, or leaves it alone.
class Jugador final : public nr::FrameObserver {
 public:
  enum Mando { kNada, kFlechas, kAQ, kStick0, kStick1 };
  Jugador(Mando izquierda, Mando derecha) : izq_(izquierda), der_(derecha) {}

  void beforePresent(long, const std::vector<nr::DrawCmd>& cmds) override {
    for (const nr::DrawCmd& d : cmds)
      if (d.image && d.image->name == "gfx2/youwinr.png") {
        ganador_.push_back(d);
        ultimoDibujo_ = cmds.back();
      }
  }
  void afterPresent(long) override {
    if (seleccion != 3 || !pelota || !raqueta1 || !raqueta2) return;
    mover(izq_, raqueta1->y, pelota->bx < 330);
    mover(der_, raqueta2->y, pelota->bx > 310);
  }
  // Every You Win drawn, and the last draw of the last frame that drew one.
  const std::vector<nr::DrawCmd>& ganador() const { return ganador_; }
  const nr::DrawCmd& ultimoDibujo() const { return ultimoDibujo_; }

 private:
  void mover(Mando m, float y, bool atento) {
    const float bola = pelota->by + 12;
    const float centro = y + 32;
    const bool abajo = atento && bola > centro + 8;
    const bool arriba = atento && bola < centro - 8;
    switch (m) {
      case kNada:
        break;
      case kFlechas:
        nr::Input().key(KEY_DOWN, abajo);
        nr::Input().key(KEY_UP, arriba);
        break;
      case kAQ:
        nr::Input().key(KEY_A, abajo);
        nr::Input().key(KEY_Q, arriba);
        break;
      case kStick0:
      case kStick1:
        nr::Input().joyAxis(m == kStick0 ? 0 : 1, 1, abajo ? 32767 : arriba ? -32767 : 0);
        break;
    }
  }
  Mando izq_, der_;
  std::vector<nr::DrawCmd> ganador_;
  nr::DrawCmd ultimoDibujo_;
};

struct Partido {
  nr::ReplayResult r;
  std::vector<Cuadro> cuadros;
};

// The whole program needs the game's pictures, which a build made before
// they were generated lacks (and loading a missing one ends the process).
bool HayCatalogo() { return nr::FindEmbedded("gfx2/campo.png") != nullptr; }

Partido Jugar(const std::string& guion, int joysticks, nr::FrameObserver* jugador, long frames) {
  nr::ReplayOptions o;
  std::string error;
  EXPECT_TRUE(nr::ParseInputScript(guion, o.events, error)) << error;
  o.trace = true;
  o.traceKinds = nr::kTraceState | nr::kTraceSound | nr::kTraceEnd;
  o.frames = frames;
  o.joysticks = joysticks;
  RegistrarEstadoTraza();
  Partido p;
  p.r = nr::RunReplay(o, NeonRallyMain, jugador);
  p.cuadros = mesa::LeerCuadros(p.r.trace);
  return p;
}

// Checks a match from its first frame to the main menu after the winner
// screen: points one at a time with a serve each, the win detected the frame
// after the winning point, the clock reset on leaving. Returns the winner
// screen's first frame.
long Recorrer(const Partido& p, int tantos, int ganaP1, int ganaP2) {
  const std::vector<Cuadro>& c = p.cuadros;
  long inicio = -1, ganador = -1, menu = -1;
  int p1 = 0, p2 = 0;
  for (long f = 0; f < static_cast<long>(c.size()); ++f) {
    const Cuadro& q = c[static_cast<size_t>(f)];
    if (!q.tiene("seleccion")) continue;
    const int s = q.seleccion();
    if (s == 3 && inicio < 0) inicio = f;
    if (inicio < 0) continue;
    if (s == 4 && ganador < 0) ganador = f;
    if (s == 1 && ganador >= 0) {
      menu = f;
      break;
    }
    if (ganador >= 0) continue;
    const int n1 = q.entero("ScorePlayer1"), n2 = q.entero("ScorePlayer2");
    if (n1 != p1 || n2 != p2) {
      EXPECT_EQ((n1 - p1) + (n2 - p2), 1) << "frame " << f;
      EXPECT_EQ(q.sonidosDe("sfx2/gol.wav"), 1) << "frame " << f;
      EXPECT_EQ(q.entero("pelota.bx"), 300) << "frame " << f;
      EXPECT_EQ(q.entero("pelota.sx"), n1 != p1 ? -4 : 4) << "serve towards the scorer, frame " << f;
      p1 = n1;
      p2 = n2;
    }
  }
  EXPECT_GE(inicio, 0);
  EXPECT_GE(ganador, 0) << "the match was not won";
  EXPECT_GE(menu, 0) << "the winner screen was not left";
  if (ganador < 0 || menu < 0) return -1;
  EXPECT_EQ(p1, ganaP1);
  EXPECT_EQ(p2, ganaP2);
  EXPECT_EQ(c[static_cast<size_t>(ganador)].entero("Tantos"), tantos);
  // `ganador` is the match frame that detects the win; the point was scored
  // in the frame before, which did not.
  const Cuadro& punto = c[static_cast<size_t>(ganador - 1)];
  EXPECT_EQ(punto.seleccion(), 3);
  EXPECT_TRUE(punto.entero("ScorePlayer1") == tantos || punto.entero("ScorePlayer2") == tantos);
  const Cuadro& antes = c[static_cast<size_t>(ganador - 2)];
  EXPECT_EQ(antes.entero("ScorePlayer1") + antes.entero("ScorePlayer2"), ganaP1 + ganaP2 - 1);
  EXPECT_GT(c[static_cast<size_t>(ganador - 1)].entero("segundos") +
                60 * c[static_cast<size_t>(ganador - 1)].entero("minutos"),
            0);
  // The frame that leaves records seleccion 1 and the clock already at zero.
  EXPECT_GT(c[static_cast<size_t>(menu - 1)].entero("segundos") +
                60 * c[static_cast<size_t>(menu - 1)].entero("minutos"),
            0);
  EXPECT_EQ(c[static_cast<size_t>(menu)].entero("segundos"), 0);
  EXPECT_EQ(c[static_cast<size_t>(menu)].entero("minutos"), 0);
  return ganador;
}

// The winner screen drew You Win at (x, 200), last, in `cuadros` frames.
void YouWinEn(const Jugador& j, float x, size_t cuadros) {
  EXPECT_EQ(j.ganador().size(), cuadros);
  for (const nr::DrawCmd& d : j.ganador()) {
    EXPECT_EQ(d.x, x);
    EXPECT_EQ(d.y, 200);
  }
  EXPECT_EQ(j.ultimoDibujo().image->name, "gfx2/youwinr.png");
}

// SPACE past the intro; 1 Player and 7 points confirmed with SPACE.
const char* kUnJugadorA7 =
    "0 tap SPACE\n"
    "80 tap SPACE\n"
    "100 tap SPACE\n";

TEST(MatchReplay, AOnePlayerMatchToSevenOnTheKeyboardAgainstAStillPlayer) {
  if (!HayCatalogo()) GTEST_SKIP() << "no game assets in this build";
  // Nobody touches a key during play: the computer wins 7 to 0, then SPACE
  // leaves the winner screen.
  std::string guion = kUnJugadorA7;
  Jugador nadie(Jugador::kNada, Jugador::kNada);
  Partido p = Jugar(guion, 0, &nadie, 12000);
  ASSERT_FALSE(p.cuadros.empty());
  long f = -1;
  for (size_t i = 0; i < p.cuadros.size(); ++i)
    if (p.cuadros[i].tiene("seleccion") && p.cuadros[i].seleccion() == 4) {
      f = static_cast<long>(i);
      break;
    }
  ASSERT_GT(f, 0) << "no winner screen in 12000 frames";
  // Leave it: a second run with SPACE on the winner screen's second frame.
  guion += std::to_string(f + 1) + " tap SPACE\n";
  Jugador nadie2(Jugador::kNada, Jugador::kNada);
  p = Jugar(guion, 0, &nadie2, f + 10);
  EXPECT_EQ(Recorrer(p, 7, 0, 7), f);
  // The pending SPACE ends the winner screen in its first frame.
  YouWinEn(nadie2, 400, 1);
}

TEST(MatchReplay, AOnePlayerMatchToSevenPlayedOnTheArrows) {
  if (!HayCatalogo()) GTEST_SKIP() << "no game assets in this build";
  Jugador jugador(Jugador::kFlechas, Jugador::kNada);
  Partido p = Jugar(kUnJugadorA7, 0, &jugador, 60000);
  long ganador = -1;
  for (size_t i = 0; i < p.cuadros.size(); ++i)
    if (p.cuadros[i].tiene("seleccion") && p.cuadros[i].seleccion() == 4) {
      ganador = static_cast<long>(i);
      break;
    }
  ASSERT_GT(ganador, 0) << "not won within 60000 frames";
  std::string guion = std::string(kUnJugadorA7) + std::to_string(ganador + 2) + " tap SPACE\n";
  Jugador otra(Jugador::kFlechas, Jugador::kNada);
  p = Jugar(guion, 0, &otra, ganador + 10);
  const Cuadro& fin = p.cuadros[static_cast<size_t>(ganador - 1)];
  const int p1 = fin.entero("ScorePlayer1"), p2 = fin.entero("ScorePlayer2");
  EXPECT_TRUE(p1 == 7 || p2 == 7);
  EXPECT_EQ(Recorrer(p, 7, p1, p2), ganador);
  YouWinEn(otra, p1 > p2 ? 70 : 400, 2);
  // The arrows moved the left paddle and nothing else: the right one is the computer's.
  bool movio = false;
  for (const Cuadro& q : p.cuadros)
    if (q.tiene("raqueta1.y") && q.entero("raqueta1.y") != 240) movio = true;
  EXPECT_TRUE(movio);
}

TEST(MatchReplay, ATwoPlayerMatchWithTwoJoysticksPlayedToTheEnd) {
  if (!HayCatalogo()) GTEST_SKIP() << "no game assets in this build";
  // Stick 0 right to 2 Players, button 0 to confirm; button 0 again for 7
  // points; then both sticks play.
  const char* guion =
      "0 tap SPACE\n"
      "90 axis 0 0 32767\n"
      "92 axis 0 0 0\n"
      "100 button 0 0\n"
      "101 unbutton 0 0\n"
      "120 button 0 0\n"
      "121 unbutton 0 0\n";
  Jugador dos(Jugador::kStick0, Jugador::kStick1);
  Partido p = Jugar(guion, 2, &dos, 80000);
  long ganador = -1;
  for (size_t i = 0; i < p.cuadros.size(); ++i) {
    const Cuadro& q = p.cuadros[i];
    if (q.tiene("seleccion") && q.seleccion() == 3) {
      EXPECT_EQ(q.entero("Nplayers"), 2);
    }
    if (q.tiene("seleccion") && q.seleccion() == 4) {
      ganador = static_cast<long>(i);
      break;
    }
  }
  ASSERT_GT(ganador, 0) << "not won within 80000 frames";
  std::string fin = std::string(guion) + std::to_string(ganador + 1) + " button 0 0\n" +
                    std::to_string(ganador + 2) + " unbutton 0 0\n";
  Jugador otra(Jugador::kStick0, Jugador::kStick1);
  p = Jugar(fin, 2, &otra, ganador + 10);
  const Cuadro& ultimo = p.cuadros[static_cast<size_t>(ganador - 1)];
  const int p1 = ultimo.entero("ScorePlayer1"), p2 = ultimo.entero("ScorePlayer2");
  EXPECT_EQ(Recorrer(p, 7, p1, p2), ganador);
  YouWinEn(otra, p1 > p2 ? 70 : 400, 1);
}

}  // namespace
