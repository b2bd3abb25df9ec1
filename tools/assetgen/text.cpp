#include "text.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_GLYPH_H
#include FT_STROKER_H

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace ag {

struct Fonts::Library {
  FT_Library ft = nullptr;
};

class Face {
 public:
  Face(FT_Library lib, const std::string& path) : lib_(lib) {
    if (FT_New_Face(lib, path.c_str(), 0, &face_) != 0) {
      std::fprintf(stderr, "assetgen: cannot open font %s\n", path.c_str());
      std::exit(1);
    }
  }
  ~Face() { FT_Done_Face(face_); }
  Face(const Face&) = delete;
  Face& operator=(const Face&) = delete;
  FT_Face ft() const { return face_; }
  FT_Library lib() const { return lib_; }

 private:
  FT_Library lib_;
  FT_Face face_ = nullptr;
};

Fonts::Fonts(const std::string& dir) : lib_(std::make_unique<Library>()) {
  if (FT_Init_FreeType(&lib_->ft) != 0) {
    std::fprintf(stderr, "assetgen: FreeType does not start\n");
    std::exit(1);
  }
  sans_ = std::make_unique<Face>(lib_->ft, dir + "/DejaVuSans.ttf");
  sansBold_ = std::make_unique<Face>(lib_->ft, dir + "/DejaVuSans-Bold.ttf");
  monoBold_ = std::make_unique<Face>(lib_->ft, dir + "/DejaVuSansMono-Bold.ttf");
  serifBold_ = std::make_unique<Face>(lib_->ft, dir + "/DejaVuSerif-Bold.ttf");
}

Fonts::~Fonts() {
  sans_.reset();
  sansBold_.reset();
  monoBold_.reset();
  serifBold_.reset();
  FT_Done_FreeType(lib_->ft);
}

namespace {

std::vector<char32_t> Decode(std::string_view s) {
  std::vector<char32_t> out;
  for (size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    int n = c < 0x80 ? 0 : c < 0xE0 ? 1 : c < 0xF0 ? 2 : 3;
    char32_t cp = n == 0 ? c : n == 1 ? (c & 0x1Fu) : n == 2 ? (c & 0x0Fu) : (c & 0x07u);
    for (int k = 1; k <= n && i + static_cast<size_t>(k) < s.size(); ++k)
      cp = (cp << 6) | (static_cast<unsigned char>(s[i + static_cast<size_t>(k)]) & 0x3Fu);
    out.push_back(cp);
    i += static_cast<size_t>(n) + 1;
  }
  return out;
}

FT_Pos To26(float v) { return static_cast<FT_Pos>(std::lround(v * 64.0f)); }

void SetSize(const TextStyle& st) {
  FT_Set_Char_Size(st.face->ft(), 0, To26(st.size), 72, 72);
}

// Walks the glyphs of a string, calling f(glyphIndex, penX) for each.
template <typename F>
float Walk(const TextStyle& st, std::string_view utf8, F&& f) {
  FT_Face face = st.face->ft();
  SetSize(st);
  float pen = 0;
  FT_UInt prev = 0;
  for (char32_t cp : Decode(utf8)) {
    const FT_UInt gi = FT_Get_Char_Index(face, cp);
    if (prev && gi && FT_HAS_KERNING(face)) {
      FT_Vector k;
      FT_Get_Kerning(face, prev, gi, FT_KERNING_UNFITTED, &k);
      pen += static_cast<float>(k.x) / 64.0f * st.scaleX;
    }
    if (FT_Load_Glyph(face, gi, FT_LOAD_NO_HINTING | FT_LOAD_NO_BITMAP) != 0) continue;
    f(face, pen);
    pen += static_cast<float>(face->glyph->linearHoriAdvance) / 65536.0f * st.scaleX + st.tracking;
    prev = gi;
  }
  return pen;
}

}  // namespace

float TextAdvance(const TextStyle& style, std::string_view utf8) {
  return Walk(style, utf8, [](FT_Face, float) {});
}

float DrawText(Mask& m, const TextStyle& st, std::string_view utf8, float x, float y, Ink ink,
               float radius) {
  FT_Stroker stroker = nullptr;
  if (ink != Ink::Fill) {
    FT_Stroker_New(st.face->lib(), &stroker);
    FT_Stroker_Set(stroker, To26(radius), FT_STROKER_LINECAP_ROUND, FT_STROKER_LINEJOIN_ROUND, 0);
  }
  const float adv = Walk(st, utf8, [&](FT_Face face, float pen) {
    FT_Glyph glyph;
    if (FT_Get_Glyph(face->glyph, &glyph) != 0) return;
    FT_Matrix mat{static_cast<FT_Fixed>(std::lround(st.scaleX * 65536.0f)), 0, 0, 0x10000};
    FT_Vector delta{To26(x + pen), -To26(y)};
    FT_Glyph_Transform(glyph, &mat, &delta);
    if (ink == Ink::Outline) FT_Glyph_Stroke(&glyph, stroker, 1);
    if (ink == Ink::Inner) FT_Glyph_StrokeBorder(&glyph, stroker, 1, 1);
    if (FT_Glyph_To_Bitmap(&glyph, FT_RENDER_MODE_NORMAL, nullptr, 1) != 0) {
      FT_Done_Glyph(glyph);
      return;
    }
    const auto* bg = reinterpret_cast<FT_BitmapGlyph>(glyph);
    const FT_Bitmap& bm = bg->bitmap;
    for (unsigned r = 0; r < bm.rows; ++r) {
      const int ty = -bg->top + static_cast<int>(r);
      if (ty < 0 || ty >= m.h) continue;
      for (unsigned c = 0; c < bm.width; ++c) {
        const int tx = bg->left + static_cast<int>(c);
        if (tx < 0 || tx >= m.w) continue;
        const float v = static_cast<float>(bm.buffer[static_cast<int>(r) * bm.pitch + static_cast<int>(c)]) / 255.0f;
        float& d = m.at(tx, ty);
        d = std::max(d, v);
      }
    }
    FT_Done_Glyph(glyph);
  });
  if (stroker) FT_Stroker_Done(stroker);
  return adv;
}

namespace {

// Ink box of the text drawn with its origin at (0, 0), in pixels relative to
// that origin.
struct Ink2 {
  float x0, y0, x1, y1;  // x1, y1 exclusive
};

Ink2 Measure(const TextStyle& st, std::string_view utf8, float radius) {
  const float adv = TextAdvance(st, utf8);
  const int pad = static_cast<int>(std::ceil(st.size + radius * 2 + 8));
  const int w = static_cast<int>(std::ceil(adv + st.size)) + 2 * pad;
  const int h = static_cast<int>(std::ceil(st.size * 2)) + 2 * pad;
  Mask m(w, h);
  const float ox = static_cast<float>(pad), oy = static_cast<float>(pad) + st.size * 1.2f;
  if (radius > 0)
    DrawText(m, st, utf8, ox, oy, Ink::Outline, radius);
  DrawText(m, st, utf8, ox, oy);
  Box b;
  if (!InkBox(m, 0.5f / 255.0f, b)) return {0, 0, 0, 0};
  return {static_cast<float>(b.x0) - ox, static_cast<float>(b.y0) - oy,
          static_cast<float>(b.x1 + 1) - ox, static_cast<float>(b.y1 + 1) - oy};
}

}  // namespace

Layout FitText(const Face& face, std::string_view utf8, const Box& box, float radius,
               float maxStretch, float minStretch, float tracking) {
  const float bw = static_cast<float>(box.width()), bh = static_cast<float>(box.height());
  TextStyle st{&face, bh, 1.0f, tracking};
  Ink2 ink{};
  // The outline adds a fixed width, so the size is found by a few rounds.
  for (int round = 0; round < 4; ++round) {
    ink = Measure(st, utf8, radius);
    const float ih = ink.y1 - ink.y0;
    if (ih <= 2 * radius) break;
    st.size *= (bh - 2 * radius) / (ih - 2 * radius);
  }
  for (int round = 0; round < 4; ++round) {
    ink = Measure(st, utf8, radius);
    const float iw = ink.x1 - ink.x0;
    const float want = (bw - 2 * radius) / (iw - 2 * radius);
    const bool tooWide = iw > bw;
    if (!tooWide && maxStretch <= 1.0f) break;
    float s = std::clamp(st.scaleX * want, minStretch, std::max(1.0f, maxStretch));
    if (tooWide && st.scaleX * want < minStretch) {
      // Narrowing alone is not enough: make the letters smaller as well.
      st.size *= st.scaleX * want / minStretch;
      s = minStretch;
    }
    st.scaleX = s;
  }
  // Shrinks until the ink is within the box, then centres it.
  for (int round = 0; round < 8; ++round) {
    ink = Measure(st, utf8, radius);
    if (ink.x1 - ink.x0 <= bw && ink.y1 - ink.y0 <= bh) break;
    st.size *= 0.98f;
  }
  Layout l;
  l.style = st;
  l.x = static_cast<float>(box.x0) + (bw - (ink.x1 - ink.x0)) * 0.5f - ink.x0;
  l.y = static_cast<float>(box.y0) + (bh - (ink.y1 - ink.y0)) * 0.5f - ink.y0;
  // Whole pixels keep the measured ink box exactly where it was measured.
  l.x = std::round(l.x);
  l.y = std::round(l.y);
  return l;
}

}  // namespace ag
