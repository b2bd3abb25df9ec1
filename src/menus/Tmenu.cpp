#include "menus/Tmenu.h"

#include "match/partida.h"
#include "menus/logotitulo.h"
#include "platform/platform.h"
#include "shell/catalogo.h"
#include "shell/neonrally.h"
#include "shell/sonido.h"

std::unique_ptr<Tmenu> Mimenu;

namespace {

constexpr int kRepeticion = 250;

}  // namespace

void MoverOpcion(int& opcion, int& pausa, int items) {
  if (KeyDown(KEY_RIGHT) || JoyX(0) == 1.0f) {
    const int ahora = MilliSecs();
    if (ahora > pausa) {
      pausa = ahora + kRepeticion;
      ++opcion;
      PlaySound(menus);
    }
    if (opcion > items) opcion = 1;
  }
  // A step forward has just moved `pausa`, so holding both keys only steps forward.
  if (KeyDown(KEY_LEFT) || JoyX(0) == -1.0f) {
    const int ahora = MilliSecs();
    if (ahora > pausa) {
      pausa = ahora + kRepeticion;
      --opcion;
      PlaySound(menus);
    }
    if (opcion < 1) opcion = items;
  }
}

bool OpcionConfirmada() { return JoyHit(0, 0) != 0 || KeyHit(KEY_SPACE) != 0; }

Tmenu::Tmenu() : opcion(1), pausa(MilliSecs() + 200) {}

void Tmenu::Update() { MoverOpcion(opcion, pausa, 3); }

void Tmenu::DibujarMenuPrincipal() {
  DrawImage(IplayerOFF, 70, 320, 0);
  DrawImage(IIplayerOFF, 240, 320, 0);
  DrawImage(ExitOff, 410, 320, 0);
  LogoPlimoDrevan();
}

void Tmenu::MenuSeleccionado() {
  switch (opcion) {
    case 1:
      DrawImage(IplayerON, 70, 320, 0);
      dibujar1player();
      break;
    case 2:
      DrawImage(IIplayerON, 240, 320, 0);
      dibujar2player();
      break;
    case 3:
      DrawImage(ExitOn, 410, 320, 0);
      dibujarAdios();
      break;
  }
  if (!OpcionConfirmada()) return;
  PlaySound(enter);
  switch (opcion) {
    // iniciarJuego puts Nplayers back to 1, so it is set after the call.
    case 1:
      iniciarJuego();
      seleccion = 2;
      Nplayers = 1;
      break;
    case 2:
      iniciarJuego();
      seleccion = 2;
      Nplayers = 2;
      break;
    case 3:
      salir = 1;
      break;
  }
}

void dibujar1player() {
  DrawImage(forescape, 5, 250, 0);
  DrawImage(oneplayer, 5, 170, 0);
}

void dibujar2player() {
  DrawImage(forescape, 5, 250, 0);
  DrawImage(twoplayer, 5, 170, 0);
}

void dibujarAdios() { DrawImage(adios, 0, 180, 0); }
