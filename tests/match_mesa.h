// The match on its own, in process: a fresh headless start with pictures and
// sounds made in memory, the match's start-up, and a frame loop that runs
// screen states 3 and 4 as the main loop does. Shared by the match and
// effects tests.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "effects/estrellasM.h"
#include "match/partida.h"
#include "menus/Tminivel.h"
#include "menus/Tmenu.h"
#include "menus/Tpausar.h"
#include "platform/headless.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "platform/sound.h"
#include "platform/trace.h"
#include "shell/catalogo.h"
#include "shell/neonrally.h"
#include "shell/sonido.h"
#include "trace_reader.h"

namespace mesa {

using traza::Cuadro;
using traza::Dibujo;
using traza::LeerTraza;
using traza::Sonido;

using Solido = std::function<bool(int cell, int x, int y)>;

// A picture of `cells` cells of cw x ch, `across` to a row, white and opaque
// where `solido` holds and fully transparent elsewhere.
inline TImage Pintada(const std::string& name, int cw, int ch, int cells = 1, int across = 1,
                      const Solido& solido = nullptr) {
  auto px = std::make_shared<PixelBuffer>();
  const int rows = (cells + across - 1) / across;
  px->width = cw * across;
  px->height = ch * rows;
  px->rgba.assign(static_cast<size_t>(px->width) * static_cast<size_t>(px->height) * 4, 0);
  for (int k = 0; k < cells; ++k)
    for (int y = 0; y < ch; ++y)
      for (int x = 0; x < cw; ++x) {
        if (!solido || !solido(k, x, y)) continue;
        uint8_t* p = px->rgba.data() + (static_cast<size_t>((k / across) * ch + y) * static_cast<size_t>(px->width) +
                                        static_cast<size_t>((k % across) * cw + x)) * 4;
        p[0] = p[1] = p[2] = p[3] = 255;
      }
  return nr::ImageFromPixels(name, px, cw, ch, cells);
}

inline TSound SonidoHecho(const std::string& name, int ms) {
  auto s = std::make_shared<Sound>();
  s->name = name;
  s->channels = 1;
  s->rate = 1000;
  s->bits = 16;
  s->frames = ms;
  s->lengthMs = ms;
  return s;
}

// The paddles' opaque strokes as the pictures have them: a 3-pixel outline
// of columns c0 ... c1, rows 3 ... 61, hollow inside.
inline Solido Contorno(int c0, int c1) {
  return [=](int, int x, int y) {
    if (x < c0 || x > c1 || y < 3 || y > 61) return false;
    return x < c0 + 3 || x > c1 - 3 || y < 6 || y > 58;
  };
}

// The ball's disc, columns 3 ... 21 and rows 1 ... 19, in frame 0 only: a
// collision test made with any other frame never hits.
inline bool DiscoBola(int cell, int x, int y) {
  const int dx = x - 12, dy = y - 10;
  return cell == 0 && 4 * (dx * dx + dy * dy) <= 361;
}

// Every picture and sound the match uses, under its embedded name and at
// its catalogue size; fresh objects, so no handle carries over.
inline void CatalogoSintetico() {
  struct P {
    TImage* g;
    const char* n;
    int w, h, cells, across;
  };
  const P planos[] = {
      {&backoff, "gfx/back.png", 160, 24, 1, 1},
      {&backon, "gfx/backon.png", 160, 24, 1, 1},
      {&seguirOff, "gfx/continueoff.png", 160, 24, 1, 1},
      {&seguirOn, "gfx/continue.png", 160, 24, 1, 1},
      {&winner, "gfx2/youwinr.png", 160, 110, 1, 1},
      {&ncampo, "gfx2/campo.png", 640, 480, 1, 1},
      {&gcampo, "gfx2/glowcampo.png", 640, 480, 1, 1},
      {&ledplayer1, "gfx2/ledplayer1.png", 349, 86, 1, 1},
      {&ledplayer2, "gfx2/ledplayer2.png", 349, 86, 1, 1},
      {&ledcomputer, "gfx2/ledcomputer.png", 349, 86, 1, 1},
      {&velmarino, "gfx2/velmarino.png", 438, 45, 1, 1},
      {&ggraqueta1, "gfx2/graqueta1.png", 36, 64, 1, 1},
      {&ggraqueta2, "gfx2/graqueta2.png", 36, 64, 1, 1},
      {&gsuperpelota, "gfx2/gsuperpelota.png", 25, 25, 10, 10},
      {&cero, "gfx2/cero.png", 45, 45, 1, 1},
      {&uno, "gfx2/uno.png", 45, 45, 1, 1},
      {&dos, "gfx2/dos.png", 45, 45, 1, 1},
      {&tres, "gfx2/tres.png", 45, 45, 1, 1},
      {&cuatro, "gfx2/cuatro.png", 45, 45, 1, 1},
      {&cinco, "gfx2/cinco.png", 45, 45, 1, 1},
      {&seis, "gfx2/seis.png", 45, 45, 1, 1},
      {&siete, "gfx2/siete.png", 45, 45, 1, 1},
      {&ocho, "gfx2/ocho.png", 45, 45, 1, 1},
      {&nueve, "gfx2/nueve.png", 45, 45, 1, 1},
      {&dospuntos, "gfx2/puntos.png", 45, 45, 1, 1},
      {&ready, "gfx2/ready.png", 640, 480, 1, 1},
      {&start, "gfx2/start.png", 640, 480, 1, 1},
      {&glowm, "gfx2/starts.png", 640, 480, 1, 1},
      {&estrella, "gfx/star1.png", 19, 19, 1, 1},
      {&Omorada, "gfx2/ondamorada.png", 100, 100, 25, 5},
      {&Oazul, "gfx2/ondaazul.png", 100, 100, 25, 5},
      {&Oroja, "gfx2/ondaroja.png", 100, 100, 25, 5},
      {&Overde, "gfx2/ondaverde.png", 100, 100, 25, 5},
      {&gOmorada, "gfx2/gondamorada.png", 100, 100, 25, 5},
      {&gOazul, "gfx2/gondaazul.png", 100, 100, 25, 5},
      {&gOroja, "gfx2/gondaroja.png", 100, 100, 25, 5},
      {&gOverde, "gfx2/gondaverde.png", 100, 100, 25, 5},
      {&brillo, "gfx2/linea.png", 100, 100, 25, 5},
      {&energiaesfera, "gfx2/energiaesfera2.png", 35, 35, 1, 1},
  };
  for (const P& p : planos) *p.g = Pintada(p.n, p.w, p.h, p.cells, p.across);
  nraqueta1 = Pintada("gfx2/raqueta1.png", 36, 64, 1, 1, Contorno(6, 28));
  nraqueta2 = Pintada("gfx2/raqueta2.png", 36, 64, 1, 1, Contorno(7, 30));
  superpelota = Pintada("gfx2/superpelota.png", 25, 25, 10, 10, DiscoBola);

  menus = SonidoHecho("sfx/menu.wav", 399);
  enter = SonidoHecho("sfx/enter.wav", 264);
  ping = SonidoHecho("sfx2/ping.wav", 2155);
  pong = SonidoHecho("sfx2/pong.wav", 2155);
  rebote = SonidoHecho("sfx2/rebote.wav", 2190);
  gol = SonidoHecho("sfx2/gol.wav", 1211);
  beep = SonidoHecho("sfx2/bonus3.wav", 1719);
  neon = SonidoHecho("sfx2/neon.wav", 6183);
}

// A whole trace, one Cuadro per frame number.
inline std::vector<Cuadro> LeerCuadros(const std::string& texto) {
  std::vector<Cuadro> out;
  std::istringstream lineas(texto);
  for (std::string linea; std::getline(lineas, linea);) {
    const size_t tab = linea.find('\t');
    if (tab == std::string::npos || linea.compare(tab + 1, 3, "end") == 0) continue;
    const size_t n = std::stoul(linea.substr(0, tab));
    if (out.size() <= n) out.resize(n + 1);
    LeerTraza(linea + "\n", out[n]);
  }
  return out;
}

// One program start of the match alone. Input goes straight into the
// platform's counters (pulsar, soltar, eje, boton) before the frame that
// is to see it; every frame's trace is kept.
class Mesa {
 public:
  explicit Mesa(int joysticks = 0) {
    auto backend = std::make_unique<nr::HeadlessBackend>(std::vector<nr::InputEvent>{}, joysticks);
    nr::InstallBackend(std::move(backend));
    trace_ = std::make_unique<nr::Trace>(nr::kTraceAll);
    nr::SetTrace(trace_.get());
    nr::SetStateReporter([](nr::StateWriter& w) {
      w.put("seleccion", seleccion);
      w.put("Tantos", Tantos);
      w.put("Nplayers", Nplayers);
      EstadoPartida(w);
    });
    CatalogoSintetico();
    // Empty star layers: the stars are not the match's business.
    listaestrellas = CreateList<Testrellas>();
    listaestrellas2 = CreateList<Testrellas>();
    IniciarModulosPartida();
    seleccion = 1;
    salir = 0;
    Njoysticks = JoyCount();
    Graphics(640, 480, 32, 60, 0);
    Mimenu = std::make_unique<Tmenu>();
    Minivel = std::make_unique<Tminivel>();
    CrearObjetosPartida();
  }
  ~Mesa() {
    nr::SetTrace(nullptr);
    nr::SetStateReporter(nullptr);
    nr::UninstallBackend();
  }
  Mesa(const Mesa&) = delete;
  Mesa& operator=(const Mesa&) = delete;

  // What the menus do when a match is chosen.
  void preparar(int jugadores = 1, int tantos = 7) {
    iniciarJuego();
    Nplayers = jugadores;
    Tantos = tantos;
    seleccion = 3;
  }

  // One pass of the main loop for the states the match owns.
  Cuadro cuadro() {
    Cls();
    if (seleccion == 3) {
      FramePartida();
    } else if (seleccion == 4) {
      Ganador();
      SalidaGanador();
    }
    Flip(-1);
    return leerCuadro();
  }
  Cuadro cuadros(int n) {
    for (int i = 1; i < n; ++i) cuadro();
    return cuadro();
  }
  // Frames until `hecho` holds after one (at most `limite`); false if never.
  bool hasta(const std::function<bool()>& hecho, int limite = 10000) {
    for (int i = 0; i < limite; ++i) {
      cuadro();
      if (hecho()) return true;
    }
    return false;
  }
  // Through the ready/start sequence: the frame after this one is play.
  void hastaElJuego() { ASSERT_TRUE(hasta([] { return empezar != 0; })); }

  void pulsar(int key) { nr::Input().key(key, true); }
  void soltar(int key) { nr::Input().key(key, false); }
  void tocar(int key) {
    pulsar(key);
    soltar(key);
  }
  void eje(int port, int axis, int raw) { nr::Input().joyAxis(port, axis, raw); }
  void boton(int port, int button) {
    nr::Input().joyButton(port, button, true);
    nr::Input().joyButton(port, button, false);
  }

  const std::vector<Cuadro>& todos() const { return cuadros_; }

  // The trace written since the last frame: the draws and sounds of code a
  // test calls outside the frame loop.
  Cuadro suelto() {
    Cuadro q;
    LeerTraza(trace_->text(), q);
    trace_ = std::make_unique<nr::Trace>(nr::kTraceAll);
    nr::SetTrace(trace_.get());
    return q;
  }

 private:
  const Cuadro& leerCuadro() {
    cuadros_.push_back(suelto());
    return cuadros_.back();
  }

  std::unique_ptr<nr::Trace> trace_;
  std::vector<Cuadro> cuadros_;
};

// The names of the draws, in order.
inline std::vector<std::string> Nombres(const std::vector<Dibujo>& ds) {
  std::vector<std::string> out;
  for (const Dibujo& d : ds) out.push_back(d.imagen);
  return out;
}

inline std::vector<Dibujo> De(const std::vector<Dibujo>& ds, const std::string& imagen) {
  std::vector<Dibujo> out;
  for (const Dibujo& d : ds)
    if (d.imagen == imagen) out.push_back(d);
  return out;
}

inline float Real(const Cuadro& q, const std::string& clave) {
  auto it = q.estado.find(clave);
  EXPECT_NE(it, q.estado.end()) << "no state pair " << clave;
  return it == q.estado.end() ? -999999.0f : std::stof(it->second);
}

}  // namespace mesa
