// The ball: movement with drift, pixel-exact paddle hits, wall bounces,
// goals and the serve.
#pragma once

#include <memory>

#include "platform/platform.h"

class Tball {
 public:
  Tball();
  void iniciar();
  void update();
  void render();

  float bx;  // left edge of the 25 x 25 cell
  float by;  // top edge
  float sx;
  float sy;
  TImage img;
  TImage glow;
  float azarx;  // drift added to every move, drawn afresh at each paddle hit
  float azary;
  float incremento;  // speed step, +0.02 per paddle hit, at most 5
  int ballframe;
  int timeframe;
  int dirframe;
};

extern std::unique_ptr<Tball> pelota;

// Hit flags; nothing resets them during a run.
extern int horizontal;  // the last paddle hit met a centre band: flatten the next
extern int daleangulo;  // a flattened hit happened: the one-time steepening is armed
extern int acambiar;    // paddle hits since start-up
