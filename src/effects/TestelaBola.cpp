#include "effects/TestelaBola.h"

#include <cmath>

#include "platform/platform.h"
#include "shell/catalogo.h"

std::array<int, kNodosEnergia> pposx{};
std::array<int, kNodosEnergia> pposy{};
std::array<float, kNodosEnergia> ppesc{};

namespace {

constexpr int kAparcado = -30;  // wholly off screen, even at scale 1
constexpr float kPasoEscala = 0.05f;
constexpr float kAlphaEstela = 0.2f;

// Toward zero; the ball never leaves the int range, but a cast beyond it
// would be undefined.
int Truncar(float v) {
  if (std::isnan(v)) return 0;
  if (v >= 2147483648.0f) return 2147483647;
  if (v <= -2147483648.0f) return -2147483647 - 1;
  return static_cast<int>(v);
}

}  // namespace

void IniciarNodosEnergia(float, float) {
  pposx.fill(kAparcado);
  pposy.fill(kAparcado);
  EstablecerEscala();
}

// From a running single-precision value, so the last scale is about 0.05,
// not exactly.
void EstablecerEscala() {
  float escalaNodo = 1.0f;
  ppesc[0] = escalaNodo;
  for (int i = 1; i < kNodosEnergia; ++i) {
    escalaNodo = escalaNodo - kPasoEscala;
    ppesc[static_cast<size_t>(i)] = escalaNodo;
  }
}

void UpdateNodosEnergia(float posicionNodosx, float posicionNodosY) {
  for (int i = kNodosEnergia - 1; i >= 1; --i) {
    pposx[static_cast<size_t>(i)] = pposx[static_cast<size_t>(i - 1)];
    pposy[static_cast<size_t>(i)] = pposy[static_cast<size_t>(i - 1)];
  }
  pposx[0] = Truncar(posicionNodosx);
  pposy[0] = Truncar(posicionNodosY);
}

void RenderNodosEnergia() {
  SetBlend(LIGHTBLEND);
  SetAlpha(kAlphaEstela);
  for (int i = 0; i < kNodosEnergia; ++i) {
    SetImageHandle(energiaesfera, static_cast<float>(ImageWidth(energiaesfera) / 2),
                   static_cast<float>(ImageHeight(energiaesfera) / 2));
    const float s = ppesc[static_cast<size_t>(i)];
    SetScale(s, s);
    DrawImage(energiaesfera, static_cast<float>(pposx[static_cast<size_t>(i)]),
              static_cast<float>(pposy[static_cast<size_t>(i)]), 0);
  }
  SetScale(1, 1);
  SetAlpha(1);
  SetBlend(ALPHABLEND);
}
