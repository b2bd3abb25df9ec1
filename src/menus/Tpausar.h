// The pause menu over a match, and the winner screen after one.
#pragma once

#include <memory>

class Tpausar {
 public:
  Tpausar();
  void dibujarNivelPrincipal();
  void NivelSeleccionado();
  void update();

  int opcion;  // 1 = Back To Menu, 2 = Continue Game
  int pausa;   // left and right are ignored until the clock is past this
};

extern std::unique_ptr<Tpausar> continuar;

// One winner-screen frame (screen state 4), then its exit test.
void Ganador();
void SalidaGanador();
