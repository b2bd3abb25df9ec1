// The house style: neon tubes and lettering on a transparent ground.
#pragma once

#include <string_view>
#include <vector>

#include "canvas.h"
#include "shapes.h"
#include "text.h"

namespace ag {

// The maker's logo colours, shared by the intro layers and the banner.
inline const Colour kPlimo = Rgb(40, 235, 255);
inline const Colour kDrevan = Rgb(175, 80, 255);
inline const Colour kOskel = Rgb(30, 220, 180);

// Hollow letters: a tube of radius `tube` along every contour, with a
// whiter core, over a faint fill of the letter shapes.
struct TubeLetters {
  Colour colour;
  float tube = 2.0f;
  float hot = 0.55f;
  float fill = 0.18f;  // opacity of the inside of the letters
};
void DrawTubeText(Canvas& c, const Layout& l, std::string_view text, const TubeLetters& s);
void DrawTubeText(Canvas& c, const Layout& l, std::string_view text, const TubeLetters& s,
                  const Paint& paint);

// Solid letters whose inside, deeper than `inset`, is whitened by `hot`.
void DrawSolidText(Canvas& c, const Layout& l, std::string_view text, const Paint& paint,
                   float hot, float inset);

// One line of text runs, each in its own colour, laid out as one string.
struct Run {
  std::string_view text;
  Colour colour;
};
void DrawSolidRuns(Canvas& c, const Layout& l, const std::vector<Run>& runs, float hot, float inset);

// Puts a soft halo of the picture's own colours behind it.
void Halo(Canvas& c, float sigma, float gain);

// Aborts the generator when a picture misses a property the game relies on.
void Require(bool ok, const char* what);

}  // namespace ag
