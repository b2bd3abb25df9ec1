#include "contact_sheet.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "canvas.h"
#include "pngio.h"
#include "wav.h"

namespace ag {

namespace {

const Colour kGround = Rgb(12, 12, 20);
const Colour kTile = Rgb(24, 24, 36);
const Colour kLabel = Rgb(200, 205, 220);

// Premultiplied float copy of a decoded file; black is masked out of
// pictures without alpha, as the game does.
Canvas ToCanvas(const Image8& img, bool maskBlack) {
  Canvas c(img.w, img.h);
  for (int y = 0; y < img.h; ++y)
    for (int x = 0; x < img.w; ++x) {
      const uint8_t* s = img.at(x, y);
      float a = static_cast<float>(s[3]) / 255.0f;
      if (maskBlack && (s[0] | s[1] | s[2]) == 0) a = 0;
      float* d = c.at(x, y);
      for (int k = 0; k < 3; ++k) d[k] = static_cast<float>(s[k]) / 255.0f * a;
      d[3] = a;
    }
  return c;
}

enum class Blend { Alpha, Light };

// Draws `src` (or one cell of it) with its top-left at (x, y), scaled by
// (sx, sy), bilinear, at opacity `alpha`.
void Draw(Canvas& dst, const Canvas& src, float x, float y, float sx, float sy, Blend blend, float alpha = 1.0f,
          int cellX = 0, int cellY = 0, int cellW = -1, int cellH = -1) {
  if (cellW < 0) cellW = src.w;
  if (cellH < 0) cellH = src.h;
  const int x0 = std::max(0, static_cast<int>(std::floor(x))), y0 = std::max(0, static_cast<int>(std::floor(y)));
  const int x1 = std::min(dst.w - 1, static_cast<int>(std::ceil(x + static_cast<float>(cellW) * sx)));
  const int y1 = std::min(dst.h - 1, static_cast<int>(std::ceil(y + static_cast<float>(cellH) * sy)));
  for (int py = y0; py <= y1; ++py)
    for (int px = x0; px <= x1; ++px) {
      const float u = (static_cast<float>(px) + 0.5f - x) / sx - 0.5f;
      const float v = (static_cast<float>(py) + 0.5f - y) / sy - 0.5f;
      if (u < -0.5f || v < -0.5f || u > static_cast<float>(cellW) - 0.5f || v > static_cast<float>(cellH) - 0.5f) continue;
      const int iu = static_cast<int>(std::floor(u)), iv = static_cast<int>(std::floor(v));
      const float fu = u - static_cast<float>(iu), fv = v - static_cast<float>(iv);
      float s[4] = {0, 0, 0, 0};
      for (int k = 0; k < 4; ++k) {
        const int tx = std::clamp(iu + (k & 1), 0, cellW - 1), ty = std::clamp(iv + (k >> 1), 0, cellH - 1);
        const float w = ((k & 1) ? fu : 1 - fu) * ((k >> 1) ? fv : 1 - fv);
        const float* t = src.at(cellX + tx, cellY + ty);
        for (int c = 0; c < 4; ++c) s[c] += t[c] * w;
      }
      float* d = dst.at(px, py);
      if (blend == Blend::Alpha) {
        const float k = 1.0f - s[3] * alpha;
        for (int c = 0; c < 3; ++c) d[c] = s[c] * alpha + d[c] * k;
        d[3] = s[3] * alpha + d[3] * k;
      } else {
        for (int c = 0; c < 3; ++c) d[c] = std::min(1.0f, d[c] + s[c] * alpha);
      }
    }
}

void FillRect(Canvas& c, int x0, int y0, int x1, int y1, Colour col) {
  for (int y = std::max(0, y0); y <= std::min(c.h - 1, y1); ++y)
    for (int x = std::max(0, x0); x <= std::min(c.w - 1, x1); ++x) {
      float* p = c.at(x, y);
      p[0] = col.r;
      p[1] = col.g;
      p[2] = col.b;
      p[3] = 1;
    }
}

void Label(Canvas& c, const Fonts& f, const std::string& text, float x, float y) {
  Mask m(c.w, c.h);
  DrawText(m, TextStyle{&f.sans(), 12.0f, 1.0f, 0.0f}, text, x, y);
  Fill(c, m, Solid(kLabel));
}

// A fixed scatter of stars like the game's two layers.
void Stars(Canvas& screen, const Canvas& star) {
  Rng rng(42);
  for (int i = 0; i < 202; ++i) {
    const float x = rng.range(0, 640), y = rng.range(0, 480);
    Draw(screen, star, x, y, 0.4f, 0.4f, Blend::Light);
  }
}

std::string TileLabel(const std::string& name, const Canvas& c) {
  char size[32];
  std::snprintf(size, sizeof size, "  %dx%d", c.w, c.h);
  return name + size;
}

struct Assets {
  std::map<std::string, Canvas> pics;
  const Canvas& operator[](const std::string& n) const { return pics.at(n); }
};

Canvas Screen(const Assets& a) {
  Canvas s(640, 480);
  FillRect(s, 0, 0, 639, 479, Rgb(0, 0, 0));
  Stars(s, a["gfx/star1.png"]);
  return s;
}

Canvas TitleScreen(const Assets& a) {
  Canvas s = Screen(a);
  Draw(s, a["gfx/poneplayeroff.png"], 70, 320, 1, 1, Blend::Alpha);
  Draw(s, a["gfx/ptwoplayeroff.png"], 240, 320, 1, 1, Blend::Alpha);
  Draw(s, a["gfx/exitoff.png"], 410, 320, 1, 1, Blend::Alpha);
  Draw(s, a["gfx2/plimodrevanoskel.png"], 190, 420, 0.6f, 0.6f, Blend::Alpha);
  Draw(s, a["gfx/ptwoplayeron.png"], 240, 320, 1, 1, Blend::Alpha);
  Draw(s, a["gfx/forescape.png"], 5, 250, 1, 1, Blend::Alpha);
  Draw(s, a["gfx/for2players.png"], 5, 170, 1, 1, Blend::Alpha);
  Draw(s, a["gfx2/titulo.png"], 160, -20, 1, 1, Blend::Alpha);
  return s;
}

Canvas LengthScreen(const Assets& a) {
  Canvas s = Screen(a);
  const char* off[] = {"gfx/psieteoff.png", "gfx/pquinceoff.png", "gfx/pveintiunooff.png", "gfx/pinfinitooff.png"};
  for (int i = 0; i < 4; ++i) Draw(s, a[off[i]], 145.0f + 90.0f * static_cast<float>(i), 190, 1, 1, Blend::Alpha);
  Draw(s, a["gfx/back.png"], 240, 280, 1, 1, Blend::Alpha);
  Draw(s, a["gfx2/plimodrevanoskel.png"], 190, 420, 0.6f, 0.6f, Blend::Alpha);
  Draw(s, a["gfx/pquinceon.png"], 235, 190, 1, 1, Blend::Alpha);
  Draw(s, a["gfx2/titulo.png"], 160, -20, 1, 1, Blend::Alpha);
  return s;
}

void Digit(Canvas& s, const Assets& a, int d, float x, float y, float scale) {
  const char* names[] = {"cero", "uno", "dos", "tres", "cuatro", "cinco", "seis", "siete", "ocho", "nueve"};
  Draw(s, a[std::string("gfx2/") + names[d] + ".png"], x, y, scale, scale, Blend::Light);
}

void Wave(Canvas& s, const Assets& a, const char* ring, const char* glow, int frame, float x, float y) {
  const int cx = (frame % 5) * 100, cy = (frame / 5) * 100;
  for (const char* n : {ring, glow, "gfx2/linea.png", "gfx2/linea.png"})
    Draw(s, a[n], x - 110, y - 110, 2.2f, 2.2f, Blend::Light, 1, cx, cy, 100, 100);
}

// A match in play, drawn in the match frame's order.
Canvas MatchScreen(const Assets& a, bool ready, bool won) {
  Canvas s = Screen(a);
  Draw(s, a["gfx2/velmarino.png"], 190, 450, 0.6f, 0.6f, Blend::Alpha);
  Draw(s, a["gfx2/ledplayer1.png"], 30, 0, 0.4f, 0.4f, Blend::Alpha);
  Draw(s, a["gfx2/ledcomputer.png"], 460, 0, 0.4f, 0.4f, Blend::Alpha);
  Draw(s, a["gfx2/campo.png"], 0, 0, 1, 1, Blend::Alpha);
  Draw(s, a["gfx2/glowcampo.png"], 0, 0, 1, 1, Blend::Light);
  Draw(s, a["gfx2/glowcampo.png"], 0, 0, 1, 1, Blend::Light);
  Digit(s, a, 1, 231, 45, 1);
  Digit(s, a, 2, 261, 45, 1);
  Digit(s, a, 9, 340, 45, 1);
  const float p1 = 150, p2 = 300;
  Draw(s, a["gfx2/raqueta1.png"], 16, p1, 1, 1, Blend::Alpha);
  Draw(s, a["gfx2/graqueta1.png"], 16, p1, 1, 1, Blend::Light);
  Draw(s, a["gfx2/raqueta2.png"], 590, p2, 1, 1, Blend::Alpha);
  Draw(s, a["gfx2/graqueta2.png"], 590, p2, 1, 1, Blend::Light);
  if (!ready && !won) {
    for (int i = 19; i >= 0; --i) {
      const float k = 1.0f - 0.05f * static_cast<float>(i);
      const float cx = 392.0f + 6.0f * static_cast<float>(i), cy = 222.0f + 4.0f * static_cast<float>(i);
      Draw(s, a["gfx2/energiaesfera2.png"], cx - 17 * k, cy - 17 * k, k, k, Blend::Light, 0.2f);
    }
    Draw(s, a["gfx2/superpelota.png"], 380, 210, 1, 1, Blend::Alpha, 1, 50, 0, 25, 25);
    Draw(s, a["gfx2/gsuperpelota.png"], 380, 210, 1, 1, Blend::Light, 1, 50, 0, 25, 25);
    Wave(s, a, "gfx2/ondaroja.png", "gfx2/gondaroja.png", 6, 44, 190);
    Wave(s, a, "gfx2/ondaroja.png", "gfx2/gondaroja.png", 12, 44, 190);
    Wave(s, a, "gfx2/ondaazul.png", "gfx2/gondaazul.png", 9, 500, 70);
    Wave(s, a, "gfx2/ondamorada.png", "gfx2/gondamorada.png", 15, 612, 360);
  }
  if (ready) {
    Draw(s, a["gfx2/ready.png"], 0, 0, 1, 1, Blend::Alpha);
    Draw(s, a["gfx2/starts.png"], 0, 0, 1, 1, Blend::Light);
    Draw(s, a["gfx2/starts.png"], 0, 0, 1, 1, Blend::Light);
  }
  // Clock 00:01:27 at (253, 8).
  const int clock[] = {0, 0, 0, 1, 2, 7};
  const float cxs[] = {267, 281, 305, 319, 344, 358};
  for (int i = 0; i < 6; ++i) Digit(s, a, clock[i], cxs[i], 8, 0.4f);
  Draw(s, a["gfx2/puntos.png"], 293, 8, 0.4f, 0.4f, Blend::Alpha);
  Draw(s, a["gfx2/puntos.png"], 331, 8, 0.4f, 0.4f, Blend::Alpha);
  if (won) {
    Draw(s, a["gfx2/youwinr.png"], 70, 200, 1, 1, Blend::Alpha);
  } else if (!ready) {
    Draw(s, a["gfx/backon.png"], 64, 240, 1, 1, Blend::Alpha);
    Draw(s, a["gfx/continueoff.png"], 384, 240, 1, 1, Blend::Alpha);
  }
  return s;
}

// A frame of the intro's flicker: dim copies with bright ones added.
Canvas IntroScreen(const Assets& a) {
  Canvas s = Screen(a);
  Draw(s, a["gfx2/plimo.png"], 0, 0, 1, 1, Blend::Alpha, 0.2f);
  Draw(s, a["gfx2/plimo.png"], 0, 0, 1, 1, Blend::Light, 1.0f);
  Draw(s, a["gfx2/drevan.png"], 0, 0, 1, 1, Blend::Light, 0.3f);
  Draw(s, a["gfx2/drevan.png"], 0, 0, 1, 1, Blend::Light, 0.4f);
  Draw(s, a["gfx2/oskel.png"], 0, 0, 1, 1, Blend::Light, 0.3f);
  Draw(s, a["gfx2/oskel.png"], 0, 0, 1, 1, Blend::Light, 1.0f);
  return s;
}

}  // namespace

bool WriteContactSheet(const Fonts& fonts, const std::string& assetDir, const std::vector<std::string>& names,
                       const std::string& outPath) {
  Assets assets;
  for (const std::string& n : names) {
    Image8 img;
    if (!ReadPng(assetDir + "/" + n, img)) {
      std::fprintf(stderr, "contact sheet: cannot read %s/%s\n", assetDir.c_str(), n.c_str());
      return false;
    }
    assets.pics[n] = ToCanvas(img, n == "gfx/star1.png");
  }
  // Shelf layout in catalogue order: big pictures at half size, small ones
  // enlarged so that their pixels can be judged.
  const int sheetW = 1320, pad = 10, labelH = 18;
  struct Tile {
    std::string name;
    float scale;
    int x, y, w, h;
  };
  std::vector<Tile> tiles;
  int x = pad, y = pad, rowH = 0;
  for (const std::string& n : names) {
    const Canvas& c = assets[n];
    const float scale = c.w >= 400 ? 0.5f : std::max(c.w, c.h) <= 25 ? 4.0f : std::max(c.w, c.h) <= 70 ? 2.0f : 1.0f;
    const int w = std::max(static_cast<int>(static_cast<float>(c.w) * scale),
                           static_cast<int>(std::ceil(TextAdvance(TextStyle{&fonts.sans(), 12.0f, 1.0f, 0.0f}, TileLabel(n, c)))));
    const int h = static_cast<int>(static_cast<float>(c.h) * scale) + labelH;
    if (x + w + pad > sheetW) {
      x = pad;
      y += rowH + pad;
      rowH = 0;
    }
    tiles.push_back({n, scale, x, y, w, h});
    x += w + pad;
    rowH = std::max(rowH, h);
  }
  y += rowH + pad;
  const int previewTop = y;
  const int screenW = 640, screenH = 480;
  const int sheetH = previewTop + 3 * (screenH + labelH + pad) + pad;
  Canvas sheet(sheetW, sheetH);
  FillRect(sheet, 0, 0, sheetW - 1, sheetH - 1, kGround);
  for (const Tile& t : tiles) {
    const Canvas& c = assets[t.name];
    const int pw = static_cast<int>(static_cast<float>(c.w) * t.scale), ph = static_cast<int>(static_cast<float>(c.h) * t.scale);
    FillRect(sheet, t.x, t.y, t.x + pw - 1, t.y + ph - 1, kTile);
    if (t.scale > 1.0f) {
      // Enlarged without smoothing, texel for texel.
      const int k = static_cast<int>(t.scale);
      for (int py = 0; py < ph; ++py)
        for (int px = 0; px < pw; ++px) {
          const float* s = c.at(px / k, py / k);
          float* d = sheet.at(t.x + px, t.y + py);
          for (int ch = 0; ch < 3; ++ch) d[ch] = s[ch] + d[ch] * (1.0f - s[3]);
        }
    } else {
      Draw(sheet, c, static_cast<float>(t.x), static_cast<float>(t.y), t.scale, t.scale, Blend::Alpha);
    }
    Label(sheet, fonts, TileLabel(t.name, c), static_cast<float>(t.x), static_cast<float>(t.y + ph + 13));
  }
  struct Preview {
    const char* title;
    Canvas screen;
  };
  const Preview previews[] = {
      {"screen: main menu (2 Players highlighted)", TitleScreen(assets)},
      {"screen: match-length menu (15 highlighted)", LengthScreen(assets)},
      {"screen: match with trail, ball and waves; pause menu", MatchScreen(assets, false, false)},
      {"screen: ready overlay with its doubled glow", MatchScreen(assets, true, false)},
      {"screen: winner", MatchScreen(assets, false, true)},
      {"screen: logo intro, one flicker frame", IntroScreen(assets)},
  };
  for (size_t i = 0; i < 6; ++i) {
    const int px = pad + static_cast<int>(i % 2) * (screenW + pad);
    const int py = previewTop + static_cast<int>(i / 2) * (screenH + labelH + pad);
    Draw(sheet, previews[i].screen, static_cast<float>(px), static_cast<float>(py), 1, 1, Blend::Alpha);
    Label(sheet, fonts, previews[i].title, static_cast<float>(px), static_cast<float>(py + screenH + 13));
  }
  Image8 out = Quantise(sheet);
  return WritePng(outPath, out, true, true);
}

}  // namespace ag
