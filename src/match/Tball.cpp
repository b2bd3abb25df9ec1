#include "match/Tball.h"

#include <cmath>
#include <limits>

#include "effects/TwaveF.h"
#include "match/TRaqueta.h"
#include "match/partida.h"
#include "shell/catalogo.h"
#include "shell/sonido.h"

std::unique_ptr<Tball> pelota;

int horizontal = 0;
int daleangulo = 0;
int acambiar = 0;

namespace {

constexpr float kCentroX = 300;  // serve position
constexpr float kCentroY = 240;
constexpr float kSaque = 4;       // serve speed on both axes
constexpr float kTecho = 40;      // the ball's top edge bounces above this
constexpr float kSuelo = 420;     // and its top edge below this
constexpr float kEmpujeMuro = 4;
constexpr float kEmpujeRaqueta = 4;
constexpr float kPasoIncremento = 0.02f;
constexpr float kIncrementoMax = 5;
constexpr float kPlano = 3.3f;       // vertical speed of a flattened hit
constexpr float kEnsanche = 2;       // horizontal speed a flattened hit adds
constexpr float kEmpinado = 2.4f;    // the one-time steepening
constexpr int kAlturaBola = 14;      // the ball's reference height below by
constexpr int kBanda = 3;            // half width of a paddle's centre band

// Toward zero, and safe for a value beyond the int range.
int Truncar(float v) {
  constexpr float kLimite = 2147483648.0f;  // 2^31
  if (std::isnan(v)) return 0;
  if (v >= kLimite) return std::numeric_limits<int>::max();
  if (v <= -kLimite) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

// What differs between a hit on the left paddle and one on the right.
struct Lado {
  int margen;         // the direction test's margin about the mid-line
  float empuje;       // horizontal push away from the paddle
  TSound* sonido;
  int dirframe;
  float ondaX, ondaY;  // wave centre relative to (bx, by)
  float ondaC;
};

void GolpeRaqueta(Tball& b, float raquetaY, int raquetaAlto, const Lado& lado) {
  b.incremento = b.incremento + kPasoIncremento;
  if (b.incremento > kIncrementoMax) b.incremento = kIncrementoMax;

  if (horizontal != 0) {
    b.sy = kPlano;
    horizontal = 0;
    if (b.sx > 0) b.sx = b.sx + kEnsanche;
    else if (b.sx < 0) b.sx = b.sx - kEnsanche;
    daleangulo = 1;
  }

  b.sx = -b.sx;

  const float m = raquetaY + static_cast<float>(raquetaAlto / 2);
  const float c = b.by + kAlturaBola;
  const float margen = static_cast<float>(lado.margen);
  if (c < m - margen && b.sy > 0) b.sy = -b.sy;
  if (c > m + margen && b.sy < 0) b.sy = -b.sy;
  if (m - kBanda < c && c < m + kBanda) horizontal = 1;

  b.bx = b.bx + lado.empuje;

  b.azarx = static_cast<float>(Rnd(2, 7) / 7);
  b.azary = static_cast<float>(Rnd(2, 7) / 7);

  if (b.sx > 0) b.sx = b.sx + b.incremento;
  if (b.sx < 0) b.sx = b.sx - b.incremento;
  if (b.sy > 0) b.sy = b.sy + b.incremento;
  if (b.sy < 0) b.sy = b.sy - b.incremento;

  PlaySound(*lado.sonido);
  b.dirframe = lado.dirframe;

  ActivarOnda();
  PelotazoX = b.bx + lado.ondaX;
  PelotazoY = b.by + lado.ondaY;
  PelotazoC = lado.ondaC;

  if (daleangulo != 0 && acambiar == 3) {
    b.sy = b.sy * kEmpinado;
    daleangulo = 0;
  }
  acambiar = acambiar + 1;
}

// The left paddle keeps the vertical direction across its whole centre band;
// the right one turns every hit off its exact mid-line.
const Lado kIzquierda{kBanda, kEmpujeRaqueta, &ping, 1, 0, 12, 2};
const Lado kDerecha{0, -kEmpujeRaqueta, &pong, -1, 25, 25, 4};

}  // namespace

Tball::Tball()
    : bx(kCentroX),
      by(kCentroY),
      sx(-kSaque),
      sy(kSaque),
      img(superpelota),
      glow(gsuperpelota),
      azarx(0),
      azary(0),
      incremento(0),
      ballframe(4),
      timeframe(MilliSecs() + 25),
      dirframe(-1) {}

void Tball::iniciar() {
  bx = kCentroX;
  by = kCentroY;
  sx = -kSaque;
  sy = kSaque;
  incremento = 0;
}

void Tball::update() {
  const int now = MilliSecs();
  if (timeframe < now) {
    timeframe = now + 25;
    ballframe = ballframe + dirframe;
  }
  if (ballframe < 0) ballframe = 7;
  if (ballframe > 7) ballframe = 0;

  bx = bx + (sx + azarx);
  by = by + (sy + azary);

  // Neither paddle test looks at the direction of travel: a ball still
  // overlapping next frame is reversed again.
  if (raqueta1 && ImagesCollide(img, Truncar(bx), Truncar(by), 0, raqueta1->img,
                                Truncar(raqueta1->x), Truncar(raqueta1->y), 0))
    GolpeRaqueta(*this, raqueta1->y, ImageHeight(raqueta1->img), kIzquierda);
  if (raqueta2 && ImagesCollide(img, Truncar(bx), Truncar(by), 0, raqueta2->img2,
                                Truncar(raqueta2->x), Truncar(raqueta2->y), 0))
    GolpeRaqueta(*this, raqueta2->y, ImageHeight(raqueta2->img2), kDerecha);

  if (by < kTecho) {
    sy = -sy;
    by = by + kEmpujeMuro;
    ActivarOnda();
    PelotazoX = bx + 12;
    PelotazoY = by + 25;
    PelotazoC = 1;
    PlaySound(rebote);
  }
  if (by > kSuelo) {
    sy = -sy;
    by = by - kEmpujeMuro;
    ActivarOnda();
    PelotazoX = bx + 21;
    PelotazoY = by;
    PelotazoC = 2;
    PlaySound(rebote);
  }

  if (bx < 0) ScorePlayer2 = ScorePlayer2 + 1;
  if (bx > 640) ScorePlayer1 = ScorePlayer1 + 1;

  if (bx < 0 || bx > 640) {
    const int miposx = bx < 0 ? 1 : 2;
    SeedRnd(MilliSecs());
    const int Aleatorio = static_cast<int>(Rnd(1, 3));
    bx = kCentroX;
    by = kCentroY;
    // Towards the side that has just scored.
    sx = miposx == 1 ? kSaque : -kSaque;
    sy = Aleatorio == 1 ? kSaque : -kSaque;
    incremento = 0;
    PlaySound(gol);
  }
}

void Tball::render() {
  SetBlend(ALPHABLEND);
  DrawImage(img, bx, by, ballframe);
  SetBlend(LIGHTBLEND);
  DrawImage(glow, bx, by, ballframe);
  SetBlend(ALPHABLEND);
}
