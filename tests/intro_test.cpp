// The logo intro through the whole game on the headless backend: its black
// frame, fade-in, flicker phase, slide-out and sound, and how SPACE or the
// joystick cut it short.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <string>

#include "shell_replay.h"

namespace {

using shelltest::Corrida;
using shelltest::Correr;
using shelltest::Cuadro;
using shelltest::Dibujo;

constexpr long kPrimerParpadeo = 21;  // after the black frame and 20 fade frames
const char* const kPalabras[] = {"gfx2/plimo.png", "gfx2/drevan.png", "gfx2/oskel.png"};

// The frame whose start the sound's stop record carries, i.e. the first
// slide frame; -1 when there is none.
long PrimerDeslizamiento(const Corrida& c) {
  for (long f = 0; f < c.size(); ++f)
    if (!c[f].paradas.empty()) return f;
  return -1;
}

bool EsTitulo(const Cuadro& q) {
  for (const Dibujo& d : q.dibujos)
    if (d.imagen == "gfx2/titulo.png") return true;
  return false;
}

TEST(Intro, BlackFrameThenTheSoundThenTwentyFadeFrames) {
  Corrida c = Correr("", 23);
  ASSERT_EQ(c.size(), 23);
  EXPECT_TRUE(c[0].dibujos.empty()) << "the first frame is black";
  EXPECT_TRUE(c[0].sonidos.empty());
  // Channels count from 1 in allocation order: the match's two, then the intro's.
  ASSERT_EQ(c[1].sonidos.size(), 1u);
  EXPECT_EQ(c[1].sonidos[0].nombre, "sfx2/neon.wav");
  EXPECT_EQ(c[1].sonidos[0].canal, 3);
  for (long f = 1; f <= 20; ++f) {
    const std::vector<Dibujo>& d = c[f].dibujos;
    ASSERT_EQ(d.size(), 3u) << "fade frame " << f << " draws the three words and no stars";
    for (size_t i = 0; i < 3; ++i) {
      EXPECT_EQ(d[i].imagen, kPalabras[i]) << f;
      EXPECT_EQ(d[i].x, 0.0f);
      EXPECT_EQ(d[i].y, 0.0f);
      EXPECT_EQ(d[i].blend, 3) << f;
      EXPECT_NEAR(d[i].alpha, 0.05 * static_cast<double>(f - 1), 1e-4) << "fade frame " << f;
    }
    if (f > 1) {
      EXPECT_TRUE(c[f].sonidos.empty());
    }
  }
  // The fade ends at 0.95: the first flicker frame's stars still carry it.
  ASSERT_EQ(c[kPrimerParpadeo].estrellas(), 202);
  EXPECT_TRUE(shelltest::EstrellasPrimero(c[kPrimerParpadeo]));
  EXPECT_NEAR(c[kPrimerParpadeo].dibujos[0].alpha, 0.95, 1e-4);
  EXPECT_EQ(c[kPrimerParpadeo + 1].dibujos[0].alpha, 1.0f);
}

TEST(Intro, FlickersForFiveSecondsOverTheStarsThenSlidesApartIn46Frames) {
  Corrida c = Correr("", 420);
  const long deslizar = PrimerDeslizamiento(c);
  ASSERT_GT(deslizar, kPrimerParpadeo);
  const long ultimo = deslizar - 1;  // the last flicker frame
  const int fin = c[kPrimerParpadeo].ms() + 5000;
  EXPECT_GT(c[ultimo].ms(), fin);
  EXPECT_LE(c[ultimo - 1].ms(), fin);
  ASSERT_EQ(c[deslizar].paradas.size(), 1u);
  EXPECT_EQ(c[deslizar].paradas[0], 3) << "the neon sound is stopped on its channel";

  // Each word: a dim copy at its base alpha, then a bright additive copy at
  // full strength or at its floor, nothing in between.
  const float base[] = {0.2f, 0.3f, 0.3f};
  const float suelo[] = {0.3f, 0.4f, 0.4f};
  std::set<float> vistas[3];
  for (long f = kPrimerParpadeo; f <= ultimo; ++f) {
    const Cuadro& q = c[f];
    EXPECT_EQ(q.estrellas(), 202) << f;
    EXPECT_TRUE(shelltest::EstrellasPrimero(q)) << f;
    std::vector<Dibujo> w = q.sinEstrellas();
    ASSERT_EQ(w.size(), 6u) << f;
    for (size_t i = 0; i < 3; ++i) {
      const Dibujo& tenue = w[2 * i];
      const Dibujo& brillo = w[2 * i + 1];
      EXPECT_EQ(tenue.imagen, kPalabras[i]);
      EXPECT_EQ(brillo.imagen, kPalabras[i]);
      EXPECT_EQ(tenue.x, 0.0f);
      EXPECT_EQ(tenue.alpha, base[i]) << f;
      // The first word's dim copy follows the starfield's alpha blend; the
      // others follow the additive blend the word before left.
      EXPECT_EQ(tenue.blend, i == 0 ? 3 : 4) << f << " " << kPalabras[i];
      EXPECT_EQ(brillo.blend, 4);
      EXPECT_TRUE(brillo.alpha == 1.0f || brillo.alpha == suelo[i])
          << "frame " << f << " " << kPalabras[i] << " bright copy at " << brillo.alpha;
      vistas[i].insert(brillo.alpha);
    }
  }
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(vistas[i].size(), 2u) << kPalabras[i] << " flickers between both strengths";

  // Sliding: the words keep their last strengths while they move apart.
  const std::vector<Dibujo> final = c[ultimo].sinEstrellas();
  for (long k = 0; k < 46; ++k) {
    const long f = deslizar + k;
    const std::vector<Dibujo> w = c[f].sinEstrellas();
    ASSERT_EQ(w.size(), 6u) << "slide frame " << k;
    EXPECT_EQ(c[f].estrellas(), 202);
    for (size_t i = 0; i < 6; ++i) {
      const float x = i < 4 ? 14.0f * static_cast<float>(k) : -16.0f * static_cast<float>(k);
      EXPECT_EQ(w[i].x, x) << "slide frame " << k << " " << w[i].imagen;
      EXPECT_EQ(w[i].alpha, final[i].alpha) << "slide frame " << k << " " << w[i].imagen;
    }
    EXPECT_FALSE(c[f].tiene("Mimenu.opcion")) << "the menus do not exist yet";
  }
  EXPECT_TRUE(EsTitulo(c[deslizar + 46])) << "the title screen follows the 46th slide frame";
  EXPECT_TRUE(c[deslizar + 46].tiene("Mimenu.opcion"));
  for (long f = 2; f < deslizar + 46; ++f) EXPECT_TRUE(c[f].sonidos.empty()) << f;
}

TEST(Intro, TheFirstSpaceOrJoystickButtonZeroEndsTheFlicker) {
  struct Case {
    const char* what;
    const char* script;
    int joysticks;
    long ultimo;  // last flicker frame; -1: the full five seconds
  };
  const Case cases[] = {
      {"SPACE in the black frame", "0 tap SPACE\n", 0, kPrimerParpadeo},
      {"SPACE during the fade-in", "9 tap SPACE\n", 0, kPrimerParpadeo},
      {"SPACE held since the fade-in", "12 press SPACE\n", 0, kPrimerParpadeo},
      {"SPACE in the flicker", "100 tap SPACE\n", 0, 99},
      {"joystick 0 button 0", "150 button 0 0\n", 1, 149},
      {"joystick 0 button 0 during the fade-in", "5 button 0 0\n", 1, kPrimerParpadeo},
      {"joystick 0 button 1 does not skip", "100 button 0 1\n", 1, -1},
      {"joystick 1 button 0 does not skip", "100 button 1 0\n", 2, -1},
      {"ESC does not skip", "100 tap ESC\n", 0, -1},
      {"button 0 without a joystick does nothing", "100 button 0 0\n", 0, -1},
  };
  const long completo = PrimerDeslizamiento(Correr("", 340)) - 1;
  ASSERT_GT(completo, 300);
  for (const Case& k : cases) {
    Corrida c = Correr(k.script, (k.ultimo < 0 ? completo : k.ultimo) + 49, k.joysticks);
    const long ultimo = k.ultimo < 0 ? completo : k.ultimo;
    EXPECT_EQ(PrimerDeslizamiento(c), ultimo + 1) << k.what;
    EXPECT_FALSE(EsTitulo(c[ultimo + 46])) << k.what;
    EXPECT_TRUE(EsTitulo(c[ultimo + 47])) << k.what;
  }
}

}  // namespace
