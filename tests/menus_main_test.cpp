// The title screen and its main menu through the whole game: what it draws
// and where, how the highlight moves, and what a confirmation does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell_replay.h"

namespace {

using shelltest::Corrida;
using shelltest::Correr;
using shelltest::Esperado;
using shelltest::kPrimerCuadroTitulo;
using shelltest::kSaltarIntro;

constexpr long T = kPrimerCuadroTitulo;

std::string En(long frame, const std::string& evento) {
  return std::to_string(frame) + " " + evento + "\n";
}

std::vector<Esperado> Titulo(int opcion) {
  std::vector<Esperado> d = {
      {"gfx/poneplayeroff.png", 70, 320},
      {"gfx/ptwoplayeroff.png", 240, 320},
      {"gfx/exitoff.png", 410, 320},
      {"gfx2/plimodrevanoskel.png", 190, 420, 0.6f},
  };
  switch (opcion) {
    case 1:
      d.insert(d.end(), {{"gfx/poneplayeron.png", 70, 320},
                         {"gfx/forescape.png", 5, 250},
                         {"gfx/for1player.png", 5, 170}});
      break;
    case 2:
      d.insert(d.end(), {{"gfx/ptwoplayeron.png", 240, 320},
                         {"gfx/forescape.png", 5, 250},
                         {"gfx/for2players.png", 5, 170}});
      break;
    case 3:
      d.insert(d.end(), {{"gfx/exiton.png", 410, 320}, {"gfx/forsystem.png", 0, 180}});
      break;
  }
  d.push_back({"gfx2/titulo.png", 160, -20});
  return d;
}

TEST(MenusMain, EveryTitleFrameDrawsStarsButtonsBannerHighlightHelpAndTitleInOrder) {
  // RIGHT held long enough to show each item highlighted more than once.
  Corrida c = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT"), T + 70);
  ASSERT_EQ(c.size(), T + 70);
  bool visto[4] = {};
  for (long f = T; f < c.size(); ++f) {
    ASSERT_EQ(c[f].seleccion(), 1);
    const int opcion = c[f].entero("Mimenu.opcion");
    visto[opcion] = true;
    EXPECT_EQ(c[f].estrellas(), 202) << f;
    EXPECT_TRUE(shelltest::EstrellasPrimero(c[f])) << f;
    shelltest::MismosDibujos(c[f].sinEstrellas(), Titulo(opcion),
                             "frame " + std::to_string(f) + " opcion " + std::to_string(opcion));
  }
  EXPECT_TRUE(visto[1] && visto[2] && visto[3]);
}

TEST(MenusMain, AHeldDirectionStepsAfter200MsThenEvery250MsWithOneSoundPerStep) {
  struct Case {
    const char* what;
    std::string pulsar, soltar;
    int joysticks;
    std::vector<int> recorrido;  // the highlight after each step, from 1 Player
  };
  const Case cases[] = {
      {"RIGHT", "press RIGHT", "release RIGHT", 0, {2, 3, 1, 2, 3}},
      {"LEFT", "press LEFT", "release LEFT", 0, {3, 2, 1, 3, 2}},
      {"stick at +1.0", "axis 0 0 32767", "axis 0 0 0", 1, {2, 3, 1, 2, 3}},
      {"stick at -1.0 (raw -32767)", "axis 0 0 -32767", "axis 0 0 0", 1, {3, 2, 1, 3, 2}},
      {"stick at -1.0 (raw -32768)", "axis 0 0 -32768", "axis 0 0 0", 1, {3, 2, 1, 3, 2}},
      {"stick at +0.99 does nothing", "axis 0 0 32440", "axis 0 0 0", 1, {}},
      {"stick one step short of full does nothing", "axis 0 0 32766", "axis 0 0 0", 1, {}},
      {"the other stick's X does nothing", "axis 1 0 32767", "axis 1 0 0", 2, {}},
      {"stick Y does nothing", "axis 0 1 32767", "axis 0 1 0", 1, {}},
  };
  for (const Case& k : cases) {
    // Held from the first title frame for about 1.4 s, then released.
    const long suelta = T + 85;
    Corrida c = Correr(std::string(kSaltarIntro) + En(T, k.pulsar) + En(suelta, k.soltar),
                       suelta + 40, k.joysticks);
    ASSERT_EQ(c.size(), suelta + 40);
    // Left and right wait 200 ms from the menu's creation after the intro.
    ASSERT_EQ(c[T].entero("Mimenu.pausa"), c[T].ms() + 200) << k.what;
    const std::vector<long> pasos = k.recorrido.empty()
                                        ? std::vector<long>{}
                                        : shelltest::PasosEsperados(c, T, suelta - 1, c[T].ms() + 200);
    EXPECT_EQ(shelltest::Cambios(c, "Mimenu.opcion", T, c.size() - 1), pasos) << k.what;
    EXPECT_EQ(shelltest::Sonando(c, "sfx/menu.wav", T, c.size() - 1), pasos) << k.what;
    ASSERT_EQ(pasos.size(), k.recorrido.size()) << k.what;
    for (size_t i = 0; i < pasos.size(); ++i) {
      EXPECT_EQ(c[pasos[i]].entero("Mimenu.opcion"), k.recorrido[i]) << k.what << " step " << i;
      if (i > 0) {
        const long hueco = pasos[i] - pasos[i - 1];
        EXPECT_TRUE(hueco == 15 || hueco == 16) << k.what << ": " << hueco << " frames apart";
      }
    }
    if (!pasos.empty()) {
      EXPECT_GE(pasos[0] - T, 12) << "not before 200 ms";
      EXPECT_LE(pasos[0] - T, 13) << "as soon as 200 ms have passed";
    }
    for (long f = T; f < c.size(); ++f) EXPECT_EQ(c[f].seleccion(), 1);
  }
}

TEST(MenusMain, RightAndLeftTogetherStepForwardOnly) {
  const long suelta = T + 85;
  Corrida c = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT") + En(T, "press LEFT") +
                         En(suelta, "release RIGHT") + En(suelta, "release LEFT"),
                     suelta + 5);
  const std::vector<long> pasos = shelltest::PasosEsperados(c, T, suelta - 1, c[T].ms() + 200);
  ASSERT_EQ(pasos.size(), 5u);
  EXPECT_EQ(shelltest::Cambios(c, "Mimenu.opcion", T, c.size() - 1), pasos);
  EXPECT_EQ(shelltest::Sonando(c, "sfx/menu.wav", T, c.size() - 1), pasos);
  const int recorrido[] = {2, 3, 1, 2, 3};
  for (size_t i = 0; i < pasos.size(); ++i) EXPECT_EQ(c[pasos[i]].entero("Mimenu.opcion"), recorrido[i]);
}

// The frames at which RIGHT, held from the first title frame, steps the
// highlight; a script that lets go after `n` steps reaches item n + 1.
std::vector<long> PasosDerecha() {
  Corrida c = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT"), T + 40);
  return shelltest::Cambios(c, "Mimenu.opcion", T, c.size() - 1);
}

TEST(MenusMain, ConfirmingPlaysEnterAndTakesEffectFromTheNextFrame) {
  const std::vector<long> pasos = PasosDerecha();
  ASSERT_GE(pasos.size(), 2u);
  struct Case {
    const char* what;
    int opcion;
    const char* confirmar;
    int joysticks;
    int nplayers;
  };
  const Case cases[] = {
      {"1 Player with SPACE", 1, "tap SPACE", 0, 1},
      {"1 Player with joystick button 0", 1, "button 0 0", 1, 1},
      {"2 Players with SPACE", 2, "tap SPACE", 0, 2},
      {"2 Players with joystick button 0", 2, "button 0 0", 1, 2},
  };
  for (const Case& k : cases) {
    std::string script = kSaltarIntro;
    long f = T + 2;
    if (k.opcion > 1) {
      script += En(T, "press RIGHT") + En(pasos[0] + 1, "release RIGHT");
      f = pasos[0] + 3;
    }
    script += En(f, k.confirmar);
    Corrida c = Correr(script, f + 3, k.joysticks);
    ASSERT_EQ(c[f - 1].entero("Mimenu.opcion"), k.opcion) << k.what;
    EXPECT_EQ(c[f - 1].seleccion(), 1);
    // The confirming frame is the title screen to its end.
    shelltest::MismosDibujos(c[f].sinEstrellas(), Titulo(k.opcion), k.what);
    ASSERT_EQ(c[f].sonidos.size(), 1u) << k.what;
    EXPECT_EQ(c[f].sonidos[0].nombre, "sfx/enter.wav");
    EXPECT_EQ(c[f].sonidos[0].canal, -1);
    EXPECT_EQ(c[f].seleccion(), 2) << k.what;
    EXPECT_EQ(c[f].entero("Nplayers"), k.nplayers) << k.what;
    EXPECT_EQ(c[f].entero("salir"), 0);
    // The match is prepared: every menu starts over at its first item.
    EXPECT_EQ(c[f].entero("Mimenu.opcion"), 1) << k.what;
    EXPECT_EQ(c[f].entero("Minivel.opcion"), 1);
    EXPECT_EQ(c[f].entero("Minivel.pausa"), c[f].ms() + 160);
    EXPECT_EQ(c[f + 1].sinEstrellas().front().imagen, "gfx/psieteoff.png")
        << "the match-length menu follows";
    EXPECT_TRUE(c[f + 1].sonidos.empty());
  }
}

TEST(MenusMain, APendingSpaceConfirmsTheFirstFrameThatAsks) {
  // Pressed during the slide-out, which reads no input: the title's first frame confirms.
  Corrida a = Correr(std::string(kSaltarIntro) + En(40, "tap SPACE"), T + 3);
  EXPECT_EQ(a[T].seleccion(), 2);
  EXPECT_EQ(a[T].sonidosDe("sfx/enter.wav"), 1);
  EXPECT_EQ(a[T + 1].seleccion(), 2);

  // With joystick button 0 pending too, the button confirms the title screen
  // and SPACE stays pending until the match-length menu asks: 7 at once.
  Corrida b = Correr(std::string(kSaltarIntro) + En(40, "tap SPACE") + En(40, "button 0 0"),
                     T + 4, 1);
  EXPECT_EQ(b[T].seleccion(), 2);
  EXPECT_EQ(b[T + 1].seleccion(), 3);
  EXPECT_EQ(b[T + 1].entero("Tantos"), 7);
  EXPECT_TRUE(b[T + 1].sonidos.empty());
}

TEST(MenusMain, BeforeTheDelayHasRunOutConfirmingStillWorks) {
  // RIGHT held and SPACE pressed together in the first title frame: no step
  // yet, so 1 Player is confirmed.
  Corrida c = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT") + En(T, "tap SPACE"), T + 2);
  EXPECT_EQ(c[T].sonidosDe("sfx/menu.wav"), 0);
  EXPECT_EQ(c[T].seleccion(), 2);
  EXPECT_EQ(c[T].entero("Nplayers"), 1);
}

}  // namespace
