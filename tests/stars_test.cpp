// The two star layers: their motion and wrapping, their filling, the draws
// they make and the drawing state they leave; then, through the whole game,
// the same stars behind every screen.
#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "effects/estrellasM.h"
#include "platform/headless.h"
#include "platform/runtime.h"
#include "platform/trace.h"
#include "shell/catalogo.h"
#include "shell_replay.h"

namespace {

using shelltest::Corrida;
using shelltest::Correr;
using shelltest::Dibujo;

TEST(StarsMove, WrapsExactlyToTheOppositeEdge) {
  struct Case {
    const char* what;
    float x, y, dx, dy;
    float ex, ey;
  };
  const Case cases[] = {
      {"0.5 left by 1.5 reaches -1 and lands on 640", 0.5f, 100, -1.5f, 0, 640, 100},
      {"exactly 0 is not wrapped", 1.5f, 100, -1.5f, 0, 0, 100},
      {"exactly 640 is not wrapped", 640, 100, 0, 0, 640, 100},
      {"past the right edge lands on 0, overshoot dropped", 639.5f, 7, 1, 0, 0, 7},
      {"up past the top lands on 480", 10, 1, 0, -2, 10, 480},
      {"exactly 480 is not wrapped", 10, 480, 0, 0, 10, 480},
      {"down past the bottom lands on 0", 10, 479.5f, 0, 1, 10, 0},
      {"both axes wrap in one move", 0.25f, 0.5f, -1.5f, -2, 640, 480},
      {"an ordinary step", 300.25f, 200.5f, -1.5f, -2, 298.75f, 198.5f},
  };
  for (const Case& c : cases) {
    Testrellas e;
    e.posx = c.x;
    e.posy = c.y;
    e.moverEStrellas(c.dx, c.dy);
    EXPECT_EQ(e.posx, c.ex) << c.what;
    EXPECT_EQ(e.posy, c.ey) << c.what;
  }
}

TEST(StarsMove, PositionsAreSinglePrecision) {
  // 0.1 has no exact binary form: the sum shows which precision added it.
  Testrellas e;
  e.posx = 100.1f;
  e.moverEStrellas(-1.5f, 0);
  EXPECT_EQ(e.posx, 100.1f - 1.5f);
  EXPECT_NE(static_cast<double>(e.posx), 100.1 - 1.5);
}

// A fresh headless start with the star picture replaced by a fixture, so the
// layers can be filled and drawn without the game's assets.
class StarsLayers : public ::testing::Test {
 protected:
  void SetUp() override {
    nr::InstallBackend(std::make_unique<nr::HeadlessBackend>());
    trace_ = std::make_unique<nr::Trace>(nr::kTraceDraw);
    nr::SetTrace(trace_.get());
    estrella = LoadImage("fixtures/rgb3.png");
    listaestrellas = CreateList<Testrellas>();
    listaestrellas2 = CreateList<Testrellas>();
    Testrellas::crear();
    Testrellas2::crear();
  }
  void TearDown() override {
    nr::SetTrace(nullptr);
    nr::UninstallBackend();
    estrella.reset();
    listaestrellas.reset();
    listaestrellas2.reset();
  }
  // The draws since the last call.
  std::vector<Dibujo> dibujos() {
    nr::ReplayResult r;
    r.trace = trace_->text();
    trace_ = std::make_unique<nr::Trace>(nr::kTraceDraw);
    nr::SetTrace(trace_.get());
    shelltest::Corrida c = shelltest::Leer(r);
    return c.size() > 0 ? c[0].dibujos : std::vector<Dibujo>{};
  }
  static std::vector<std::pair<float, float>> posiciones(const TListRef<Testrellas>& l) {
    std::vector<std::pair<float, float>> out;
    for (const auto& e : *l) out.emplace_back(e->posx, e->posy);
    return out;
  }
  std::unique_ptr<nr::Trace> trace_;
};

TEST_F(StarsLayers, EachLayerHoldsOneHundredAndOneStarsOnScreen) {
  for (const auto* lista : {&listaestrellas, &listaestrellas2}) {
    EXPECT_EQ((*lista)->Count(), 101);
    for (const auto& e : **lista) {
      EXPECT_EQ(e->img, estrella);
      EXPECT_GE(e->posx, 0.0f);
      EXPECT_LE(e->posx, 640.0f);
      EXPECT_GE(e->posy, 0.0f);
      EXPECT_LE(e->posy, 480.0f);
      EXPECT_EQ(e->incrementox, 0.0f);
      EXPECT_EQ(e->incrementoy, 0.0f);
    }
  }
  // The layers are drawn from the generator one after the other, not alike.
  EXPECT_NE(posiciones(listaestrellas), posiciones(listaestrellas2));
}

TEST_F(StarsLayers, TheLayoutIsTheSameAtEveryStart) {
  const auto primera1 = posiciones(listaestrellas);
  const auto primera2 = posiciones(listaestrellas2);
  TearDown();
  SetUp();
  EXPECT_EQ(posiciones(listaestrellas), primera1);
  EXPECT_EQ(posiciones(listaestrellas2), primera2);
}

TEST_F(StarsLayers, EachMotionMovesBothLayersAtTheirOwnSpeed) {
  struct Case {
    const char* what;
    void (*mover)();
    float dx1, dy1, dx2, dy2;
  };
  const Case cases[] = {
      {"EstrellasH", EstrellasH, -1.5f, 0, -1, 0},
      {"EstrellasV", EstrellasV, 0, -2, 0, -1},
  };
  for (const Case& c : cases) {
    // Away from the edges, so that no star wraps in this step.
    for (const auto& e : *listaestrellas) e->posx = 300.5f, e->posy = 200.25f;
    for (const auto& e : *listaestrellas2) e->posx = 100.5f, e->posy = 50.25f;
    c.mover();
    std::vector<Dibujo> d = dibujos();
    ASSERT_EQ(d.size(), 202u) << c.what;
    for (size_t i = 0; i < d.size(); ++i) {
      const bool capa1 = i < 101;
      EXPECT_EQ(d[i].imagen, "fixtures/rgb3.png");
      EXPECT_EQ(d[i].x, capa1 ? 300.5f + c.dx1 : 100.5f + c.dx2) << c.what << " star " << i;
      EXPECT_EQ(d[i].y, capa1 ? 200.25f + c.dy1 : 50.25f + c.dy2) << c.what << " star " << i;
      EXPECT_EQ(d[i].blend, LIGHTBLEND) << c.what;
      EXPECT_EQ(d[i].sx, 0.4f) << c.what;
      EXPECT_EQ(d[i].sy, 0.4f) << c.what;
      EXPECT_EQ(d[i].celda, 0);
    }
  }
}

TEST_F(StarsLayers, LeavesAlphaBlendAndUnitScaleWithAlphaUntouched) {
  TImage testigo = LoadImage("fixtures/block4.png");
  for (void (*mover)() : {EstrellasH, EstrellasV}) {
    SetBlend(SHADEBLEND);
    SetScale(3, 2);
    SetAlpha(0.95f);
    mover();
    DrawImage(testigo, 0, 0);
    std::vector<Dibujo> d = dibujos();
    ASSERT_EQ(d.size(), 203u);
    EXPECT_EQ(d[0].alpha, 0.95f) << "stars draw with the alpha in force";
    EXPECT_EQ(d.back().imagen, "fixtures/block4.png");
    EXPECT_EQ(d.back().blend, ALPHABLEND);
    EXPECT_EQ(d.back().sx, 1.0f);
    EXPECT_EQ(d.back().sy, 1.0f);
    EXPECT_EQ(d.back().alpha, 0.95f);
  }
}

}  // namespace

namespace {

// The exact positions of both layers' stars as each frame is presented.
class Fotos : public nr::FrameObserver {
 public:
  struct Foto {
    std::vector<const Testrellas*> estrellas;
    std::vector<float> x, y;
  };
  void beforePresent(long frame, const std::vector<nr::DrawCmd>&) override {
    Foto f;
    for (const auto* l : {&listaestrellas, &listaestrellas2})
      for (const auto& e : **l) {
        f.estrellas.push_back(e.get());
        f.x.push_back(e->posx);
        f.y.push_back(e->posy);
      }
    fotos.resize(static_cast<size_t>(frame) + 1);
    fotos[static_cast<size_t>(frame)] = std::move(f);
  }
  void afterPresent(long) override {}
  std::vector<Foto> fotos;
};

// Which way a frame's screen scrolls the stars, from what it drew.
char Sentido(const shelltest::Cuadro& q) {
  for (const shelltest::Dibujo& d : q.dibujos) {
    if (d.imagen == "gfx2/plimo.png" || d.imagen == "gfx/poneplayeroff.png") return 'V';
    if (d.imagen == "gfx/psieteoff.png" || d.imagen == "gfx2/velmarino.png") return 'H';
  }
  return '?';
}

TEST(StarsGame, TheSameStarsMoveOnEveryScreenAtTheirSpeedsAndWrapExactly) {
  // Intro and title (upwards), the match-length menu and a match (leftwards).
  const long T = shelltest::kPrimerCuadroTitulo;
  Fotos fotos;
  const std::string script = std::string(shelltest::kSaltarIntro) + std::to_string(T + 20) +
                             " tap SPACE\n" + std::to_string(T + 40) + " tap SPACE\n";
  Corrida c = Correr(script, T + 120, 0, &fotos);
  ASSERT_EQ(c.size(), T + 120);
  ASSERT_EQ(static_cast<long>(fotos.fotos.size()), c.size());
  const auto& primera = fotos.fotos[21].estrellas;
  ASSERT_EQ(primera.size(), 202u);
  int vueltas[4] = {};  // wraps seen to 480 (layer 1, 2) and to 640 (layer 1, 2)
  int pantallas[2] = {};
  for (long f = 22; f < c.size(); ++f) {
    const Fotos::Foto& antes = fotos.fotos[static_cast<size_t>(f - 1)];
    const Fotos::Foto& ahora = fotos.fotos[static_cast<size_t>(f)];
    ASSERT_EQ(ahora.estrellas, primera) << "frame " << f << " moves the very same stars";
    const char s = Sentido(c[f]);
    ASSERT_NE(s, '?') << "frame " << f;
    ++pantallas[s == 'V'];
    for (size_t i = 0; i < 202; ++i) {
      const bool capa1 = i < 101;
      const float dx = s == 'H' ? (capa1 ? -1.5f : -1.0f) : 0.0f;
      const float dy = s == 'V' ? (capa1 ? -2.0f : -1.0f) : 0.0f;
      float ex = antes.x[i] + dx, ey = antes.y[i] + dy;
      if (ex < 0) {
        ex = 640;
        ++vueltas[capa1 ? 2 : 3];
      }
      if (ey < 0) {
        ey = 480;
        ++vueltas[capa1 ? 0 : 1];
      }
      ASSERT_EQ(ahora.x[i], ex) << "frame " << f << " star " << i;
      ASSERT_EQ(ahora.y[i], ey) << "frame " << f << " star " << i;
      // The star is drawn where it now stands.
      const shelltest::Dibujo& d = c[f].dibujos[i];
      ASSERT_EQ(d.imagen, "gfx/star1.png");
      EXPECT_NEAR(d.x, ahora.x[i], 1e-3);
      EXPECT_NEAR(d.y, ahora.y[i], 1e-3);
    }
  }
  EXPECT_GT(pantallas[0], 50);
  EXPECT_GT(pantallas[1], 50);
  for (int v : vueltas) EXPECT_GT(v, 0) << "each layer wrapped at each edge it scrolls to";
}

TEST(StarsGame, TheFirstLayoutIsTheSameOnEveryRun) {
  Corrida a = Correr("", 22);
  Corrida b = Correr(shelltest::kSaltarIntro, 22, 2);
  ASSERT_EQ(a[21].estrellas(), 202);
  std::set<std::pair<float, float>> distintas;
  for (size_t i = 0; i < 202; ++i) {
    EXPECT_EQ(a[21].dibujos[i].x, b[21].dibujos[i].x) << i;
    EXPECT_EQ(a[21].dibujos[i].y, b[21].dibujos[i].y) << i;
    distintas.insert({a[21].dibujos[i].x, a[21].dibujos[i].y});
  }
  EXPECT_GT(distintas.size(), 190u) << "scattered, not piled up";
}

}  // namespace
