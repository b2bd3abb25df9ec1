// The ball's trail: the centres of its last 20 positions, drawn as shrinking
// additive orbs.
#pragma once

#include <array>

constexpr int kNodosEnergia = 20;

extern std::array<int, kNodosEnergia> pposx;  // index 0 is the newest
extern std::array<int, kNodosEnergia> pposy;
extern std::array<float, kNodosEnergia> ppesc;

// The arguments are not used: every node is parked off screen.
void IniciarNodosEnergia(float posicionNodosx, float posicionNodosY);
void EstablecerEscala();
void UpdateNodosEnergia(float posicionNodosx, float posicionNodosY);
void RenderNodosEnergia();
