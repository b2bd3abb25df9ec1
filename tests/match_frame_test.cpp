// The match frame: what it updates and draws, in which order, in frames of
// play, paused frames, frames held back by the ready/start sequence and
// frames that leave the match; the playfield; the set-up of a match.
#include <gtest/gtest.h>

#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "effects/TestelaBola.h"
#include "effects/TwaveF.h"
#include "match/TRaqueta.h"
#include "match/Tball.h"
#include "match/Treloj.h"
#include "match/partida.h"
#include "match/readyM.h"
#include "match_mesa.h"
#include "menus/Tpausar.h"

namespace {

using mesa::Cuadro;
using mesa::De;
using mesa::Dibujo;
using mesa::Mesa;
using mesa::Nombres;

std::vector<std::string> Repetir(const std::string& n, int veces) {
  return std::vector<std::string>(static_cast<size_t>(veces), n);
}

void Anadir(std::vector<std::string>& a, const std::vector<std::string>& b) {
  a.insert(a.end(), b.begin(), b.end());
}

const std::vector<std::string> kCampo1P = {"gfx2/velmarino.png", "gfx2/ledplayer1.png",
                                           "gfx2/ledcomputer.png", "gfx2/campo.png",
                                           "gfx2/glowcampo.png", "gfx2/glowcampo.png"};
const std::vector<std::string> kRaquetas = {"gfx2/raqueta1.png", "gfx2/graqueta1.png",
                                            "gfx2/raqueta2.png", "gfx2/graqueta2.png"};
const std::vector<std::string> kBola = {"gfx2/superpelota.png", "gfx2/gsuperpelota.png"};
const std::vector<std::string> kOndaRoja = {"gfx2/ondaroja.png", "gfx2/gondaroja.png",
                                            "gfx2/linea.png", "gfx2/linea.png"};
const std::vector<std::string> kAviso = {"gfx2/ready.png", "gfx2/starts.png", "gfx2/starts.png"};
// 0:0 and a clock at 00:00:0s, s a single digit.
std::vector<std::string> Marcador00() { return {"gfx2/cero.png", "gfx2/cero.png"}; }
std::vector<std::string> Reloj(const std::string& unidadSegundos) {
  return {"gfx2/cero.png", unidadSegundos,  "gfx2/cero.png", "gfx2/cero.png",
          "gfx2/cero.png", "gfx2/cero.png", "gfx2/puntos.png", "gfx2/puntos.png"};
}

TEST(MatchFrame, AFrameOfPlayDrawsBackToFront) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  // A burst asked for before the frame is launched in its step 7 and drawn
  // over the ball.
  ActivarOnda();
  PelotazoX = 100;
  PelotazoY = 200;
  PelotazoC = 2;
  const Cuadro q = m.cuadro();

  std::vector<std::string> esperado = kCampo1P;
  Anadir(esperado, Marcador00());
  Anadir(esperado, kRaquetas);
  Anadir(esperado, Repetir("gfx2/energiaesfera2.png", 20));
  Anadir(esperado, kBola);
  Anadir(esperado, kOndaRoja);
  Anadir(esperado, Reloj("gfx2/uno.png"));  // the first frame of play already counts
  EXPECT_EQ(Nombres(q.dibujos), esperado);
}

TEST(MatchFrame, WhilePlayIsHeldBackOnlyThePaddlesMove) {
  Mesa m;
  m.preparar(1, 7);
  m.pulsar(KEY_DOWN);
  const Cuadro primero = m.cuadro();
  EXPECT_EQ(primero.entero("lanzarReady"), 0);
  EXPECT_EQ(primero.entero("ReadyEstado"), 0);
  // Neither the ball nor its trail, and no overlay during the first 800 ms.
  std::vector<std::string> esperado = kCampo1P;
  Anadir(esperado, Marcador00());
  Anadir(esperado, kRaquetas);
  Anadir(esperado, Reloj("gfx2/cero.png"));
  EXPECT_EQ(Nombres(primero.dibujos), esperado);
  EXPECT_EQ(raqueta1->y, 252);
  EXPECT_EQ(pelota->bx, 300);
  EXPECT_EQ(pelota->by, 240);

  const int milise0 = milise;
  m.hasta([] { return ReadyEstado == 2; });
  EXPECT_EQ(raqueta1->y, 373);
  EXPECT_EQ(pelota->bx, 300);
  EXPECT_EQ(pposx[0], -30);
  EXPECT_EQ(segundos, 0);
  EXPECT_EQ(milise, milise0);
  // The grow frames draw the overlay after the paddles, with no ball.
  const Cuadro crece = m.todos().back();
  std::vector<std::string> conAviso = kCampo1P;
  Anadir(conAviso, Marcador00());
  Anadir(conAviso, kRaquetas);
  Anadir(conAviso, kAviso);
  Anadir(conAviso, Reloj("gfx2/cero.png"));
  EXPECT_EQ(Nombres(crece.dibujos), conAviso);
}

TEST(MatchFrame, APausedFrameMovesNothingAndStillEmitsAndDraws) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  m.cuadros(90);
  const float bx = pelota->bx, by = pelota->by;
  const auto trailX = pposx;
  const int s = segundos;
  const int milise0 = milise;

  ScorePlayer1 = ScorePlayer2 = 0;
  m.pulsar(KEY_DOWN);
  m.tocar(KEY_ESCAPE);
  ActivarOnda();
  PelotazoX = 300;
  PelotazoY = 100;
  PelotazoC = 2;
  const float y1 = raqueta1->y;
  const Cuadro q = m.cuadro();
  EXPECT_EQ(q.entero("pausarjuego"), 1);
  EXPECT_EQ(pelota->bx, bx);
  EXPECT_EQ(pelota->by, by);
  EXPECT_EQ(pposx, trailX);
  EXPECT_EQ(segundos, s);
  EXPECT_EQ(milise, milise0);
  EXPECT_EQ(raqueta1->y, y1);
  EXPECT_EQ(ListaO->Count(), 1);

  // Everything is drawn, the pause menu last, over the halted match.
  std::vector<std::string> esperado = kCampo1P;
  Anadir(esperado, Marcador00());
  Anadir(esperado, kRaquetas);
  Anadir(esperado, Repetir("gfx2/energiaesfera2.png", 20));
  Anadir(esperado, kBola);
  Anadir(esperado, kOndaRoja);
  const std::vector<std::string> nombres = Nombres(q.dibujos);
  ASSERT_GT(nombres.size(), esperado.size() + 3);
  EXPECT_EQ(std::vector<std::string>(nombres.begin(), nombres.begin() + static_cast<long>(esperado.size())),
            esperado);
  EXPECT_EQ(std::vector<std::string>(nombres.end() - 3, nombres.end()),
            (std::vector<std::string>{"gfx/back.png", "gfx/continueoff.png", "gfx/backon.png"}));

  // The trail is frozen where it was but still drawn, each orb on its node.
  const std::vector<Dibujo> orbes = De(q.dibujos, "gfx2/energiaesfera2.png");
  ASSERT_EQ(orbes.size(), 20u);
  for (size_t i = 0; i < 20; ++i) EXPECT_EQ(orbes[i].x, static_cast<float>(trailX[i]));
}

TEST(MatchFrame, TheFrameAfterTheWinningPointRunsInFullThenTheWinnerScreen) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  m.cuadro();
  ScorePlayer1 = 6;
  // Just short of the right goal line, moving right: scores in the next update.
  pelota->bx = 639;
  pelota->by = 200;
  pelota->sx = 4;
  pelota->sy = 4;
  const Cuadro gol = m.cuadro();
  EXPECT_EQ(gol.entero("ScorePlayer1"), 7);
  EXPECT_EQ(gol.seleccion(), 3);
  const std::vector<Dibujo> siete = De(gol.dibujos, "gfx2/siete.png");
  ASSERT_EQ(siete.size(), 1u);
  EXPECT_EQ(siete[0].x, 263);

  m.pulsar(KEY_UP);
  const float bx = pelota->bx, y1 = raqueta1->y;
  const Cuadro deteccion = m.cuadro();
  EXPECT_EQ(deteccion.seleccion(), 4);
  EXPECT_NE(pelota->bx, bx);
  EXPECT_EQ(raqueta1->y, y1 - 12);
  EXPECT_EQ(De(deteccion.dibujos, "gfx2/superpelota.png").size(), 1u);
  EXPECT_EQ(De(deteccion.dibujos, "gfx2/youwinr.png").size(), 0u);

  const Cuadro ganador = m.cuadro();
  EXPECT_EQ(De(ganador.dibujos, "gfx2/superpelota.png").size(), 0u);
  EXPECT_EQ(De(ganador.dibujos, "gfx2/youwinr.png").size(), 1u);
}

TEST(MatchFrame, AMatchWithoutLimitIsNeverWon) {
  Mesa m;
  m.preparar(2, kSinLimite);
  m.hastaElJuego();
  for (int puntos : {0, 7, 15, 21, 100, 1000}) {
    ScorePlayer1 = puntos;
    ScorePlayer2 = puntos;
    EXPECT_EQ(m.cuadro().seleccion(), 3) << puntos;
  }
}

TEST(MatchFrame, QuittingStillDrawsTwoMatchFramesWithTheClockAtZero) {
  Mesa m;
  m.preparar(1, 7);
  m.hastaElJuego();
  m.cuadros(200);
  ASSERT_GT(segundos, 0);
  m.tocar(KEY_ESCAPE);
  m.tocar(KEY_SPACE);  // pending: confirms Back To Menu as the menu opens
  const Cuadro elegido = m.cuadro();
  EXPECT_EQ(elegido.entero("abandono"), 1);
  EXPECT_EQ(elegido.seleccion(), 3);
  EXPECT_GT(elegido.entero("segundos"), 0);

  const Cuadro ultimo = m.cuadro();
  EXPECT_EQ(ultimo.seleccion(), 1);
  EXPECT_EQ(ultimo.entero("segundos"), 0);
  EXPECT_EQ(ultimo.entero("pausarjuego"), 1);
  EXPECT_EQ(ultimo.entero("abandono"), 1);
  // Still the match and the pause menu, and the clock already reads zero.
  EXPECT_EQ(De(ultimo.dibujos, "gfx2/superpelota.png").size(), 1u);
  EXPECT_EQ(Nombres(ultimo.dibujos).back(), "gfx/backon.png");
  for (const Dibujo& d : ultimo.dibujos)
    if (d.y == 8) {  // the clock's row
      EXPECT_TRUE(d.imagen == "gfx2/cero.png" || d.imagen == "gfx2/puntos.png") << d.imagen;
    }
}

struct CasoCampo {
  int jugadores;
  const char* etiqueta;  // nullptr: none
};

TEST(MatchPlayfield, DrawsBannerLabelsAndDoubledGlowInItsOwnState) {
  for (const CasoCampo& c : {CasoCampo{1, "gfx2/ledcomputer.png"}, CasoCampo{2, "gfx2/ledplayer2.png"},
                             CasoCampo{0, nullptr}, CasoCampo{3, nullptr}}) {
    Mesa m;
    Nplayers = c.jugadores;
    // The banner and labels take whatever blend and alpha are in force.
    SetBlend(SHADEBLEND);
    SetAlpha(0.5f);
    DibujarCampo();
    DrawImage(winner, 0, 0, 0);  // shows the state left behind
    const std::vector<Dibujo> d = m.suelto().dibujos;

    std::vector<Dibujo> esperado;
    auto dib = [](const char* n, float x, float y, int blend, float alpha, float s) {
      Dibujo r;
      r.imagen = n;
      r.x = x;
      r.y = y;
      r.blend = blend;
      r.alpha = alpha;
      r.sx = r.sy = s;
      return r;
    };
    esperado.push_back(dib("gfx2/velmarino.png", 190, 450, SHADEBLEND, 0.5f, 0.6f));
    esperado.push_back(dib("gfx2/ledplayer1.png", 30, 0, SHADEBLEND, 0.5f, 0.4f));
    if (c.etiqueta) esperado.push_back(dib(c.etiqueta, 460, 0, SHADEBLEND, 0.5f, 0.4f));
    esperado.push_back(dib("gfx2/campo.png", 0, 0, ALPHABLEND, 0.5f, 1));
    esperado.push_back(dib("gfx2/glowcampo.png", 0, 0, LIGHTBLEND, 0.5f, 1));
    esperado.push_back(dib("gfx2/glowcampo.png", 0, 0, LIGHTBLEND, 0.5f, 1));
    esperado.push_back(dib("gfx2/youwinr.png", 0, 0, ALPHABLEND, 0.5f, 1));
    ASSERT_EQ(d.size(), esperado.size()) << "Nplayers " << c.jugadores;
    for (size_t i = 0; i < d.size(); ++i) {
      SCOPED_TRACE("Nplayers " + std::to_string(c.jugadores) + ", draw " + std::to_string(i));
      EXPECT_EQ(d[i].imagen, esperado[i].imagen);
      EXPECT_EQ(d[i].x, esperado[i].x);
      EXPECT_EQ(d[i].y, esperado[i].y);
      EXPECT_EQ(d[i].blend, esperado[i].blend);
      EXPECT_FLOAT_EQ(d[i].alpha, esperado[i].alpha);
      EXPECT_FLOAT_EQ(d[i].sx, esperado[i].sx);
      EXPECT_FLOAT_EQ(d[i].sy, esperado[i].sy);
    }
  }
}

TEST(MatchSetup, PreparesEveryPieceButTheClockAndTheBallsMemory) {
  Mesa m;
  m.preparar(2, 15);
  m.hastaElJuego();
  m.cuadros(120);
  // Leave a used match behind: scores, a moved paddle, a pause, a burst
  // under way, waves alive, menus elsewhere.
  ScorePlayer1 = 3;
  ScorePlayer2 = 5;
  raqueta1->y = 100;
  raqueta2->y = 300;
  pelota->incremento = 0.5f;
  pelota->azarx = 0.5f;
  pelota->azary = 0.75f;
  pelota->ballframe = 6;
  horizontal = 1;
  daleangulo = 1;
  acambiar = 9;
  pausarjuego = 1;
  abandono = 1;
  salir = 1;
  Mimenu->opcion = 3;
  Minivel->opcion = 5;
  continuar->opcion = 2;
  lanzando = 1;
  ondatiempo2 = 2;
  LanzarOnda::crear(1, 1, 1);
  const int h = horas, mi = minutos, s = segundos, ml = milise;
  ASSERT_GT(s, 0);

  const int antes = MilliSecs();
  iniciarJuego();
  const int despues = MilliSecs();

  EXPECT_EQ(salir, 0);
  EXPECT_EQ(Tantos, 7);
  EXPECT_EQ(Nplayers, 1);
  EXPECT_EQ(ScorePlayer1, 0);
  EXPECT_EQ(ScorePlayer2, 0);
  EXPECT_EQ(pausarjuego, 0);
  EXPECT_EQ(abandono, 0);
  EXPECT_EQ(empezar, 0);
  EXPECT_EQ(lanzarReady, 1);
  EXPECT_EQ(Mimenu->opcion, 1);
  EXPECT_EQ(Minivel->opcion, 1);
  EXPECT_EQ(continuar->opcion, 1);
  for (int pausa : {Mimenu->pausa, Minivel->pausa, continuar->pausa}) {
    EXPECT_GE(pausa, antes + 160);
    EXPECT_LE(pausa, despues + 160);
  }
  EXPECT_EQ(raqueta1->x, 16);
  EXPECT_EQ(raqueta1->y, 240);
  EXPECT_EQ(raqueta2->x, 590);
  EXPECT_EQ(raqueta2->y, 240);
  EXPECT_EQ(pelota->bx, 300);
  EXPECT_EQ(pelota->by, 240);
  EXPECT_EQ(pelota->sx, -4);
  EXPECT_EQ(pelota->sy, 4);
  EXPECT_EQ(pelota->incremento, 0);
  EXPECT_EQ(ListaO->Count(), 0);
  for (int i = 0; i < kNodosEnergia; ++i) {
    EXPECT_EQ(pposx[static_cast<size_t>(i)], -30);
    EXPECT_EQ(pposy[static_cast<size_t>(i)], -30);
  }

  // Left as they were: the clock, the ball's drift, animation and flags, the burst.
  EXPECT_EQ(horas, h);
  EXPECT_EQ(minutos, mi);
  EXPECT_EQ(segundos, s);
  EXPECT_EQ(milise, ml);
  EXPECT_EQ(pelota->azarx, 0.5f);
  EXPECT_EQ(pelota->azary, 0.75f);
  EXPECT_EQ(pelota->ballframe, 6);
  EXPECT_EQ(horizontal, 1);
  EXPECT_EQ(daleangulo, 1);
  EXPECT_EQ(acambiar, 9);
  EXPECT_EQ(lanzando, 1);
  EXPECT_EQ(ondatiempo2, 2);
}

TEST(MatchSetup, StartUpGivesEveryGlobalItsFirstValueAgain) {
  {
    Mesa m;
    m.preparar(2, 21);
    m.hastaElJuego();
    m.cuadros(300);
    horizontal = daleangulo = 1;
    acambiar = 7;
    lanzando = 1;
    ondatiempo2 = 2;
    PelotazoC = 4;
  }
  Mesa m;
  EXPECT_EQ(Tantos, 7);
  EXPECT_EQ(Nplayers, 1);
  EXPECT_EQ(ScorePlayer1, 0);
  EXPECT_EQ(ScorePlayer2, 0);
  EXPECT_EQ(empezar, 0);
  EXPECT_EQ(lanzarReady, 1);
  EXPECT_EQ(pausarjuego, 0);
  EXPECT_EQ(abandono, 0);
  EXPECT_EQ(horizontal, 0);
  EXPECT_EQ(daleangulo, 0);
  EXPECT_EQ(acambiar, 0);
  EXPECT_EQ(segundos + minutos + horas, 0);
  EXPECT_EQ(milise, nr::HeadlessBackend::kStartMs + 1000);
  EXPECT_EQ(ReadyEstado, 1);
  EXPECT_EQ(ReadyRender, 0);
  EXPECT_EQ(escala, 0.0f);
  EXPECT_EQ(tempor, 0);
  EXPECT_EQ(lanzando, 0);
  EXPECT_EQ(ondatiempo, 0);
  EXPECT_EQ(ondatiempo2, 0);
  EXPECT_EQ(PelotazoC, 0.0f);
  EXPECT_EQ(ListaO->Count(), 0);
  EXPECT_EQ(pposx[0], 0);
  EXPECT_EQ(ppesc[0], 0.0f);
  EXPECT_EQ(pelota->azarx, 0.0f);
  EXPECT_EQ(pelota->ballframe, 4);
  EXPECT_EQ(pelota->dirframe, -1);
  EXPECT_EQ(continuar->opcion, 1);
  // Both channels allocated, in order.
  ASSERT_TRUE(canal1 && canal2);
}

TEST(MatchTrace, TheStateRecordCarriesTheMatchInItsOrder) {
  Mesa m;
  m.preparar(1, 7);
  const Cuadro q = m.cuadro();
  const char* claves[] = {"ScorePlayer1", "ScorePlayer2", "pausarjuego", "abandono",
                          "empezar", "lanzarReady", "pelota.bx", "pelota.by", "pelota.sx",
                          "pelota.sy", "pelota.incremento", "raqueta1.y", "raqueta2.y",
                          "horas", "minutos", "segundos", "ReadyEstado", "escala",
                          "continuar.opcion", "ListaO.count", "lanzando", "ondatiempo2"};
  nr::StateWriter w;
  EstadoPartida(w);
  std::vector<std::string> escritas;
  std::istringstream pares(w.text());
  for (std::string par; pares >> par;) escritas.push_back(par.substr(0, par.find('=')));
  EXPECT_EQ(escritas, std::vector<std::string>(std::begin(claves), std::end(claves)));
  for (const char* c : claves) EXPECT_TRUE(q.tiene(c)) << c;
  EXPECT_EQ(q.entero("pelota.bx"), 300);
  EXPECT_EQ(q.entero("raqueta2.y"), 240);
}

TEST(MatchTrace, TheStateRecordLeavesOutObjectsNotYetCreated) {
  Mesa m;
  raqueta1.reset();
  raqueta2.reset();
  pelota.reset();
  continuar.reset();
  nr::StateWriter w;
  EstadoPartida(w);
  EXPECT_EQ(w.text().find("pelota."), std::string::npos);
  EXPECT_EQ(w.text().find("raqueta"), std::string::npos);
  EXPECT_EQ(w.text().find("continuar"), std::string::npos);
  EXPECT_NE(w.text().find("ScorePlayer1=0"), std::string::npos);
}

}  // namespace
