#include "menus/Tminivel.h"

#include "match/partida.h"
#include "menus/Tmenu.h"
#include "menus/logotitulo.h"
#include "platform/platform.h"
#include "shell/catalogo.h"
#include "shell/neonrally.h"

std::unique_ptr<Tminivel> Minivel;

namespace {

struct Boton {
  const TImage* apagado;
  const TImage* encendido;
  float x, y;
};

constexpr int kItems = 5;

// In item order: 7, 15, 21, no limit, Back To Menu.
const Boton kBotones[kItems] = {
    {&M7Off, &M7On, 145, 190},   {&M15Off, &M15On, 235, 190}, {&M21Off, &M21On, 325, 190},
    {&infoff, &infon, 415, 190}, {&backoff, &backon, 240, 280},
};

}  // namespace

Tminivel::Tminivel() : opcion(1), pausa(MilliSecs() + 200) {}

void Tminivel::update() { MoverOpcion(opcion, pausa, kItems); }

void Tminivel::dibujarNivelPrincipal() {
  for (const Boton& b : kBotones) DrawImage(*b.apagado, b.x, b.y, 0);
  LogoPlimoDrevan();
}

void Tminivel::NivelSeleccionado() {
  if (opcion >= 1 && opcion <= kItems) {
    const Boton& b = kBotones[opcion - 1];
    DrawImage(*b.encendido, b.x, b.y, 0);
  }
  if (!OpcionConfirmada()) return;
  switch (opcion) {
    case 1:
      seleccion = 3;
      Tantos = 7;
      break;
    case 2:
      seleccion = 3;
      Tantos = 15;
      break;
    case 3:
      seleccion = 3;
      Tantos = 21;
      break;
    case 4:
      seleccion = 3;
      Tantos = kSinLimite;
      break;
    case 5:
      seleccion = 1;
      break;
  }
}
