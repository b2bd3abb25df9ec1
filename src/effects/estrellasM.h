// The two star layers behind every screen, scrolling left or up.
#pragma once

#include "platform/platform.h"

// One star. Both layers hold these records; the layer is the list a star is in.
class Testrellas {
 public:
  float posx = 0;  // left edge, kept within 0 ... 640
  float posy = 0;  // top edge, kept within 0 ... 480
  float incrementox = 0;
  float incrementoy = 0;
  TImage img;

  // Moves the star and wraps it to the opposite edge, without the overshoot.
  void moverEStrellas(float possx, float possy);

  // Layer 1: fill it (once, at start-up), and move and draw it.
  static void crear();
  static void render(float movx, float movy);
};

// Layer 2: the same record and motion, its own list.
class Testrellas2 : public Testrellas {
 public:
  static void crear();
  static void render(float movx, float movy);
};

extern TListRef<Testrellas> listaestrellas;   // layer 1, 101 stars
extern TListRef<Testrellas> listaestrellas2;  // layer 2, 101 stars

// Moves and draws both layers to the left; leaves ALPHABLEND, scale 1 x 1.
void EstrellasH();
// Moves and draws both layers upwards; leaves ALPHABLEND, scale 1 x 1.
void EstrellasV();
