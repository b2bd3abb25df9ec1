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
