// Running the whole game on the headless backend from a script, and reading
// its trace back frame by frame. Shared by the shell, menu, star and intro
// tests.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "platform/replay.h"
#include "platform/runtime.h"
#include "shell/neonrally.h"
#include "trace_reader.h"

namespace shelltest {

using traza::Campos;
using traza::Cuadro;
using traza::Dibujo;
using traza::Sonido;

struct Corrida {
  nr::ReplayResult resultado;
  // Indexed by frame number; one more than presented when the program drew
  // or played something after its last presentation.
  std::vector<Cuadro> cuadros;
  bool terminada = false;
  long finCuadro = -1;
  int finMs = 0;

  const Cuadro& operator[](long f) const { return cuadros.at(static_cast<size_t>(f)); }
  long size() const { return static_cast<long>(cuadros.size()); }
  // The first frame at or after `desde` in screen state `s`, or -1.
  long primero(int s, long desde = 0) const {
    for (long f = desde; f < size(); ++f)
      if (cuadros[static_cast<size_t>(f)].tiene("seleccion") && (*this)[f].seleccion() == s) return f;
    return -1;
  }
};

inline Corrida Leer(const nr::ReplayResult& r) {
  Corrida c;
  c.resultado = r;
  std::istringstream lines(r.trace);
  std::string line;
  while (std::getline(lines, line)) {
    std::vector<std::string> f = Campos(line);
    if (f.size() < 2) continue;
    const long n = std::stol(f[0]);
    if (f[1] == "end") {
      c.terminada = true;
      c.finCuadro = n;
      c.finMs = std::stoi(f[2].substr(3));
      continue;
    }
    if (static_cast<long>(c.cuadros.size()) <= n) c.cuadros.resize(static_cast<size_t>(n) + 1);
    traza::LeerRegistro(f, c.cuadros[static_cast<size_t>(n)]);
  }
  return c;
}

// Runs the game on `script` (the harness's input format). `frames` < 0 runs
// it to its end.
inline Corrida Correr(const std::string& script, long frames = -1, int joysticks = 0,
                      nr::FrameObserver* observador = nullptr) {
  nr::ReplayOptions o;
  std::string error;
  EXPECT_TRUE(nr::ParseInputScript(script, o.events, error)) << error;
  o.trace = true;
  o.frames = frames;
  o.joysticks = joysticks;
  RegistrarEstadoTraza();
  nr::ReplayResult r = nr::RunReplay(o, NeonRallyMain, observador);
  // Later tests in this process may run programs of their own.
  nr::SetStateReporter(nullptr);
  return Leer(r);
}

// With SPACE pressed before the first frame the intro takes 68 frames:
// the black frame, 20 fade frames, one flicker frame, 46 slide frames.
constexpr long kPrimerCuadroTitulo = 68;
inline const char* kSaltarIntro = "0 tap SPACE\n";

// Where a held direction steps a menu highlight: the first frame whose clock
// is past `plazo`, then the first one past that frame's clock + 250 ms, for
// the frames [desde, hasta] of the run.
inline std::vector<long> PasosEsperados(const Corrida& c, long desde, long hasta, int plazo) {
  std::vector<long> pasos;
  for (long f = desde; f <= hasta && f < c.size(); ++f) {
    if (c[f].ms() > plazo) {
      pasos.push_back(f);
      plazo = c[f].ms() + 250;
    }
  }
  return pasos;
}

// The frames in [desde, hasta] whose state pair `clave` differs from the
// frame before (a frame before which it did not exist does not count).
inline std::vector<long> Cambios(const Corrida& c, const std::string& clave, long desde,
                                 long hasta) {
  std::vector<long> out;
  for (long f = desde; f <= hasta && f < c.size(); ++f)
    if (c[f - 1].tiene(clave) && c[f].estado.at(clave) != c[f - 1].estado.at(clave))
      out.push_back(f);
  return out;
}

// The frames in [desde, hasta] that played `nombre`, once per play.
inline std::vector<long> Sonando(const Corrida& c, const std::string& nombre, long desde,
                                 long hasta) {
  std::vector<long> out;
  for (long f = desde; f <= hasta && f < c.size(); ++f)
    for (int i = 0; i < c[f].sonidosDe(nombre); ++i) out.push_back(f);
  return out;
}

// One expected draw: picture, position and scale; blend 3 and alpha 1.
struct Esperado {
  std::string imagen;
  float x, y;
  float escala = 1;
};

inline std::string Ver(const Dibujo& d);

// Compares a frame's draws other than the stars with the expected ones.
inline void MismosDibujos(const std::vector<Dibujo>& got, const std::vector<Esperado>& want,
                          const std::string& donde) {
  ASSERT_EQ(got.size(), want.size()) << donde;
  for (size_t i = 0; i < want.size(); ++i) {
    EXPECT_EQ(got[i].imagen, want[i].imagen) << donde << " draw " << i;
    EXPECT_EQ(got[i].x, want[i].x) << donde << " " << Ver(got[i]);
    EXPECT_EQ(got[i].y, want[i].y) << donde << " " << Ver(got[i]);
    EXPECT_EQ(got[i].sx, want[i].escala) << donde << " " << Ver(got[i]);
    EXPECT_EQ(got[i].sy, want[i].escala) << donde << " " << Ver(got[i]);
    EXPECT_EQ(got[i].blend, 3) << donde << " " << Ver(got[i]);
    EXPECT_EQ(got[i].alpha, 1.0f) << donde << " " << Ver(got[i]);
    EXPECT_EQ(got[i].celda, 0) << donde;
  }
}

// All star draws come before every other draw of the frame.
inline bool EstrellasPrimero(const Cuadro& q) {
  bool otras = false;
  for (const Dibujo& d : q.dibujos) {
    if (d.imagen != "gfx/star1.png") otras = true;
    else if (otras) return false;
  }
  return true;
}

inline std::string Ver(const Dibujo& d) {
  std::ostringstream s;
  s << d.imagen << " @" << d.x << "," << d.y << " blend " << d.blend << " alpha " << d.alpha
    << " scale " << d.sx << "x" << d.sy;
  return s.str();
}

}  // namespace shelltest
