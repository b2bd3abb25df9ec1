// The maker's logo before the title screen: three words fade in, flicker
// like a neon sign over the upward starfield while the neon sound plays,
// then slide apart. It runs its own frame loops and returns when it is over.
#pragma once

#include "platform/platform.h"

extern int tiempoentrada;    // end of the short wait, then end of the flicker phase
extern int tiempocumplido;   // 1 once the flicker phase has run its time
extern float intensidad;     // strength of each word's bright copy
extern float gintensidad;
extern float ggintensidad;
extern int tiempoplimo;      // after these times each word draws a new strength
extern int tiempodrevan;
extern int tiempooskel;
extern int posx;             // x of the first two words
extern int posgx;            // x of the third word
extern TChannel canal3;      // the intro's own channel, for the neon sound

// Start-up values of the intro's state (canal3 is allocated by start-up).
void IniciarEstadoIntro();

void CargarIntro();
void aparecen();
// Each draws one word for the current frame and updates its flicker;
// they leave LIGHTBLEND and alpha 1.
void flashplimo();
void flashdrevan();
void flashoskel();
