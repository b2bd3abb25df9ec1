// The catalogue of what the generator makes: every picture and sound of the
// game under the name the executable embeds it by.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "canvas.h"
#include "text.h"
#include "wav.h"

namespace ag {

struct Picture {
  std::string name;  // "gfx2/campo.png"
  int w = 0, h = 0;
  std::function<Canvas()> draw;
  bool rgb = false;  // written without alpha
};

struct Audio {
  std::string name;
  std::function<Sound()> make;
};

void AddMenuArt(std::vector<Picture>& out, const Fonts& fonts);
void AddMatchArt(std::vector<Picture>& out, const Fonts& fonts);
void AddEffectArt(std::vector<Picture>& out, const Fonts& fonts);
void AddSounds(std::vector<Audio>& out);

}  // namespace ag
