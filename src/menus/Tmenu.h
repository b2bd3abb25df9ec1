// The title screen's main menu: 1 Player, 2 Players, Exit Game.
#pragma once

#include <memory>

class Tmenu {
 public:
  Tmenu();
  void DibujarMenuPrincipal();
  void Update();
  void MenuSeleccionado();

  int opcion;  // 1 = 1 Player, 2 = 2 Players, 3 = Exit Game
  int pausa;   // left and right are ignored until the clock is past this
};

extern std::unique_ptr<Tmenu> Mimenu;

// The help lines under the highlighted item.
void dibujar1player();
void dibujar2player();
void dibujarAdios();

// The highlight's move, shared by the menus of the title screen: RIGHT (or
// the stick at exactly +1.0) steps forward, LEFT (or -1.0) back, once the
// clock is past `pausa` and then once per 250 ms while held, wrapping over
// `items` entries, with one `menus` sound per step.
void MoverOpcion(int& opcion, int& pausa, int items);
// Joystick-0 button 0 first; SPACE is asked only when the button was not hit,
// so a pending SPACE then stays for the next screen.
bool OpcionConfirmada();
