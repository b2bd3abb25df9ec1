#include "shell/neonrally.h"

#include "platform/platform.h"

// Placeholder until the shell lands: one black frame, then the exit.
int NeonRallyMain() {
  Graphics(640, 480, 32, 60, 0);
  Cls();
  Flip(-1);
  EndGraphics();
  return 0;
}

void RegistrarEstadoTraza() {}
