// The real game binary on a private X server: a one-player match started
// from the menus with key presses, the paddle moving while DOWN is held,
// ESC opening the pause menu, Back To Menu returning to the title screen,
// and Exit Game ending the program. Keys come from XTest through xdotool;
// the screen is read back with xwd.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "xvfb.h"

namespace {

const std::string kJuego = NR_BINARY_DIR "/neonrally";

void Esperar(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

struct Rect {
  int x0, y0, x1, y1;  // [x0, x1) x [y0, y1), game pixels
};

// Pixels of the rectangle for which `es` holds.
template <class F>
int Contar(const xvfb::Screen& s, const Rect& r, F es) {
  int n = 0;
  for (int y = r.y0; y < r.y1; ++y)
    for (int x = r.x0; x < r.x1; ++x) n += es(s.at(x, y)) ? 1 : 0;
  return n;
}

bool Brillante(const uint8_t* p) { return p[0] + p[1] + p[2] > 300; }
bool Rojo(const uint8_t* p) { return p[0] > 150 && p[1] < 110 && p[2] < 110; }
bool Blanco(const uint8_t* p) { return p[0] > 170 && p[1] > 170 && p[2] > 170; }

// The left paddle's column, and the highlighted 1 Player button.
const Rect kRaquetaArriba{16, 240, 52, 304};
const Rect kRaquetaAbajo{16, 373, 52, 437};
const Rect kVolverAlMenu{64, 240, 224, 264};
const Rect kSeguir{384, 240, 544, 264};
const Rect kUnJugador{70, 320, 230, 400};

class MatchOnXvfb : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!xvfb::Installed("Xvfb") || !xvfb::Installed("xdotool") || !xvfb::Installed("xwd"))
      GTEST_SKIP() << "Xvfb, xdotool or xwd is not installed";
    std::string error;
    // The game's own size: one screen pixel per game pixel.
    ASSERT_TRUE(server_.start(640, 480, error)) << error;
  }
  void TearDown() override {
    if (juego_.pid > 0) xvfb::Wait(juego_, 1);
  }

  void tecla(const std::string& accion, const std::string& nombre) {
    const xvfb::Run r = xvfb::RunProgram({"xdotool", accion, nombre}, {{"DISPLAY", server_.display()}}, 10000);
    ASSERT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.err;
  }
  xvfb::Screen pantalla() {
    xvfb::Screen s;
    std::string error;
    EXPECT_TRUE(server_.capture(s, error)) << error;
    return s;
  }

  xvfb::Server server_;
  xvfb::Child juego_;
};

TEST_F(MatchOnXvfb, OnePlayerMatchFromTheMenusPauseAndBackToTheTitle) {
  juego_ = xvfb::Spawn({kJuego}, {{"DISPLAY", server_.display()},
                                  {"WAYLAND_DISPLAY", ""},
                                  {"SDL_VIDEODRIVER", ""},
                                  {"LIBGL_ALWAYS_SOFTWARE", "1"},
                                  {"SDL_AUDIODRIVER", "dummy"}});
  ASSERT_GT(juego_.pid, 0);
  Esperar(2000);
  // SPACE skips the intro; each later SPACE is asked for by the next screen.
  tecla("key", "space");
  Esperar(2500);
  xvfb::Screen titulo = pantalla();
  ASSERT_GT(titulo.width, 0);
  EXPECT_GT(Contar(titulo, kUnJugador, Rojo), 300) << "the title screen with 1 Player highlighted";
  tecla("key", "space");  // 1 Player
  Esperar(600);
  tecla("key", "space");  // 7 points
  Esperar(1000);

  // The paddles move during the ready/start sequence already.
  const xvfb::Screen antes = pantalla();
  EXPECT_EQ(Contar(antes, kUnJugador, Rojo), 0) << "still on the title screen";
  const int arriba0 = Contar(antes, kRaquetaArriba, Brillante);
  const int abajo0 = Contar(antes, kRaquetaAbajo, Brillante);
  EXPECT_GT(arriba0, 150) << "the left paddle at its start";
  tecla("keydown", "Down");
  Esperar(1500);
  const xvfb::Screen abajo = pantalla();
  tecla("keyup", "Down");
  EXPECT_GT(Contar(abajo, kRaquetaAbajo, Brillante), abajo0 + 150) << "the paddle went down";
  EXPECT_LT(Contar(abajo, kRaquetaArriba, Brillante), arriba0 / 2) << "and left its start";

  tecla("key", "Escape");
  Esperar(500);
  const xvfb::Screen pausa = pantalla();
  EXPECT_GT(Contar(pausa, kVolverAlMenu, Rojo), 100) << "Back To Menu highlighted";
  EXPECT_GT(Contar(pausa, kSeguir, Blanco), 100) << "Continue Game idle";

  tecla("key", "space");  // Back To Menu
  Esperar(800);
  const xvfb::Screen vuelta = pantalla();
  EXPECT_GT(Contar(vuelta, kUnJugador, Rojo), 300) << "back on the title screen";
  EXPECT_LT(Contar(vuelta, kVolverAlMenu, Rojo), 30) << "the pause menu is gone";

  // Exit Game ends the program after its wait. The highlight follows a key
  // held down, so each is held for a few frames (and less than its 250 ms).
  for (int i = 0; i < 2; ++i) {
    tecla("keydown", "Right");
    Esperar(100);
    tecla("keyup", "Right");
    Esperar(300);
  }
  tecla("key", "space");
  const std::optional<int> fin = xvfb::Wait(juego_, 10000);
  ASSERT_TRUE(fin.has_value()) << "the game did not end";
  EXPECT_TRUE(WIFEXITED(*fin) && WEXITSTATUS(*fin) == 0) << "status " << *fin << ": "
                                                          << xvfb::ReadFile(juego_.errPath);
  juego_.pid = -1;
}

}  // namespace
