// Bursts of three expanding waves where the ball strikes something.
#pragma once

#include <memory>

#include "platform/platform.h"

class LanzarOnda {
 public:
  float x;  // centre
  float y;
  int frame;  // next frame to draw, 0 ... 24
  TImage imagen;
  TImage glow;

  // A colour index outside 1 ... 4 has no pictures: no wave is made.
  static void crear(float posxx, float posyy, int micolor);
  // Draws every live wave once, oldest first, and retires those done.
  static void Actualizar();
};

extern TListRef<LanzarOnda> ListaO;
extern int lanzando;     // 1 while a burst is under way
extern int ondatiempo;   // the next wave of a burst waits until the clock passes this
extern int ondatiempo2;  // waves launched in the current burst
extern float PelotazoX;  // centre and colour of the burst, written by the ball
extern float PelotazoY;
extern float PelotazoC;

void ActivarOnda();
// At most one wave per call; called once per match frame.
void ChorroOndas();
void CrearOndaExpansiva(float posicionX, float posicionY, int coloronda);
void RenderOnda();
