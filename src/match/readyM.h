// The ready/start overlay that opens every match and then releases play.
#pragma once

#include "platform/platform.h"

extern TChannel canal1;  // the first word's beep
extern TChannel canal2;  // the second word's beep

extern int ReadyEstado;    // 0 wait, 1-3 ready grows/holds/shrinks, 4-6 start, 7 done
extern int ReadyRender;    // 1 while the sequence runs
extern int MitiempoPausa;  // end of the initial wait
extern float escala;       // vertical scale of the word while it grows or shrinks
extern int tempor;         // earliest time of the next grow or shrink step
extern int CrearAviso;     // 1 once the current hold's deadline is set
extern int Mtime;          // end of the current hold
extern TImage ImagenEfecto;  // ready or start

void IniciarReadyStar();
// One step per match frame, drawn over the waves.
void RenderReadyStar();
void LanzarREadyStar();
void TiempoPausa();
void iniciarReady();
void mantenerReady();
void cerrarReady();
