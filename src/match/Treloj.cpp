#include "match/Treloj.h"

#include <string>

#include "match/puntuacion.h"
#include "platform/platform.h"
#include "shell/catalogo.h"

int segundos = 0;
int minutos = 0;
int horas = 0;
int milise = 0;

namespace {
constexpr float kEscalaReloj = 0.4f;  // 45-pixel digits drawn at 18
constexpr int kCelda = 14;            // step between a field's digits
}  // namespace

void iniciarRelojaCero() {
  segundos = 0;
  minutos = 0;
  horas = 0;
  milise = MilliSecs() + 1000;
}

// The next deadline counts from this call, not from the old deadline, and
// time outside play does not move it: the first frame after a pause or the
// ready/start sequence counts a second at once.
void TemporizadorUpdate() {
  const int now = MilliSecs();
  if (milise < now) {
    milise = now + 1000;
    segundos = segundos + 1;
  }
  if (segundos > 59) {
    segundos = 0;
    minutos = minutos + 1;
  }
  if (minutos > 59) {
    minutos = 0;
    horas = horas + 1;
  }
}

void temporizadorRender(int xpos, int ypos) {
  dibujarPartesReloj(segundos, xpos + 77, ypos);
  dibujarPartesReloj(minutos, xpos + 38, ypos);
  dibujarPartesReloj(horas, xpos, ypos);
  SetScale(kEscalaReloj, kEscalaReloj);
  DrawImage(dospuntos, static_cast<float>(xpos + 40), static_cast<float>(ypos), 0);
  DrawImage(dospuntos, static_cast<float>(xpos + 78), static_cast<float>(ypos), 0);
  SetScale(1, 1);
}

void dibujarPartesReloj(int item, int posicionx, int posicionY) {
  const std::string rTexto1 = std::to_string(item);
  const int rT1length = static_cast<int>(rTexto1.size());
  for (int i = 1; i <= rT1length; ++i) {
    ElegirDigito(std::string_view(rTexto1).substr(static_cast<size_t>(i - 1), 1));
    SetScale(kEscalaReloj, kEscalaReloj);
    int rcolocado = i;
    if (rT1length == 1) {
      // Drawn before the blend is set, so it takes whatever mode is in force.
      DrawImage(cero, static_cast<float>(posicionx + kCelda), static_cast<float>(posicionY), 0);
      rcolocado = 2;
    }
    SetBlend(LIGHTBLEND);
    DrawImage(TempImage, static_cast<float>(posicionx + kCelda * rcolocado),
              static_cast<float>(posicionY), 0);
    SetBlend(ALPHABLEND);
    SetScale(1, 1);
  }
}
