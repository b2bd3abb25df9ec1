#include "shell/sonido.h"

TSound menus;
TSound enter;
TSound ping;
TSound pong;
TSound rebote;
TSound gol;
TSound beep;
TSound neon;

namespace {

struct Entrada {
  TSound* global;
  const char* nombre;
};

const Entrada kSonidos[] = {
    {&menus, "sfx/menu.wav"},
    {&enter, "sfx/enter.wav"},
    {&ping, "sfx2/ping.wav"},
    {&pong, "sfx2/pong.wav"},
    {&rebote, "sfx2/rebote.wav"},
    {&gol, "sfx2/gol.wav"},
    {&beep, "sfx2/bonus3.wav"},
    {&neon, "sfx2/neon.wav"},
};

}  // namespace

void CargarSonidos() {
  for (const Entrada& e : kSonidos) *e.global = LoadSound(e.nombre, 0);
}
