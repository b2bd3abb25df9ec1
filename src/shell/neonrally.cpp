#include "shell/neonrally.h"

#include "effects/estrellasM.h"
#include "effects/introgame.h"
#include "match/partida.h"
#include "menus/Tmenu.h"
#include "menus/Tminivel.h"
#include "menus/Tpausar.h"
#include "menus/logotitulo.h"
#include "platform/platform.h"
#include "platform/runtime.h"
#include "shell/catalogo.h"
#include "shell/sonido.h"

int seleccion;
int salir;
int Njoysticks;

namespace {

constexpr int kEsperaSalida = 800;

// Everything a start finds, set explicitly: a test process starts the
// program many times, and a run stopped halfway leaves its values behind.
void Cargar() {
  CargarImagenes();
  CargarSonidos();
  listaestrellas = CreateList<Testrellas>();
  listaestrellas2 = CreateList<Testrellas>();
  IniciarModulosPartida();
  canal3 = AllocChannel();
  IniciarEstadoIntro();
  // Before anything seeds the generator, so the layout is the same every run.
  Testrellas::crear();
  Testrellas2::crear();
  seleccion = 1;
  salir = 0;
  Njoysticks = 0;
  Mimenu.reset();
  Minivel.reset();
}

void FrameMenuPrincipal() {
  Mimenu->Update();
  EstrellasV();
  Mimenu->DibujarMenuPrincipal();
  Mimenu->MenuSeleccionado();
  dibujartitulo();
}

void FrameMenuNivel() {
  Minivel->update();
  EstrellasH();
  Minivel->dibujarNivelPrincipal();
  Minivel->NivelSeleccionado();
  dibujartitulo();
}

}  // namespace

int NeonRallyMain() {
  Cargar();
  Njoysticks = JoyCount();
  Graphics(640, 480, 32, 60, 0);
  HideMouse();
  CargarIntro();
  Mimenu = std::make_unique<Tmenu>();
  Minivel = std::make_unique<Tminivel>();
  CrearObjetosPartida();

  while (salir == 0) {
    Cls();
    switch (seleccion) {
      case 1:
        FrameMenuPrincipal();
        break;
      case 2:
        FrameMenuNivel();
        break;
      case 3:
        FramePartida();
        break;
      case 4:
        Ganador();
        SalidaGanador();
        break;
    }
    Flip(-1);
  }

  // The last picture stays up; nothing is drawn or polled meanwhile.
  const int fin = MilliSecs() + kEsperaSalida;
  while (!(MilliSecs() > fin)) {
  }
  EndGraphics();
  return 0;
}

void RegistrarEstadoTraza() {
  nr::SetStateReporter([](nr::StateWriter& w) {
    w.put("seleccion", seleccion);
    w.put("salir", salir);
    w.put("Tantos", Tantos);
    w.put("Nplayers", Nplayers);
    // The menus and the match objects are created together after the intro.
    if (!Mimenu || !Minivel) return;
    w.put("Mimenu.opcion", Mimenu->opcion);
    w.put("Mimenu.pausa", Mimenu->pausa);
    w.put("Minivel.opcion", Minivel->opcion);
    w.put("Minivel.pausa", Minivel->pausa);
    EstadoPartida(w);
  });
}
