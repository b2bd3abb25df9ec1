// Both scores as rows of digit pictures under the top edge.
#pragma once

#include <string_view>

#include "platform/platform.h"

// The digit picture last selected; the clock shares it.
extern TImage TempImage;

void DibujarPuntuacion();
// Right-aligned row ending near x = posicion.
void Puntuacion1(int player1, int posicion);
// Left-aligned row starting just after x = posicion.
void Puntuacion2(int player1, int posicion);
// "0" ... "9" selects that digit's picture into TempImage; anything else
// leaves it as it was.
void ElegirDigito(std::string_view Temp);
