// The program as a whole: start-up, the main loop's screens, the trace's
// state record, the exit wait, and starting the program again and again in
// one process.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "platform/replay.h"
#include "platform/runtime.h"
#include "shell/neonrally.h"
#include "shell_replay.h"

namespace {

using shelltest::Corrida;
using shelltest::Correr;
using shelltest::kPrimerCuadroTitulo;
using shelltest::kSaltarIntro;

constexpr long T = kPrimerCuadroTitulo;

std::string En(long frame, const std::string& evento) {
  return std::to_string(frame) + " " + evento + "\n";
}

// RIGHT held from the first title frame until the highlight is on Exit Game.
struct HastaSalir {
  std::string script;
  long confirma;
};

HastaSalir ScriptSalir() {
  Corrida c = Correr(std::string(kSaltarIntro) + En(T, "press RIGHT"), T + 40);
  const std::vector<long> pasos = shelltest::Cambios(c, "Mimenu.opcion", T, c.size() - 1);
  EXPECT_GE(pasos.size(), 2u);
  const long suelta = pasos.at(1) + 1;
  return {std::string(kSaltarIntro) + En(T, "press RIGHT") + En(suelta, "release RIGHT"),
          suelta + 1};
}

TEST(ShellExit, ExitGameFinishesItsFrameThenHoldsItJustOver800MsAndEndsWithZero) {
  const HastaSalir s = ScriptSalir();
  const long f = s.confirma;
  // Keys pressed during the wait must change nothing.
  Corrida c = Correr(s.script + En(f, "tap SPACE") + En(f + 1, "tap LEFT") +
                     En(f + 2, "tap SPACE") + En(f + 20, "press RIGHT"));
  ASSERT_TRUE(c.terminada);
  EXPECT_EQ(c.resultado.exitCode, 0);
  EXPECT_TRUE(c.resultado.ended);
  ASSERT_EQ(c.finCuadro, f + 1) << "the confirming frame is the last one presented";
  ASSERT_EQ(c.size(), f + 1) << "nothing is drawn or played after it";
  EXPECT_EQ(c[f - 1].entero("Mimenu.opcion"), 3);
  EXPECT_EQ(c[f].entero("salir"), 1);
  EXPECT_EQ(c[f].sonidosDe("sfx/enter.wav"), 1);
  // The last picture: Exit Game highlighted with the go-to-system line.
  const std::vector<shelltest::Dibujo> d = c[f].sinEstrellas();
  ASSERT_EQ(d.size(), 7u);
  EXPECT_EQ(d[4].imagen, "gfx/exiton.png");
  EXPECT_EQ(d[5].imagen, "gfx/forsystem.png");
  EXPECT_EQ(d[6].imagen, "gfx2/titulo.png");
  // Presenting the frame moves the clock to the next 60 Hz slot; the wait
  // runs from there until the clock is past 800 ms more.
  const long presentado = c[f].ms() + ((f + 1) * 1000 / 60 - f * 1000 / 60);
  EXPECT_EQ(c.finMs, presentado + 801);
}

TEST(ShellLoop, TheStateRecordKeepsItsKeysInOrder) {
  nr::ReplayOptions o;
  o.trace = true;
  o.traceKinds = nr::kTraceState;
  o.frames = T + 3;
  std::string error;
  ASSERT_TRUE(nr::ParseInputScript(kSaltarIntro, o.events, error));
  RegistrarEstadoTraza();
  nr::ReplayResult r = nr::RunReplay(o, NeonRallyMain);
  nr::SetStateReporter(nullptr);
  std::istringstream lines(r.trace);
  std::string line;
  long n = 0;
  while (std::getline(lines, line)) {
    std::vector<std::string> claves;
    std::istringstream pares(shelltest::Campos(line).at(2));
    std::string kv;
    while (pares >> kv) claves.push_back(kv.substr(0, kv.find('=')));
    const std::vector<std::string> intro = {"ms", "seleccion", "salir", "Tantos", "Nplayers"};
    const std::vector<std::string> menus = {"Mimenu.opcion", "Mimenu.pausa", "Minivel.opcion",
                                            "Minivel.pausa"};
    ASSERT_GE(claves.size(), intro.size()) << line;
    EXPECT_EQ(std::vector<std::string>(claves.begin(), claves.begin() + 5), intro) << line;
    if (n < T) {
      EXPECT_EQ(claves.size(), intro.size()) << "during the intro: " << line;
    } else {
      ASSERT_GE(claves.size(), 9u) << line;
      EXPECT_EQ(std::vector<std::string>(claves.begin() + 5, claves.begin() + 9), menus) << line;
    }
    ++n;
  }
  EXPECT_EQ(n, T + 3);
}

TEST(ShellLoop, StartingAgainInTheSameProcessGivesTheSameRun) {
  // A run to a match's first frames, then a different run stopped halfway
  // through the intro, then the first again: start-up must reset everything.
  const std::string script = std::string(kSaltarIntro) + En(T, "tap SPACE") + En(T + 15, "tap SPACE");
  Corrida a = Correr(script, T + 40);
  Correr("150 tap SPACE\n", 120, 2);
  Correr(std::string(kSaltarIntro) + En(T, "press RIGHT"), T + 100);
  Corrida b = Correr(script, T + 40);
  ASSERT_EQ(a.size(), T + 40);
  EXPECT_EQ(a[T + 39].seleccion(), 3) << "the run reaches the match";
  EXPECT_TRUE(a.resultado.trace == b.resultado.trace);
}

TEST(ShellLoop, CountsTheJoysticksOnceAtStartUp) {
  struct Conteo : nr::FrameObserver {
    int visto = -1;
    void beforePresent(long, const std::vector<nr::DrawCmd>&) override { visto = Njoysticks; }
    void afterPresent(long) override {}
  };
  for (int n : {0, 1, 2}) {
    Conteo conteo;
    Correr("", 3, n, &conteo);
    EXPECT_EQ(conteo.visto, n);
  }
}

TEST(ShellLoop, WithoutJoysticksTheKeyboardReachesAMatch) {
  Corrida c = Correr(std::string(kSaltarIntro) + En(T, "tap SPACE") + En(T + 15, "tap SPACE"),
                     T + 20, 0);
  EXPECT_EQ(c[T].seleccion(), 2);
  EXPECT_EQ(c[T + 15].seleccion(), 3);
  EXPECT_EQ(c[T + 16].sinEstrellas().front().imagen, "gfx2/velmarino.png");
}

}  // namespace
