// The match-length menu through the whole game: how it opens, what it draws,
// how the highlight moves over its five items and what each one confirms.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "match/partida.h"
#include "shell_replay.h"

namespace {

using shelltest::Corrida;
using shelltest::Correr;
using shelltest::Esperado;
using shelltest::kPrimerCuadroTitulo;
using shelltest::kSaltarIntro;

constexpr long T = kPrimerCuadroTitulo;
// SPACE in the first title frame confirms 1 Player; the menu opens next.
constexpr long N = T + 1;

std::string En(long frame, const std::string& evento) {
  return std::to_string(frame) + " " + evento + "\n";
}

std::string AlMenu() { return std::string(kSaltarIntro) + En(T, "tap SPACE"); }

std::vector<Esperado> Niveles(int opcion) {
  const Esperado apagados[] = {{"gfx/psieteoff.png", 145, 190},
                               {"gfx/pquinceoff.png", 235, 190},
                               {"gfx/pveintiunooff.png", 325, 190},
                               {"gfx/pinfinitooff.png", 415, 190},
                               {"gfx/back.png", 240, 280}};
  const Esperado encendidos[] = {{"gfx/psieteon.png", 145, 190},
                                 {"gfx/pquinceon.png", 235, 190},
                                 {"gfx/pveintiunoon.png", 325, 190},
                                 {"gfx/pinfinitoon.png", 415, 190},
                                 {"gfx/backon.png", 240, 280}};
  std::vector<Esperado> d(std::begin(apagados), std::end(apagados));
  d.push_back({"gfx2/plimodrevanoskel.png", 190, 420, 0.6f});
  d.push_back(encendidos[opcion - 1]);
  d.push_back({"gfx2/titulo.png", 160, -20});
  return d;
}

TEST(MenusNivel, OpensOnSevenAndEveryFrameDrawsInOrderOverTheLeftwardStars) {
  Corrida c = Correr(AlMenu() + En(N, "press RIGHT"), N + 80);
  ASSERT_EQ(c[T].seleccion(), 2);
  EXPECT_EQ(c[N].entero("Minivel.opcion"), 1) << "7 is highlighted on entry";
  bool visto[6] = {};
  for (long f = N; f < c.size(); ++f) {
    ASSERT_EQ(c[f].seleccion(), 2) << f;
    const int opcion = c[f].entero("Minivel.opcion");
    visto[opcion] = true;
    EXPECT_EQ(c[f].estrellas(), 202);
    EXPECT_TRUE(shelltest::EstrellasPrimero(c[f]));
    shelltest::MismosDibujos(c[f].sinEstrellas(), Niveles(opcion),
                             "frame " + std::to_string(f) + " opcion " + std::to_string(opcion));
  }
  for (int i = 1; i <= 5; ++i) EXPECT_TRUE(visto[i]) << i;
}

TEST(MenusNivel, IgnoresLeftAndRightFor160MsThenStepsAndWrapsOverFiveItems) {
  struct Case {
    const char* what;
    const char* pulsar;
    int joysticks;
    std::vector<int> recorrido;
  };
  const Case cases[] = {
      {"RIGHT", "press RIGHT", 0, {2, 3, 4, 5, 1, 2}},
      {"LEFT", "press LEFT", 0, {5, 4, 3, 2, 1, 5}},
      {"stick at +1.0", "axis 0 0 32767", 1, {2, 3, 4, 5, 1, 2}},
      {"stick at -1.0", "axis 0 0 -32768", 1, {5, 4, 3, 2, 1, 5}},
      {"stick at -0.99", "axis 0 0 -32440", 1, {}},
  };
  for (const Case& k : cases) {
    // Held from the frame that confirms 1 Player, so the delay is all that holds it.
    Corrida c = Correr(AlMenu() + En(T, k.pulsar), N + 95, k.joysticks);
    ASSERT_EQ(c[T].seleccion(), 2) << k.what;
    ASSERT_EQ(c[T].entero("Minivel.pausa"), c[T].ms() + 160) << k.what;
    const std::vector<long> pasos =
        k.recorrido.empty() ? std::vector<long>{}
                            : shelltest::PasosEsperados(c, N, c.size() - 1, c[T].ms() + 160);
    EXPECT_EQ(shelltest::Cambios(c, "Minivel.opcion", N, c.size() - 1), pasos) << k.what;
    EXPECT_EQ(shelltest::Sonando(c, "sfx/menu.wav", N, c.size() - 1), pasos) << k.what;
    ASSERT_EQ(pasos.size(), k.recorrido.size()) << k.what;
    for (size_t i = 0; i < pasos.size(); ++i)
      EXPECT_EQ(c[pasos[i]].entero("Minivel.opcion"), k.recorrido[i]) << k.what << " step " << i;
    if (!pasos.empty()) {
      EXPECT_GE(pasos[0] - T, 10) << "not before 160 ms";
      EXPECT_LE(pasos[0] - T, 11) << "as soon as 160 ms have passed";
    }
    // The main menu did not move meanwhile.
    EXPECT_EQ(shelltest::Sonando(c, "sfx/menu.wav", T, N - 1).size(), 0u);
  }
}

TEST(MenusNivel, EachItemSetsTheTargetAndTheScreenSilently) {
  // Where RIGHT and LEFT, held from the menu's opening, step the highlight.
  auto pasosCon = [](const char* tecla) {
    Corrida c = Correr(AlMenu() + En(N, std::string("press ") + tecla), N + 70);
    return shelltest::Cambios(c, "Minivel.opcion", N, c.size() - 1);
  };
  const std::vector<long> derecha = pasosCon("RIGHT");
  const std::vector<long> izquierda = pasosCon("LEFT");
  ASSERT_GE(derecha.size(), 3u);
  ASSERT_GE(izquierda.size(), 1u);
  struct Case {
    const char* what;
    const char* tecla;  // held until the highlight has taken `pasos` steps
    int pasos;
    int opcion;
    int tantos;
    int seleccion;
  };
  const Case cases[] = {
      {"7", nullptr, 0, 1, 7, 3},
      {"15", "RIGHT", 1, 2, 15, 3},
      {"21", "RIGHT", 2, 3, 21, 3},
      {"no limit", "RIGHT", 3, 4, kSinLimite, 3},
      {"Back To Menu", "LEFT", 1, 5, 7, 1},
  };
  for (const Case& k : cases) {
    for (const char* confirmar : {"tap SPACE", "button 0 0"}) {
      std::string script = AlMenu();
      long f = N + 2;
      if (k.tecla) {
        const std::vector<long>& p = std::string(k.tecla) == "RIGHT" ? derecha : izquierda;
        const long ultimo = p[static_cast<size_t>(k.pasos - 1)];
        script += En(N, std::string("press ") + k.tecla) +
                  En(ultimo + 1, std::string("release ") + k.tecla);
        f = ultimo + 2;
      }
      script += En(f, confirmar);
      Corrida c = Correr(script, f + 3, 1);
      const std::string what = std::string(k.what) + " by " + confirmar;
      ASSERT_EQ(c[f - 1].seleccion(), 2) << what;
      ASSERT_EQ(c[f - 1].entero("Minivel.opcion"), k.opcion) << what;
      EXPECT_EQ(c[f].seleccion(), k.seleccion) << what;
      EXPECT_EQ(c[f].entero("Tantos"), k.tantos) << what;
      EXPECT_TRUE(c[f].sonidos.empty()) << what << ": no sound on confirmation";
      // The frame that confirms is still the menu's.
      shelltest::MismosDibujos(c[f].sinEstrellas(), Niveles(k.opcion), what);
      const std::vector<shelltest::Dibujo> sig = c[f + 1].sinEstrellas();
      ASSERT_FALSE(sig.empty());
      if (k.seleccion == 3) {
        EXPECT_EQ(sig.front().imagen, "gfx2/velmarino.png") << what << ": the match follows";
      } else {
        EXPECT_EQ(c[f + 1].entero("Mimenu.opcion"), 1);
        EXPECT_EQ(sig.front().imagen, "gfx/poneplayeroff.png") << what << ": the title follows";
      }
    }
  }
}

TEST(MenusNivel, BackToMenuReturnsWithOnePlayerHighlightedAfterTwoPlayers) {
  // 2 Players confirmed, then Back To Menu: the main menu shows 1 Player again.
  Corrida pasos = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT"), T + 20);
  const long paso = shelltest::Cambios(pasos, "Mimenu.opcion", T, pasos.size() - 1).at(0);
  const long conf = paso + 2;
  Corrida izq = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT") + En(paso + 1, "release RIGHT") +
                           En(conf, "tap SPACE") + En(conf + 1, "press LEFT"),
                       conf + 30);
  const long back = shelltest::Cambios(izq, "Minivel.opcion", conf + 1, izq.size() - 1).at(0);
  Corrida c = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT") + En(paso + 1, "release RIGHT") +
                         En(conf, "tap SPACE") + En(conf + 1, "press LEFT") +
                         En(back + 1, "release LEFT") + En(back + 2, "tap SPACE"),
                     back + 5);
  ASSERT_EQ(c[conf - 1].entero("Mimenu.opcion"), 2);
  ASSERT_EQ(c[conf].entero("Nplayers"), 2);
  ASSERT_EQ(c[back + 1].entero("Minivel.opcion"), 5);
  EXPECT_EQ(c[back + 2].seleccion(), 1);
  EXPECT_TRUE(c[back + 2].sonidos.empty());
  EXPECT_EQ(c[back + 3].entero("Mimenu.opcion"), 1);
  EXPECT_EQ(c[back + 3].sinEstrellas()[4].imagen, "gfx/poneplayeron.png");
}

}  // namespace
