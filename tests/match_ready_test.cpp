// The ready/start sequence through real match frames: its wait, its grow,
// hold and shrink steps with their timing and beeps, the release of play,
// and how it runs behind the pause menu and restarts with the next match.
#include <gtest/gtest.h>

#include <string>
#include <type_traits>
#include <vector>

#include "match/Tball.h"
#include "match/partida.h"
#include "match/readyM.h"
#include "match_mesa.h"

namespace {

using mesa::Cuadro;
using mesa::De;
using mesa::Dibujo;
using mesa::Mesa;

static_assert(std::is_same_v<decltype(escala), float>, "escala is single precision");

// The word drawn by the overlay in a frame, or "" when none.
std::string Palabra(const Cuadro& q) {
  for (const Dibujo& d : q.dibujos)
    if (d.imagen == "gfx2/ready.png" || d.imagen == "gfx2/start.png") return d.imagen;
  return "";
}

int Beeps(const Cuadro& q, int canal) {
  int n = 0;
  for (const auto& s : q.sonidos) n += s.nombre == "sfx2/bonus3.wav" && s.canal == canal;
  return n;
}

// Frames of a match from its first until two after play is released.
std::vector<Cuadro> Secuencia(Mesa& m) {
  std::vector<Cuadro> fs;
  for (int i = 0; i < 600; ++i) {
    fs.push_back(m.cuadro());
    if (empezar != 0) break;
  }
  fs.push_back(m.cuadro());
  fs.push_back(m.cuadro());
  return fs;
}

// Checks one word's grow, hold and shrink from frame `f`; returns the frame
// after its last shrink step.
size_t Fase(const std::vector<Cuadro>& fs, size_t f, const std::string& palabra, int canal,
            int estadoCrece) {
  SCOPED_TRACE(palabra);
  // Ten grow steps, one a frame, from a tenth of the height to all of it.
  for (int k = 1; k <= 10; ++k, ++f) {
    SCOPED_TRACE("grow step " + std::to_string(k));
    EXPECT_EQ(Palabra(fs[f]), palabra);
    const std::vector<Dibujo> d = De(fs[f].dibujos, palabra);
    if (d.size() != 1u) {
      ADD_FAILURE() << "no word drawn";
      return f;
    }
    EXPECT_NEAR(d[0].sy, 0.1 * k, 1e-4);
    EXPECT_EQ(d[0].sx, 1);
    EXPECT_EQ(Beeps(fs[f], canal), k == 1 ? 1 : 0);
    EXPECT_EQ(fs[f].entero("ReadyEstado"), k < 10 ? estadoCrece : estadoCrece + 1);
  }
  EXPECT_EQ(fs[f - 1].entero("escala"), 1);
  // The hold: full height until the first frame more than 1000 ms after its first.
  const int h0 = fs[f].ms();
  while (f < fs.size() && fs[f].ms() <= h0 + 1000) {
    EXPECT_EQ(Palabra(fs[f]), palabra);
    EXPECT_EQ(De(fs[f].dibujos, palabra).at(0).sy, 1);
    EXPECT_EQ(fs[f].entero("ReadyEstado"), estadoCrece + 1);
    ++f;
  }
  EXPECT_EQ(Palabra(fs[f]), palabra);
  EXPECT_EQ(fs[f].entero("ReadyEstado"), estadoCrece + 2);
  ++f;
  // Ten shrink steps down to zero height.
  for (int k = 1; k <= 10; ++k, ++f) {
    SCOPED_TRACE("shrink step " + std::to_string(k));
    const std::vector<Dibujo> d = De(fs[f].dibujos, palabra);
    if (d.size() != 1u) {
      ADD_FAILURE() << "no word drawn";
      return f;
    }
    EXPECT_NEAR(d[0].sy, 1 - 0.1 * k, 1e-4);
    EXPECT_EQ(fs[f].entero("ReadyEstado"), k < 10 ? estadoCrece + 2 : estadoCrece + 3);
  }
  return f;
}

TEST(MatchReady, WaitsGrowsHoldsShrinksTwiceAndReleasesPlay) {
  Mesa m;
  m.preparar(1, 7);
  const std::vector<Cuadro> fs = Secuencia(m);
  const int t0 = fs[0].ms();
  EXPECT_EQ(fs[0].entero("ReadyEstado"), 0);

  // Nothing for 800 ms; the frame that sees the wait over still draws nothing.
  size_t f = 0;
  while (fs[f].ms() <= t0 + 800) {
    EXPECT_EQ(Palabra(fs[f]), "") << "frame " << f;
    EXPECT_EQ(fs[f].entero("ReadyEstado"), 0);
    ++f;
  }
  EXPECT_EQ(Palabra(fs[f]), "");
  EXPECT_EQ(fs[f].entero("ReadyEstado"), 1);
  ++f;

  f = Fase(fs, f, "gfx2/ready.png", 1, 1);
  EXPECT_EQ(fs[f - 1].entero("empezar"), 0);
  f = Fase(fs, f, "gfx2/start.png", 2, 4);

  // Released in the draw pass of the last shrink frame: the ball moves next frame.
  const Cuadro& ultimo = fs[f - 1];
  EXPECT_EQ(ultimo.entero("empezar"), 1);
  EXPECT_EQ(ultimo.entero("ReadyEstado"), 7);
  EXPECT_EQ(ultimo.entero("pelota.bx"), 300);
  EXPECT_EQ(De(ultimo.dibujos, "gfx2/superpelota.png").size(), 0u);
  EXPECT_EQ(ultimo.entero("segundos"), 0);
  ASSERT_EQ(f + 2, fs.size());
  EXPECT_EQ(fs[f].entero("pelota.bx"), 296);
  EXPECT_EQ(fs[f].entero("pelota.by"), 244);
  EXPECT_EQ(fs[f].entero("segundos"), 1);
  EXPECT_EQ(Palabra(fs[f]), "");
  EXPECT_EQ(Palabra(fs[f + 1]), "");
  // About 3.5 s in all.
  EXPECT_GT(ultimo.ms() - t0, 3400);
  EXPECT_LT(ultimo.ms() - t0, 3700);
  // Each beep once; the sequence never stops a channel.
  int b1 = 0, b2 = 0;
  for (const Cuadro& q : fs) {
    b1 += Beeps(q, 1);
    b2 += Beeps(q, 2);
    EXPECT_TRUE(q.paradas.empty());
  }
  EXPECT_EQ(b1, 1);
  EXPECT_EQ(b2, 1);
}

TEST(MatchReady, TheOverlayIsCentredAndGlowsTwiceAdditively) {
  Mesa m;
  m.preparar(1, 7);
  ASSERT_TRUE(m.hasta([] { return ReadyEstado == 1; }));
  const Cuadro q = m.cuadro();
  std::vector<Dibujo> aviso;
  for (const Dibujo& d : q.dibujos)
    if (d.imagen == "gfx2/ready.png" || d.imagen == "gfx2/starts.png") aviso.push_back(d);
  ASSERT_EQ(aviso.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(aviso[i].imagen, i == 0 ? "gfx2/ready.png" : "gfx2/starts.png");
    EXPECT_EQ(aviso[i].x, 320);
    EXPECT_EQ(aviso[i].y, 240);
    EXPECT_EQ(aviso[i].hx, 320);
    EXPECT_EQ(aviso[i].hy, 240);
    EXPECT_EQ(aviso[i].alpha, 1);
    EXPECT_FLOAT_EQ(aviso[i].sy, 0.1f);
    EXPECT_EQ(aviso[i].blend, i == 0 ? ALPHABLEND : LIGHTBLEND);
  }
  // It leaves the additive blend and its height for the clock after it.
  EXPECT_EQ(escala, 0.1f);
}

TEST(MatchReady, EachGrowAndShrinkEndsExactlyOnItsTenthStep) {
  Mesa m;
  ImagenEfecto = ready;
  ReadyEstado = 1;
  escala = 0;
  tempor = 0;
  int pasos = 0;
  // The steps are paced by the clock, not by frames: give each its time.
  for (; ReadyEstado == 1 && pasos < 20; ++pasos) {
    iniciarReady();
    m.cuadro();
  }
  EXPECT_EQ(pasos, 10);
  EXPECT_EQ(escala, 1.0f);
  EXPECT_EQ(ReadyEstado, 2);

  ReadyEstado = 3;
  pasos = 0;
  for (; ReadyEstado == 3 && pasos < 20; ++pasos) {
    cerrarReady();
    m.cuadro();
  }
  EXPECT_EQ(pasos, 10);
  EXPECT_EQ(escala, 0.0f);
  EXPECT_EQ(ReadyEstado, 4);
}

TEST(MatchReady, StepsWaitForTheirPacingTime) {
  Mesa m;
  ImagenEfecto = ready;
  ReadyEstado = 1;
  escala = 0;
  tempor = MilliSecs() + 15;
  iniciarReady();  // not yet past tempor: no step, but still drawn
  EXPECT_EQ(escala, 0.0f);
  EXPECT_EQ(De(m.suelto().dibujos, "gfx2/ready.png").size(), 1u);
  tempor = MilliSecs() - 1;
  iniciarReady();
  EXPECT_EQ(escala, 0.1f);
  EXPECT_EQ(tempor, MilliSecs() + 15);

  ReadyEstado = 3;
  escala = 1;
  tempor = MilliSecs();
  cerrarReady();
  EXPECT_EQ(escala, 1.0f);
  tempor = MilliSecs() - 1;
  cerrarReady();
  EXPECT_EQ(escala, 0.9f);
  EXPECT_EQ(tempor, MilliSecs() + 8);
}

TEST(MatchReady, KeepsGoingBehindThePauseMenuAndCanReleasePlayThere) {
  Mesa sinPausa;
  sinPausa.preparar(1, 7);
  const size_t sin = Secuencia(sinPausa).size();

  Mesa m;
  m.preparar(1, 7);
  m.tocar(KEY_ESCAPE);
  const std::vector<Cuadro> fs = Secuencia(m);
  EXPECT_EQ(fs.size(), sin);
  for (const Cuadro& q : fs) {
    EXPECT_EQ(q.entero("pausarjuego"), 1);
    // The words lie under the pause menu.
    if (Palabra(q).empty()) continue;
    size_t palabra = 0, menu = 0;
    for (size_t i = 0; i < q.dibujos.size(); ++i) {
      if (q.dibujos[i].imagen == Palabra(q)) palabra = i;
      if (q.dibujos[i].imagen == "gfx/back.png") menu = i;
    }
    EXPECT_LT(palabra, menu);
  }
  EXPECT_EQ(fs.back().entero("empezar"), 1);
  // Play is released, but the ball waits for the pause to end.
  EXPECT_EQ(fs.back().entero("pelota.bx"), 300);
}

TEST(MatchReady, ANewMatchStartsItAgainFromTheWait) {
  Mesa m;
  m.preparar(1, 7);
  ASSERT_TRUE(m.hasta([] { return ReadyEstado == 2; }));
  m.tocar(KEY_ESCAPE);
  m.tocar(KEY_SPACE);
  m.cuadros(2);
  ASSERT_EQ(seleccion, 1);
  EXPECT_EQ(ReadyRender, 1);  // left as it was: nothing steps it outside a match

  m.preparar(1, 7);
  const std::vector<Cuadro> fs = Secuencia(m);
  EXPECT_EQ(fs[0].entero("ReadyEstado"), 0);
  EXPECT_EQ(fs[0].entero("escala"), 0);
  // The first beep of the last match is still sounding on canal1 during the
  // whole first grow: only the second word beeps.
  int b1 = 0, b2 = 0;
  for (const Cuadro& q : fs) {
    b1 += Beeps(q, 1);
    b2 += Beeps(q, 2);
  }
  EXPECT_EQ(b1, 0);
  EXPECT_EQ(b2, 1);
  EXPECT_EQ(fs[fs.size() - 3].entero("empezar"), 1);
}

}  // namespace
