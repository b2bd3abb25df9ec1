// CPU cost of one match frame (the match's own updates and draw calls, as
// the main loop runs them between its clear and its flip), over the
// headless backend with the game's real pictures and sounds.
//
//   MatchFrame/scripted: a one-player match played by a keyboard script that
//     follows the ball, restarted whenever it is won; median and worst frame.
//   MatchFrame/mostWaves: the same, with the wave list held at the most
//     waves a match can have alive at once (five: a wave lives 25 frames and
//     a burst launches one at most every 7).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <vector>

#include "effects/TwaveF.h"
#include "effects/estrellasM.h"
#include "match/TRaqueta.h"
#include "match/Tball.h"
#include "match/partida.h"
#include "menus/Tminivel.h"
#include "menus/Tmenu.h"
#include "platform/headless.h"
#include "platform/runtime.h"
#include "shell/catalogo.h"
#include "shell/neonrally.h"
#include "shell/sonido.h"

namespace {

constexpr int kOndasVivas = 5;

void Arrancar() {
  nr::InstallBackend(std::make_unique<nr::HeadlessBackend>());
  CargarImagenes();
  CargarSonidos();
  listaestrellas = CreateList<Testrellas>();
  listaestrellas2 = CreateList<Testrellas>();
  IniciarModulosPartida();
  Testrellas::crear();
  Testrellas2::crear();
  Njoysticks = JoyCount();
  Graphics(640, 480, 32, 60, 0);
  Mimenu = std::make_unique<Tmenu>();
  Minivel = std::make_unique<Tminivel>();
  CrearObjetosPartida();
}

void NuevaPartida() {
  iniciarJuego();
  Nplayers = 1;
  Tantos = 7;
  seleccion = 3;
}

// Player 1 on the arrows: keeps the paddle's middle on the ball's.
void Jugar() {
  const float centro = raqueta1->y + 32;
  const float bola = pelota->by + 12;
  nr::Input().key(KEY_DOWN, bola > centro + 6);
  nr::Input().key(KEY_UP, bola < centro - 6);
}

void Rellenar() {
  int k = 0;
  while (ListaO->Count() < kOndasVivas) {
    LanzarOnda::crear(100.0f + 90.0f * static_cast<float>(k), 240, 1 + k % 4);
    ++k;
  }
}

void Partida(benchmark::State& state, bool masOndas) {
  Arrancar();
  NuevaPartida();
  std::vector<double> tiempos;
  tiempos.reserve(static_cast<size_t>(state.max_iterations));
  for (auto _ : state) {
    if (seleccion != 3) NuevaPartida();
    Jugar();
    if (masOndas) Rellenar();
    Cls();
    const auto t0 = std::chrono::steady_clock::now();
    FramePartida();
    const auto t1 = std::chrono::steady_clock::now();
    Flip(-1);
    const double s = std::chrono::duration<double>(t1 - t0).count();
    state.SetIterationTime(s);
    tiempos.push_back(s);
  }
  std::sort(tiempos.begin(), tiempos.end());
  if (!tiempos.empty()) {
    state.counters["median_us"] = tiempos[tiempos.size() / 2] * 1e6;
    state.counters["worst_us"] = tiempos.back() * 1e6;
    state.counters["p99_us"] = tiempos[tiempos.size() * 99 / 100] * 1e6;
  }
  nr::UninstallBackend();
}

void BM_MatchFrameScripted(benchmark::State& state) { Partida(state, false); }
void BM_MatchFrameMostWaves(benchmark::State& state) { Partida(state, true); }

// About six minutes of play at 60 frames a second.
BENCHMARK(BM_MatchFrameScripted)->Name("MatchFrame/scripted")->Iterations(20000)->UseManualTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_MatchFrameMostWaves)->Name("MatchFrame/mostWaves")->Iterations(20000)->UseManualTime()
    ->Unit(benchmark::kMicrosecond);

}  // namespace
