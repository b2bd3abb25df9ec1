#include "menus/logotitulo.h"

#include "shell/catalogo.h"

void dibujartitulo() { DrawImage(titulo, 160, -20, 0); }

void LogoPlimoDrevan() {
  SetScale(0.6f, 0.6f);
  DrawImage(plimodrevan, 190, 420, 0);
  SetScale(1, 1);
}
