// The two paddles: the left one always player 1's, the right one player 2's
// or the computer's, as Nplayers says every frame.
#pragma once

#include <memory>

#include "platform/platform.h"

class TRaqueta1 {
 public:
  TRaqueta1();
  void iniciar();
  void update();
  void render();

  float y;  // top edge
  float x;  // left edge
  TImage img;
  TImage glow;
};

class TRaqueta2 {
 public:
  TRaqueta2();
  void iniciar();
  void inteligencia();  // the computer's move, one-player matches only
  void update();
  void render();

  float y;
  float x;
  TImage img2;
  TImage glow;
};

extern std::unique_ptr<TRaqueta1> raqueta1;
extern std::unique_ptr<TRaqueta2> raqueta2;
