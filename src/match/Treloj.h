// The match clock: hours, minutes and seconds of play.
#pragma once

extern int segundos;
extern int minutos;
extern int horas;
extern int milise;  // MilliSecs() time after which the next second counts

void iniciarRelojaCero();
// At most one second per call; called only in frames of play.
void TemporizadorUpdate();
void temporizadorRender(int xpos, int ypos);
// One field of at least two digits, 14 pixels apart.
void dibujarPartesReloj(int item, int posicionx, int posicionY);
