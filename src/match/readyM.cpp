#include "match/readyM.h"

#include "match/partida.h"
#include "shell/catalogo.h"
#include "shell/sonido.h"

TChannel canal1;
TChannel canal2;

int ReadyEstado = 1;
int ReadyRender = 0;
int MitiempoPausa = 0;
float escala = 0.0f;
int tempor = 0;
int CrearAviso = 0;
int Mtime = 0;
TImage ImagenEfecto;

namespace {

// Single precision on purpose: ten steps of 0.1f overshoot 1 and undershoot
// 0, which is what ends every grow and every shrink on its tenth step.
constexpr float kPasoEscala = 0.1f;
constexpr int kEsperaInicial = 800;
constexpr int kPasoCrecer = 15;
constexpr int kPasoEncoger = 8;
constexpr int kMantener = 1000;

void DibujarAviso(bool escalar) {
  // 3 is clamped to fully opaque.
  SetAlpha(3);
  if (escalar) SetScale(1, escala);
  const float hx = static_cast<float>(ImageWidth(ready) / 2);
  const float hy = static_cast<float>(ImageHeight(ready) / 2);
  SetImageHandle(ImagenEfecto, hx, hy);
  DrawImage(ImagenEfecto, 320, 240, 0);
  SetImageHandle(glowm, hx, hy);
  SetBlend(LIGHTBLEND);
  DrawImage(glowm, 320, 240, 0);
  SetImageHandle(glowm, hx, hy);
  DrawImage(glowm, 320, 240, 0);
}

bool FaseReady() { return ImagenEfecto == ready; }

}  // namespace

void IniciarReadyStar() {
  MitiempoPausa = MilliSecs() + kEsperaInicial;
  escala = 0.0f;
  ReadyEstado = 0;
  CrearAviso = 0;
  ReadyRender = 1;
}

void RenderReadyStar() {
  if (ReadyRender != 0) LanzarREadyStar();
}

void LanzarREadyStar() {
  switch (ReadyEstado) {
    case 0:
      TiempoPausa();
      break;
    case 1:
      ImagenEfecto = ready;
      iniciarReady();
      break;
    case 2:
      mantenerReady();
      break;
    case 3:
      cerrarReady();
      break;
    case 4:
      ImagenEfecto = start;
      CrearAviso = 0;
      iniciarReady();
      break;
    case 5:
      mantenerReady();
      break;
    case 6:
      cerrarReady();
      break;
    default:
      break;
  }
}

void TiempoPausa() {
  if (MitiempoPausa < MilliSecs()) ReadyEstado = 1;
}

void iniciarReady() {
  // Restarted whenever the channel falls idle; the beep outlasts the grow,
  // so it normally sounds once.
  if (!ChannelPlaying(canal1) && ReadyEstado == 1) PlaySound(beep, canal1);
  if (!ChannelPlaying(canal2) && ReadyEstado == 4) PlaySound(beep, canal2);
  if (escala < 1.0f) {
    const int now = MilliSecs();
    if (tempor < now) {
      tempor = now + kPasoCrecer;
      escala = escala + kPasoEscala;
    }
    if (escala > 1.0f) {
      escala = 1.0f;
      ReadyEstado = FaseReady() ? 2 : 5;
    }
    DibujarAviso(true);
  }
}

void mantenerReady() {
  const int now = MilliSecs();
  if (CrearAviso == 0) {
    Mtime = now + kMantener;
    CrearAviso = 1;
  }
  DibujarAviso(false);
  if (Mtime < now) ReadyEstado = FaseReady() ? 3 : 6;
}

void cerrarReady() {
  if (escala > 0.0f) {
    const int now = MilliSecs();
    if (tempor < now) {
      tempor = now + kPasoEncoger;
      escala = escala - kPasoEscala;
    }
    if (escala < 0.0f) {
      escala = 0.0f;
      if (FaseReady()) {
        ReadyEstado = 4;
      } else {
        ReadyRender = 0;
        ReadyEstado = 7;
        empezar = 1;
      }
    }
    DibujarAviso(true);
  }
}
