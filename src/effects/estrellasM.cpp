#include "effects/estrellasM.h"

#include "shell/catalogo.h"

TListRef<Testrellas> listaestrellas;
TListRef<Testrellas> listaestrellas2;

namespace {

constexpr int kEstrellasPorCapa = 101;

void CrearCapa(const TListRef<Testrellas>& lista) {
  for (int i = 0; i < kEstrellasPorCapa; ++i) {
    auto e = std::make_shared<Testrellas>();
    e->img = estrella;
    e->posx = static_cast<float>(Rnd(0, 640));
    e->posy = static_cast<float>(Rnd(0, 480));
    ListAddLast(lista, e);
  }
}

void RenderCapa(const TListRef<Testrellas>& lista, float movx, float movy) {
  SetScale(0.4f, 0.4f);
  SetBlend(LIGHTBLEND);
  for (const auto& e : *lista) {
    e->moverEStrellas(movx, movy);
    DrawImage(e->img, e->posx, e->posy, 0);
  }
  SetScale(1, 1);
  SetBlend(ALPHABLEND);
}

}  // namespace

void Testrellas::moverEStrellas(float possx, float possy) {
  posx += possx;
  posy += possy;
  if (posx > 640) posx = 0;
  if (posx < 0) posx = 640;
  if (posy > 480) posy = 0;
  if (posy < 0) posy = 480;
}

void Testrellas::crear() { CrearCapa(listaestrellas); }
void Testrellas::render(float movx, float movy) { RenderCapa(listaestrellas, movx, movy); }
void Testrellas2::crear() { CrearCapa(listaestrellas2); }
void Testrellas2::render(float movx, float movy) { RenderCapa(listaestrellas2, movx, movy); }

void EstrellasH() {
  Testrellas::render(-1.5f, 0);
  Testrellas2::render(-1, 0);
}

void EstrellasV() {
  Testrellas::render(0, -2);
  Testrellas2::render(0, -1);
}
