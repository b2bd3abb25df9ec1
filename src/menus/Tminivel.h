// The match-length menu: 7, 15, 21, no limit, Back To Menu.
#pragma once

#include <memory>

class Tminivel {
 public:
  Tminivel();
  void dibujarNivelPrincipal();
  void NivelSeleccionado();
  void update();

  int opcion;  // 1 = 7, 2 = 15, 3 = 21, 4 = no limit, 5 = Back To Menu
  int pausa;
};

extern std::unique_ptr<Tminivel> Minivel;
