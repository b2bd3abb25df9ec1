#include "effects/introgame.h"

#include "effects/estrellasM.h"
#include "shell/catalogo.h"
#include "shell/sonido.h"

int tiempoentrada;
int tiempocumplido;
float intensidad;
float gintensidad;
float ggintensidad;
int tiempoplimo;
int tiempodrevan;
int tiempooskel;
int posx;
int posgx;
TChannel canal3;

namespace {

constexpr int kDuracionParpadeo = 5000;
constexpr int kPasoPalabras = 14;  // the first two words slide right
constexpr int kPasoOskel = 16;     // the third slides left

// A dim copy, then a bright additive copy whose strength is redrawn once its
// timer has run out: 1 one time in four, else nothing, raised to the floor.
void Palabra(const TImage& img, int x, float alphaBase, int& tiempo, int intervalo,
             float& fuerza, float suelo) {
  SetAlpha(alphaBase);
  DrawImage(img, static_cast<float>(x), 0, 0);
  const int ahora = MilliSecs();
  if (ahora > tiempo) {
    fuerza = static_cast<float>(Rand(7, 10) / 10);
    tiempo = ahora + intervalo;
  }
  if (fuerza < suelo) fuerza = suelo;
  SetAlpha(fuerza);
  SetBlend(LIGHTBLEND);
  DrawImage(img, static_cast<float>(x), 0, 0);
  SetAlpha(1);
}

}  // namespace

void IniciarEstadoIntro() {
  tiempoentrada = 0;
  tiempocumplido = 0;
  intensidad = 0;
  gintensidad = 0;
  ggintensidad = 0;
  tiempoplimo = 0;
  tiempodrevan = 0;
  tiempooskel = 0;
  posx = 0;
  posgx = 0;
}

void flashplimo() { Palabra(plimo, posx, 0.2f, tiempoplimo, 35, intensidad, 0.3f); }
void flashdrevan() { Palabra(drevan, posx, 0.3f, tiempodrevan, 50, gintensidad, 0.4f); }
void flashoskel() { Palabra(oskel, posgx, 0.3f, tiempooskel, 50, ggintensidad, 0.4f); }

void aparecen() {
  SetBlend(ALPHABLEND);
  for (int k = 0; k < 20; ++k) {
    Cls();
    SetAlpha(0.05f * static_cast<float>(k));
    DrawImage(plimo, 0, 0, 0);
    DrawImage(drevan, 0, 0, 0);
    DrawImage(oskel, 0, 0, 0);
    Flip(-1);
  }
}

void CargarIntro() {
  Cls();
  Flip(-1);
  PlaySound(neon, canal3);

  tiempoentrada = MilliSecs() + 2;
  while (!(MilliSecs() > tiempoentrada)) {
  }

  aparecen();

  tiempoentrada = MilliSecs() + kDuracionParpadeo;
  // Once the time is up nothing is asked, so a SPACE pressed in the last
  // frame stays pending and confirms the title screen's first item.
  do {
    Cls();
    EstrellasV();
    flashplimo();
    flashdrevan();
    flashoskel();
    if (MilliSecs() > tiempoentrada) tiempocumplido = 1;
    Flip(-1);
  } while (!(tiempocumplido != 0 || JoyHit(0, 0) != 0 || KeyHit(KEY_SPACE) != 0));

  StopChannel(canal3);

  // The words keep the strength they had: no timer runs out while sliding.
  do {
    Cls();
    EstrellasV();
    const int congelado = MilliSecs() + 2000;
    tiempodrevan = congelado;
    tiempoplimo = congelado;
    tiempooskel = congelado;
    flashplimo();
    flashdrevan();
    flashoskel();
    posx += kPasoPalabras;
    posgx -= kPasoOskel;
    Flip(-1);
  } while (!(posx > 640));
}
