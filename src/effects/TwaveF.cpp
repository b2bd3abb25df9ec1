#include "effects/TwaveF.h"

#include "shell/catalogo.h"

TListRef<LanzarOnda> ListaO;
int lanzando = 0;
int ondatiempo = 0;
int ondatiempo2 = 0;
float PelotazoX = 0.0f;
float PelotazoY = 0.0f;
float PelotazoC = 0.0f;

namespace {

constexpr int kOndasPorRafaga = 3;
constexpr int kEntreOndas = 100;  // ms, at least, between two waves
constexpr int kUltimoFrame = 24;
constexpr float kEscalaOnda = 2.2f;
constexpr float kCentroCelda = 50;

struct Colores {
  const TImage* imagen;
  const TImage* glow;
};

// Colour index 1 ... 4.
const Colores kColores[4] = {
    {&Oazul, &gOazul}, {&Oroja, &gOroja}, {&Overde, &gOverde}, {&Omorada, &gOmorada}};

// Toward zero; an index that is no whole number in range gives 0 (no wave).
int IndiceColor(float c) {
  if (!(c > -1.0f && c < 5.0f)) return 0;
  return static_cast<int>(c);
}

}  // namespace

void LanzarOnda::crear(float posxx, float posyy, int micolor) {
  if (micolor < 1 || micolor > 4) return;
  auto onda = std::make_shared<LanzarOnda>();
  onda->x = posxx;
  onda->y = posyy;
  onda->frame = 0;
  onda->imagen = *kColores[micolor - 1].imagen;
  onda->glow = *kColores[micolor - 1].glow;
  ListAddLast(ListaO, onda);
}

void LanzarOnda::Actualizar() {
  for (const auto& enLista : *ListaO) {
    const std::shared_ptr<LanzarOnda> onda = enLista;  // outlives its removal below
    SetScale(kEscalaOnda, kEscalaOnda);
    SetImageHandle(onda->imagen, kCentroCelda, kCentroCelda);
    SetBlend(LIGHTBLEND);
    DrawImage(onda->imagen, onda->x, onda->y, onda->frame);
    SetBlend(LIGHTBLEND);
    SetImageHandle(onda->glow, kCentroCelda, kCentroCelda);
    DrawImage(onda->glow, onda->x, onda->y, onda->frame);
    // The shine is added twice.
    SetImageHandle(brillo, kCentroCelda, kCentroCelda);
    DrawImage(brillo, onda->x, onda->y, onda->frame);
    SetImageHandle(brillo, kCentroCelda, kCentroCelda);
    DrawImage(brillo, onda->x, onda->y, onda->frame);
    SetBlend(ALPHABLEND);
    SetScale(1, 1);
    onda->frame = onda->frame + 1;
    if (onda->frame > kUltimoFrame) ListRemove(ListaO, onda);
  }
}

void ActivarOnda() { lanzando = 1; }

// The position and colour are read afresh for every wave, so a second
// trigger during a burst moves and recolours the waves still to come.
void ChorroOndas() {
  if (lanzando != 0) {
    const int now = MilliSecs();
    if (now > ondatiempo) {
      ondatiempo = now + kEntreOndas;
      ondatiempo2 = ondatiempo2 + 1;
      CrearOndaExpansiva(PelotazoX, PelotazoY, IndiceColor(PelotazoC));
    }
  }
  if (ondatiempo2 == kOndasPorRafaga) {
    lanzando = 0;
    ondatiempo2 = 0;
  }
}

void CrearOndaExpansiva(float posicionX, float posicionY, int coloronda) {
  LanzarOnda::crear(posicionX, posicionY, coloronda);
}

void RenderOnda() { LanzarOnda::Actualizar(); }
