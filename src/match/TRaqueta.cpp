#include "match/TRaqueta.h"

#include "match/Tball.h"
#include "match/partida.h"
#include "shell/catalogo.h"

std::unique_ptr<TRaqueta1> raqueta1;
std::unique_ptr<TRaqueta2> raqueta2;

namespace {

constexpr float kPaso = 12;         // a human paddle, pixels per frame
constexpr float kPasoMaquina = 7;   // the computer's paddle
constexpr float kArriba = 40;       // highest top edge
constexpr float kAbajo = 373;       // lowest top edge
constexpr float kMitadMaquina = 350;  // the computer reacts only right of this

struct Controles {
  int abajo;  // key that moves the paddle down
  int arriba;
  int puerto;  // joystick port
};

// With one player the arrows move the left paddle; with two they are player
// 2's and player 1 takes A and Q.
constexpr Controles kJugador1Solo{KEY_DOWN, KEY_UP, 0};
constexpr Controles kJugador1{KEY_A, KEY_Q, 0};
constexpr Controles kJugador2{KEY_DOWN, KEY_UP, 1};

// Down is applied before up, so both held cancel out. Only full deflection
// counts: a partly pushed analogue stick reads less than 1.
float Mover(float y, const Controles& c) {
  if (KeyDown(c.abajo) || JoyY(c.puerto) == 1.0f) y = y + kPaso;
  if (KeyDown(c.arriba) || JoyY(c.puerto) == -1.0f) y = y - kPaso;
  return y;
}

float Limitar(float y) {
  if (!(y > kArriba)) y = kArriba;
  if (!(y < kAbajo)) y = kAbajo;
  return y;
}

void Dibujar(const TImage& img, const TImage& glow, float x, float y) {
  SetBlend(ALPHABLEND);
  DrawImage(img, x, y, 0);
  SetBlend(LIGHTBLEND);
  DrawImage(glow, x, y, 0);
  SetBlend(ALPHABLEND);
}

}  // namespace

TRaqueta1::TRaqueta1() : y(240), x(16), img(nraqueta1), glow(ggraqueta1) {}

void TRaqueta1::iniciar() {
  x = 16;
  y = 240;
}

void TRaqueta1::update() {
  if (Nplayers == 1) y = Mover(y, kJugador1Solo);
  else if (Nplayers == 2) y = Mover(y, kJugador1);
  y = Limitar(y);
}

void TRaqueta1::render() { Dibujar(img, glow, x, y); }

TRaqueta2::TRaqueta2() : y(240), x(590), img2(nraqueta2), glow(ggraqueta2) {}

void TRaqueta2::iniciar() {
  x = 590;
  y = 240;
}

// Lines its top edge up with the ball's, with no prediction, and only once
// the ball is in its half. One step a frame at most: a ball between two
// steps makes it alternate about it rather than stand still (no dead zone).
void TRaqueta2::inteligencia() {
  if (!pelota) return;
  if (pelota->by > y && pelota->bx > kMitadMaquina) {
    y = y + kPasoMaquina;
  } else if (pelota->by < y && pelota->bx > kMitadMaquina) {
    y = y - kPasoMaquina;
  }
}

void TRaqueta2::update() {
  if (Nplayers == 1) inteligencia();
  else if (Nplayers == 2) y = Mover(y, kJugador2);
  y = Limitar(y);
}

void TRaqueta2::render() { Dibujar(img2, glow, x, y); }
