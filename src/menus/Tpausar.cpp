// Placeholder until the match lands.
#include "menus/Tpausar.h"

void Ganador() {}
void SalidaGanador() {}
