// Lettering through FreeType, with the DejaVu faces that Debian's
// fonts-dejavu-core installs on every machine.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "canvas.h"

namespace ag {

class Face;

class Fonts {
 public:
  explicit Fonts(const std::string& dir);
  ~Fonts();
  Fonts(const Fonts&) = delete;
  Fonts& operator=(const Fonts&) = delete;
  const Face& sans() const { return *sans_; }
  const Face& sansBold() const { return *sansBold_; }
  const Face& monoBold() const { return *monoBold_; }
  const Face& serifBold() const { return *serifBold_; }

 private:
  struct Library;
  std::unique_ptr<Library> lib_;
  std::unique_ptr<Face> sans_, sansBold_, monoBold_, serifBold_;
};

struct TextStyle {
  const Face* face = nullptr;
  float size = 20;      // em size in pixels
  float scaleX = 1;     // horizontal stretch of the glyphs
  float tracking = 0;   // extra pixels after every glyph
};

// What of the glyphs to rasterise.
enum class Ink {
  Fill,     // the glyph shapes
  Outline,  // a band of `radius` on both sides of every contour
  Inner,    // the band of `radius` inside the contours only
};

// Draws `utf8` with its baseline starting at (x, y) into `m`, keeping the
// larger coverage where glyphs overlap. Returns the pen advance.
float DrawText(Mask& m, const TextStyle& style, std::string_view utf8, float x, float y,
               Ink ink = Ink::Fill, float radius = 0);
float TextAdvance(const TextStyle& style, std::string_view utf8);

// Size, stretch and baseline origin that make the text's ink (including an
// outline of `radius`) fill `box`: as tall as the box, centred, narrowed
// (stretch < 1) when it would be too wide; widened up to `maxStretch` to
// fill the width when `maxStretch` > 1.
struct Layout {
  TextStyle style;
  float x = 0, y = 0;
};
Layout FitText(const Face& face, std::string_view utf8, const Box& box, float radius,
               float maxStretch = 1.0f, float minStretch = 0.6f, float tracking = 0);

}  // namespace ag
