#include "menus/Tpausar.h"

#include "effects/estrellasM.h"
#include "match/TRaqueta.h"
#include "match/Treloj.h"
#include "match/partida.h"
#include "match/puntuacion.h"
#include "menus/Tmenu.h"
#include "platform/platform.h"
#include "shell/catalogo.h"
#include "shell/neonrally.h"

std::unique_ptr<Tpausar> continuar;

namespace {
constexpr float kBotonY = 240;
constexpr float kVolverX = 64;
constexpr float kSeguirX = 384;
}  // namespace

Tpausar::Tpausar() : opcion(1), pausa(MilliSecs() + 200) {}

// With two items, a step either way switches to the other one.
void Tpausar::update() { MoverOpcion(opcion, pausa, 2); }

void Tpausar::dibujarNivelPrincipal() {
  DrawImage(backoff, kVolverX, kBotonY, 0);
  DrawImage(seguirOff, kSeguirX, kBotonY, 0);
}

void Tpausar::NivelSeleccionado() {
  if (opcion == 1) DrawImage(backon, kVolverX, kBotonY, 0);
  if (opcion == 2) DrawImage(seguirOn, kSeguirX, kBotonY, 0);

  // A press made during play is still pending here and confirms at once.
  if (OpcionConfirmada()) {
    if (opcion == 1) {
      abandono = 1;
    } else if (opcion == 2) {
      pausarjuego = 0;
      abandono = 0;
    }
  }
}

void Ganador() {
  EstrellasV();
  DibujarCampo();
  DibujarPuntuacion();
  raqueta1->render();
  raqueta2->render();
  temporizadorRender(253, 8);
  if (ScorePlayer1 > ScorePlayer2) DrawImage(winner, 70, 200, 0);
  else DrawImage(winner, 400, 200, 0);
}

void SalidaGanador() {
  if (KeyHit(KEY_SPACE) || JoyHit(0, 0)) {
    iniciarRelojaCero();
    seleccion = 1;
  }
}
