// The real backend on a real X server: a private Xvfb with Mesa's software
// OpenGL, started and stopped here. Pictures are read back from the X
// screen and from the renderer; keys come from XTest through xdotool.
#include <SDL_events.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <map>
#include <optional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/image.h"
#include "platform/platform.h"
#include "platform/runtime.h"
#include "platform/sdl_backend.h"
#include "platform/soft_raster.h"
#include "xvfb.h"

extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace {

const std::string kGame = NR_BINARY_DIR "/neonrally";

class RealDisplay : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!xvfb::Installed("Xvfb")) return;
    // A death test's child runs this again: it uses the parent's server.
    if (const char* shared = std::getenv("NR_TEST_XVFB")) {
      server_ = new xvfb::Server(shared);
      return;
    }
    server_ = new xvfb::Server;
    if (!server_->start(1024, 768, startError_)) {
      delete server_;
      server_ = nullptr;
      return;
    }
    setenv("NR_TEST_XVFB", server_->display().c_str(), 1);
  }
  static void TearDownTestSuite() {
    if (server_ && server_->owned()) unsetenv("NR_TEST_XVFB");
    delete server_;
    server_ = nullptr;
  }
  void SetUp() override {
    if (!xvfb::Installed("Xvfb")) GTEST_SKIP() << "Xvfb is not installed";
    ASSERT_NE(server_, nullptr) << startError_;
    setenv("DISPLAY", server_->display().c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    unsetenv("SDL_VIDEODRIVER");
    setenv("LIBGL_ALWAYS_SOFTWARE", "1", 1);
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    // The X and OpenGL libraries leave a few bytes behind in modules they
    // unload again, where no suppression can name them.
    if (__lsan_disable) __lsan_disable();
    leaksIgnored_ = true;
  }
  void TearDown() override {
    nr::UninstallBackend();
    if (leaksIgnored_ && __lsan_enable) __lsan_enable();
    leaksIgnored_ = false;
  }
  bool leaksIgnored_ = false;

  // Installs the real backend and opens the display as the game does.
  nr::SdlBackend* open(nr::SdlOptions options = {}) {
    auto b = std::make_unique<nr::SdlBackend>(options);
    nr::SdlBackend* raw = b.get();
    nr::InstallBackend(std::move(b));
    Graphics(640, 480, 32, 60, 0);
    HideMouse();
    return raw;
  }
  xvfb::Screen capture() {
    xvfb::Screen s;
    std::string error;
    EXPECT_TRUE(server_->capture(s, error)) << error;
    return s;
  }
  void xdotool(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"xdotool"};
    argv.insert(argv.end(), args.begin(), args.end());
    const xvfb::Run r = xvfb::RunProgram(argv, {}, 10000);
    ASSERT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << r.err;
  }

  static xvfb::Server* server_;
  static std::string startError_;
};

xvfb::Server* RealDisplay::server_ = nullptr;
std::string RealDisplay::startError_;

int Diff(const uint8_t* a, const uint8_t* b) {
  return std::max({std::abs(a[0] - b[0]), std::abs(a[1] - b[1]), std::abs(a[2] - b[2])});
}

TEST_F(RealDisplay, FixturePictureShowsWhereItWasDrawnAtTheLetterboxScale) {
  open();
  TImage quads = LoadImage("fixtures/real_quads.png");
  for (int i = 0; i < 3; ++i) {
    Cls();
    SetBlend(SOLIDBLEND);
    DrawImage(quads, 100, 80);
    Flip();
  }
  const xvfb::Screen s = capture();
  ASSERT_EQ(s.width, 1024);
  ASSERT_EQ(s.height, 768);
  // 1024 x 768 is 640 x 480 at 1.6 exactly, with no bars: the 32 x 24
  // picture at (100, 80) covers (160, 128) to (211.2, 166.4).
  int x0 = s.width, y0 = s.height, x1 = -1, y1 = -1;
  for (int y = 0; y < s.height; ++y)
    for (int x = 0; x < s.width; ++x) {
      const uint8_t* p = s.at(x, y);
      if (p[0] + p[1] + p[2] < 96) continue;
      x0 = std::min(x0, x);
      y0 = std::min(y0, y);
      x1 = std::max(x1, x);
      y1 = std::max(y1, y);
    }
  EXPECT_NEAR(x0, 160, 1);
  EXPECT_NEAR(y0, 128, 1);
  EXPECT_NEAR(x1, 211, 1);
  EXPECT_NEAR(y1, 166, 1);
  const struct {
    int x, y;
    uint8_t rgb[3];
  } samples[] = {
      {172, 137, {255, 0, 0}}, {198, 137, {0, 255, 0}}, {172, 157, {0, 0, 255}},
      {198, 157, {255, 255, 0}}, {512, 384, {0, 0, 0}}, {5, 5, {0, 0, 0}}, {1018, 762, {0, 0, 0}},
  };
  for (const auto& c : samples)
    EXPECT_LE(Diff(s.at(c.x, c.y), c.rgb), 8) << "at " << c.x << "," << c.y << ": " << int(s.at(c.x, c.y)[0])
                                              << " " << int(s.at(c.x, c.y)[1]) << " " << int(s.at(c.x, c.y)[2]);
}

// Keeps the commands of each presented frame.
class Commands final : public nr::FrameObserver {
 public:
  void beforePresent(long, const std::vector<nr::DrawCmd>& commands) override { last = commands; }
  void afterPresent(long) override {}
  std::vector<nr::DrawCmd> last;
};

TEST_F(RealDisplay, OpenGlDrawsWhatTheSoftwareRasterizerDraws) {
  nr::SdlBackend* real = open({.hidden = true});
  Commands seen;
  nr::SetFrameObserver(&seen);
  TImage bw = LoadImage("fixtures/bw2.png");
  TImage src = LoadImage("fixtures/src1.png");
  TImage strip = LoadAnimImage("fixtures/strip6.png", 2, 2, 0, 6);
  TImage stripNearest = LoadAnimImage("fixtures/strip6.png", 2, 2, 0, 6, MASKEDIMAGE);
  TImage ring = LoadImage("fixtures/ring5.png");
  TImage rgb = LoadImage("fixtures/rgb3.png");
  TImage quads = LoadImage("fixtures/real_quads.png");
  struct Draw {
    TImage image;
    float x, y;
    int frame;
    float sx, sy, alpha;
    float hx = 0, hy = 0;
  };
  const struct {
    const char* what;
    std::vector<Draw> draws;
  } cases[] = {
      {"a flat colour", {{src, 50.3f, 40.7f, 0, 100, 60, 1}}},
      {"a flat colour at alpha 0.6", {{src, 50.3f, 40.7f, 0, 100, 60, 0.6f}}},
      {"a scaled strip cell, filtered, neighbours must not bleed", {{strip, 300.5f, 200.25f, 4, 37, 23, 1}}},
      {"a strip cell, nearest", {{stripNearest, 20, 300, 2, 10, 10, 1}}},
      {"a ring mirrored about its centre", {{ring, 400, 100, 0, -8, 8, 1, 2.5f, 2.5f}}},
      {"a masked RGB picture", {{rgb, 120.6f, 250, 0, 20, 20, 0.8f}}},
      {"a picture at a fractional place", {{quads, 500.25f, 350.75f, 0, 1, 1, 0.5f}}},
      {"a picture scaled down", {{quads, 10, 10, 0, 0.4f, 0.7f, 1}}},
      {"scale zero draws nothing", {{quads, 200, 200, 0, 0, 1, 1}}},
      {"overlapping draws in order",
       {{src, 100, 100, 0, 200, 150, 1}, {ring, 150, 120, 0, 20, 20, 0.7f}, {strip, 120, 110, 1, 30, 30, 1}}},
  };
  int worst = 0;
  for (int blend = MASKBLEND; blend <= SHADEBLEND; ++blend) {
    for (const auto& c : cases) {
      Cls();
      // A grey ramp underneath, so every blend meets many destinations.
      SetBlend(SOLIDBLEND);
      SetAlpha(1);
      SetScale(320, 480);
      DrawImage(bw, 0, 0);
      SetBlend(blend);
      for (const Draw& d : c.draws) {
        SetScale(d.sx, d.sy);
        SetAlpha(d.alpha);
        SetImageHandle(d.image, d.hx, d.hy);
        DrawImage(d.image, d.x, d.y, d.frame);
        SetImageHandle(d.image, 0, 0);
      }
      SetScale(1, 1);
      Flip();
      const std::vector<uint8_t> gl = real->readPixels();
      std::vector<uint8_t> soft(640 * 480 * 4, 0);
      nr::Rasterize(seen.last, soft.data(), 640, 480);
      ASSERT_EQ(gl.size(), soft.size());
      int maxDiff = 0, off = 0, fx = -1, fy = -1;
      for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
          const size_t i = (static_cast<size_t>(y) * 640 + static_cast<size_t>(x)) * 4;
          const int d = Diff(&gl[i], &soft[i]);
          if (d > maxDiff) {
            maxDiff = d;
            fx = x;
            fy = y;
          }
          off += d > 2;
        }
      worst = std::max(worst, maxDiff);
      EXPECT_EQ(off, 0) << c.what << ", blend " << blend << ": worst difference " << maxDiff << " at " << fx
                        << "," << fy;
    }
  }
  nr::SetFrameObserver(nullptr);
  RecordProperty("worst_channel_difference", worst);
}

TEST_F(RealDisplay, ConsecutiveDrawsOfOnePictureAndBlendAreOneDrawCall) {
  nr::SdlBackend* real = open({.hidden = true});
  TImage star = LoadImage("fixtures/block4.png");
  TImage ring = LoadImage("fixtures/ring5.png");
  // The same file cut two ways shares one texture.
  TImage strip = LoadAnimImage("fixtures/strip6.png", 2, 2, 0, 6);
  TImage stripCells = LoadAnimImage("fixtures/strip6.png", 2, 2, 2, 3);
  const struct {
    const char* what;
    std::function<void()> draw;
    int calls;
  } cases[] = {
      {"202 stars", [&] { for (int i = 0; i < 202; ++i) DrawImage(star, float(i % 640), float(i * 2 % 480)); }, 1},
      {"stars in two blends, in runs",
       [&] {
         for (int i = 0; i < 100; ++i) DrawImage(star, float(i), 5);
         SetBlend(LIGHTBLEND);
         for (int i = 0; i < 100; ++i) DrawImage(star, float(i), 50);
       },
       2},
      {"alternating pictures keep painter's order",
       [&] {
         for (int i = 0; i < 10; ++i) DrawImage(i % 2 ? ring : star, float(i * 10), 5);
       },
       10},
      {"two images of one file", [&] {
         DrawImage(strip, 10, 10, 0);
         DrawImage(stripCells, 20, 10, 1);
         DrawImage(strip, 30, 10, 5);
       }, 1},
      {"draws before the last clear are not drawn",
       [&] {
         for (int i = 0; i < 10; ++i) DrawImage(i % 2 ? ring : star, float(i * 10), 5);
         Cls();
         DrawImage(ring, 5, 5);
       },
       1},
  };
  for (const auto& c : cases) {
    Cls();
    SetBlend(ALPHABLEND);
    c.draw();
    Flip();
    EXPECT_EQ(real->lastDrawCalls(), c.calls) << c.what;
  }
}

TEST_F(RealDisplay, KeysFromTheServerReachTheGameAtTheNextFlip) {
  open();
  for (int i = 0; i < 3; ++i) Flip();
  const struct {
    const char* xkey;
    int code;
  } keys[] = {{"Escape", KEY_ESCAPE}, {"space", KEY_SPACE}, {"Left", KEY_LEFT}, {"Up", KEY_UP},
              {"Right", KEY_RIGHT},   {"Down", KEY_DOWN},   {"a", KEY_A},       {"q", KEY_Q}};
  for (const auto& k : keys) {
    xdotool({"keydown", k.xkey});
    bool down = false;
    for (int i = 0; i < 30 && !down; ++i) {
      Flip();
      down = KeyDown(k.code);
    }
    EXPECT_TRUE(down) << k.xkey;
    xdotool({"keyup", k.xkey});
    for (int i = 0; i < 30 && KeyDown(k.code); ++i) Flip();
    EXPECT_FALSE(KeyDown(k.code)) << k.xkey;
    EXPECT_EQ(KeyHit(k.code), 1) << k.xkey;
  }
  // Held past the server's auto-repeat delay: still one press.
  xdotool({"keydown", "space"});
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1200);
  while (std::chrono::steady_clock::now() < until) Flip();
  xdotool({"keyup", "space"});
  for (int i = 0; i < 30 && KeyDown(KEY_SPACE); ++i) Flip();
  EXPECT_EQ(KeyHit(KEY_SPACE), 1);
}

TEST_F(RealDisplay, PresentationKeepsTheSixtyHertzSchedule) {
  open();
  // Xvfb has no vertical retrace (its refresh reads 0), so Flip waits for
  // the 60 Hz schedule: 60 frames take 1000 ms, each 16 or 17 ms apart.
  EXPECT_FALSE(nr::CurrentBackend().millis() < 0);
  Flip();
  const int t0 = MilliSecs();
  std::vector<int> stamps;
  for (int i = 0; i < 120; ++i) {
    Cls();
    Flip();
    stamps.push_back(MilliSecs());
  }
  EXPECT_FALSE(static_cast<nr::SdlBackend&>(nr::CurrentBackend()).vsyncInUse());
  const int span = stamps.back() - t0;
  EXPECT_GE(span, 1990);
  EXPECT_LE(span, 2040);
}

// ---- Ending cleanly ------------------------------------------------------------

class RealDisplayDeath : public RealDisplay {
 protected:
  void SetUp() override {
    RealDisplay::SetUp();
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // The child ends inside SDL, by exit or by a signal: see xvfb::Spawn.
    setenv("LSAN_OPTIONS", "detect_leaks=0", 0);
  }
};

// Sends `sig` to the process after `ms`, from another thread.
void SignalLater(int sig, int ms) {
  std::thread([sig, ms] {
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
    kill(getpid(), sig);
  }).detach();
}

TEST_F(RealDisplayDeath, SignalsEndTheProgramByThatSignalWithoutACore) {
  const struct {
    int sig;
    bool inFlip;  // else in a busy-wait on the clock, as the exit wait does
  } cases[] = {{SIGTERM, true}, {SIGINT, true}, {SIGTERM, false}, {SIGINT, false}};
  for (const auto& c : cases) {
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EXIT(
        {
          open();
          SignalLater(c.sig, 300);
          for (;;) {
            if (c.inFlip) {
              Cls();
              Flip();
            } else {
              MilliSecs();
            }
          }
        },
        ::testing::KilledBySignal(c.sig), "")
        << "signal " << c.sig << (c.inFlip ? " in Flip" : " in MilliSecs");
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0);
    EXPECT_LT(ms.count(), 5000);
  }
}

TEST_F(RealDisplayDeath, AWindowCloseRequestExitsWithStatusZero) {
  EXPECT_EXIT(
      {
        open();
        Flip();
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
        for (int i = 0; i < 3; ++i) Flip();
        std::_Exit(3);  // not reached when the request is honoured
      },
      ::testing::ExitedWithCode(0), "");
}

// ---- The game binary ---------------------------------------------------------

bool OneLine(const std::string& s) { return !s.empty() && s.back() == '\n' && s.find('\n') == s.size() - 1; }

TEST(RealDisplayBinary, WithoutADisplayOneLineAndStatusOne) {
  const struct {
    const char* what;
    std::map<std::string, std::string> env;
    const char* mentions;
  } cases[] = {
      {"nothing set", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}}, "DISPLAY"},
      {"an X display nobody serves",
       {{"DISPLAY", ":4711"}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}},
       "DISPLAY=:4711"},
      {"a Wayland socket that is not there",
       {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", "nr-no-such-wayland"}, {"SDL_VIDEODRIVER", ""}},
       "WAYLAND_DISPLAY=nr-no-such-wayland"},
  };
  for (const auto& c : cases) {
    const xvfb::Run r = xvfb::RunProgram({kGame}, c.env, 20000);
    ASSERT_TRUE(WIFEXITED(r.status)) << c.what << ": not a normal exit, status " << r.status;
    EXPECT_EQ(WEXITSTATUS(r.status), 1) << c.what;
    EXPECT_TRUE(OneLine(r.err)) << c.what << ": " << r.err;
    EXPECT_EQ(r.err.rfind("neonrally: no display: ", 0), 0u) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << c.what << ": " << r.err;
    EXPECT_EQ(r.out, "") << c.what;
  }
}

TEST(RealDisplayBinary, OptionsHelpVersionAndRefusal) {
  const xvfb::Run help = xvfb::RunProgram({kGame, "--help"}, {}, 10000);
  EXPECT_TRUE(WIFEXITED(help.status) && WEXITSTATUS(help.status) == 0);
  for (const char* s : {"--windowed", "--stats", "--version", "cursor keys", "A and Q", "joystick 2", "SPACE", "ESC"})
    EXPECT_NE(help.out.find(s), std::string::npos) << s;
  const xvfb::Run version = xvfb::RunProgram({kGame, "--version"}, {}, 10000);
  EXPECT_TRUE(WIFEXITED(version.status) && WEXITSTATUS(version.status) == 0);
  EXPECT_EQ(version.out, std::string("neonrally ") + NR_VERSION + "\n");
  for (const char* bad : {"--fullscreen", "-x", "windowed", "--stats=1"}) {
    const xvfb::Run r = xvfb::RunProgram({kGame, bad}, {{"DISPLAY", ""}}, 10000);
    EXPECT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 2) << bad;
    EXPECT_NE(r.err.find(bad), std::string::npos) << bad;
    EXPECT_NE(r.err.find(help.out), std::string::npos) << bad << ": the help text is not with the refusal";
  }
}

}  // namespace

// ---- The whole game, driven by keys on the X server ----------------------------

namespace {

// What the X screen shows, measured in regions of the 640 x 480 picture
// (scaled by 1.6 onto the 1024 x 768 screen).
struct Look {
  int words = 0;    // bright pixels where the intro's words and the title stand
  int leftSide = 0; // bright pixels along the left edge (title text, the left paddle)
  int onePlayer = 0, twoPlayers = 0;  // red in the main menu's first and second box
  int ready = 0;    // yellow of the ready/start overlay
  int backToMenu = 0;  // red of the pause menu's highlighted Back To Menu
  double leftPaddleY = 0;  // mean height of the bright pixels along the left edge

  bool intro() const { return words > 20000 && leftSide < 300 && onePlayer < 300; }
  bool title() const { return onePlayer > 3000 && twoPlayers < 500; }
  bool readyOverlay() const { return ready > 2000 && onePlayer < 300; }
  bool paused() const { return backToMenu > 1000; }
};

Look Measure(const xvfb::Screen& s) {
  Look l;
  auto each = [&](int x0, int y0, int x1, int y1, auto&& f) {
    for (int y = y0 * 8 / 5; y < y1 * 8 / 5 && y < s.height; ++y)
      for (int x = x0 * 8 / 5; x < x1 * 8 / 5 && x < s.width; ++x) f(s.at(x, y), y);
  };
  auto bright = [](const uint8_t* p) { return std::max({p[0], p[1], p[2]}) > 150; };
  auto red = [](const uint8_t* p) { return p[0] > 150 && p[1] < 110 && p[2] < 130; };
  auto yellow = [](const uint8_t* p) { return p[0] > 170 && p[1] > 140 && p[2] < 110; };
  each(10, 60, 600, 300, [&](const uint8_t* p, int) { l.words += bright(p); });
  each(70, 320, 230, 400, [&](const uint8_t* p, int) { l.onePlayer += red(p); });
  each(240, 320, 400, 400, [&](const uint8_t* p, int) { l.twoPlayers += red(p); });
  each(240, 250, 400, 330, [&](const uint8_t* p, int) { l.ready += yellow(p); });
  each(60, 240, 230, 265, [&](const uint8_t* p, int) { l.backToMenu += red(p); });
  double sumY = 0;
  each(15, 100, 50, 440, [&](const uint8_t* p, int y) {
    if (!bright(p)) return;
    ++l.leftSide;
    sumY += y;
  });
  l.leftPaddleY = l.leftSide ? sumY / l.leftSide : 0;
  return l;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

long FileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : -1;
}

}  // namespace

class RealDisplayGame : public RealDisplay {
 protected:
  void TearDown() override {
    if (game_.pid > 0) {
      kill(game_.pid, SIGKILL);
      xvfb::Wait(game_, 5000);
    }
    if (!game_.outPath.empty()) {
      unlink(game_.outPath.c_str());
      unlink(game_.errPath.c_str());
    }
    RealDisplay::TearDown();
  }
  void start(std::map<std::string, std::string> env) {
    env["DISPLAY"] = server_->display();
    env["WAYLAND_DISPLAY"] = "";
    env["SDL_VIDEODRIVER"] = "";
    env["LIBGL_ALWAYS_SOFTWARE"] = "1";
    game_ = xvfb::Spawn({kGame}, env);
    ASSERT_GT(game_.pid, 0);
  }
  Look look() { return Measure(capture()); }
  // Polls the screen until `want` holds; false after `ms`.
  bool waitFor(const std::function<bool(const Look&)>& want, int ms, Look* seen = nullptr) {
    const int64_t until = NowMs() + ms;
    Look l;
    do {
      l = look();
      if (want(l)) break;
    } while (NowMs() < until);
    if (seen) *seen = l;
    return want(l);
  }
  // Held for a few frames, as a finger does: the menus read arrows with
  // KeyDown, which a press and release inside one frame never shows.
  void key(const char* k) {
    xdotool({"keydown", k});
    pause(80);
    xdotool({"keyup", k});
  }
  void pause(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }
  // From the start of the program to the first frame of a match.
  void intoAMatch() {
    Look l;
    ASSERT_TRUE(waitFor([](const Look& x) { return x.intro(); }, 8000, &l)) << "no intro: words " << l.words;
    pause(500);
    key("space");
    ASSERT_TRUE(waitFor([](const Look& x) { return x.title(); }, 4000, &l))
        << "no title: 1 Player red " << l.onePlayer << ", 2 Players red " << l.twoPlayers;
    pause(300);
    key("space");  // 1 Player
    pause(400);
    key("space");  // 7 points, the highlighted length
    ASSERT_TRUE(waitFor([](const Look& x) { return x.readyOverlay(); }, 4000, &l)) << "no ready: " << l.ready;
  }
  std::string errors() const { return xvfb::ReadFile(game_.errPath); }

  xvfb::Child game_;
};

TEST_F(RealDisplayGame, FromTheIntroThroughAMatchAndThePauseMenuToExit) {
  // Once with a sound device, once with none: the game must play the same.
  for (const char* audio : {"dummy", "no-such-audio-driver"}) {
    SCOPED_TRACE(std::string("audio driver ") + audio);
    start({{"SDL_AUDIODRIVER", audio}});
    Look l;
    ASSERT_TRUE(waitFor([](const Look& x) { return x.intro(); }, 8000, &l)) << "no intro: words " << l.words;
    pause(700);
    ASSERT_TRUE(look().intro());
    // The intro would go on for five seconds more: SPACE cuts it short.
    key("space");
    const int64_t skipped = NowMs();
    ASSERT_TRUE(waitFor([](const Look& x) { return x.title(); }, 4000, &l))
        << "no title with 1 Player highlighted: red " << l.onePlayer << " / " << l.twoPlayers;
    EXPECT_LT(NowMs() - skipped, 2500);

    pause(300);
    key("space");
    pause(400);
    key("space");
    ASSERT_TRUE(waitFor([](const Look& x) { return x.readyOverlay(); }, 4000, &l)) << "no ready: " << l.ready;
    // Play is released when the overlay is gone.
    ASSERT_TRUE(waitFor([](const Look& x) { return x.ready < 1000; }, 8000, &l)) << "ready stays: " << l.ready;
    const double before = look().leftPaddleY;
    xdotool({"keydown", "Down"});
    pause(600);
    const double during = look().leftPaddleY;
    xdotool({"keyup", "Down"});
    EXPECT_GT(during, before + 15) << "the left paddle did not move down";

    key("Escape");
    ASSERT_TRUE(waitFor([](const Look& x) { return x.paused(); }, 3000, &l)) << "no pause menu: " << l.backToMenu;
    pause(300);
    key("space");  // Back To Menu, highlighted first
    ASSERT_TRUE(waitFor([](const Look& x) { return x.title(); }, 3000, &l)) << "not back at the title";

    pause(400);
    key("Right");
    pause(300);
    key("Right");
    pause(300);
    key("space");  // Exit Game
    const int64_t confirmed = NowMs();
    const std::optional<int> status = xvfb::Wait(game_, 5000);
    const int64_t took = NowMs() - confirmed;
    ASSERT_TRUE(status.has_value()) << "still running 5 s after Exit Game";
    EXPECT_TRUE(WIFEXITED(*status) && WEXITSTATUS(*status) == 0) << "status " << *status << ": " << errors();
    EXPECT_GE(took, 800);
    EXPECT_LE(took, 1500);
    EXPECT_EQ(errors(), "");
  }
}

TEST_F(RealDisplayGame, SigtermDuringAMatchEndsItWithinASecond) {
  start({{"SDL_AUDIODRIVER", "dummy"}});
  intoAMatch();
  pause(1500);
  const int64_t sent = NowMs();
  kill(game_.pid, SIGTERM);
  const std::optional<int> status = xvfb::Wait(game_, 5000);
  const int64_t took = NowMs() - sent;
  ASSERT_TRUE(status.has_value());
  EXPECT_TRUE(WIFSIGNALED(*status) && WTERMSIG(*status) == SIGTERM) << "status " << *status;
  EXPECT_FALSE(WCOREDUMP(*status));
  EXPECT_LT(took, 1000);
  RecordProperty("sigterm_to_exit_ms", static_cast<int>(took));
}

TEST_F(RealDisplayGame, TheDiskAudioDriverHearsTheMenuSoundAndTheReadyBeepAndSilenceBefore) {
  const std::string file = "/tmp/nr-game-audio-" + std::to_string(getpid()) + ".raw";
  start({{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", file}});
  Look l;
  ASSERT_TRUE(waitFor([](const Look& x) { return x.intro(); }, 8000, &l));
  pause(500);
  key("space");  // also silences the intro's sound
  ASSERT_TRUE(waitFor([](const Look& x) { return x.title(); }, 4000, &l));
  pause(800);
  const long atMenuKey = FileSize(file);
  key("Right");  // the menu sound
  pause(700);
  key("Left");
  pause(700);
  key("space");  // 1 Player
  pause(800);
  const long atLengthKey = FileSize(file);
  key("space");  // 7 points: the match begins, its first beep 800 ms later
  pause(2000);
  kill(game_.pid, SIGTERM);
  xvfb::Wait(game_, 5000);
  const std::string pcm = xvfb::ReadFile(file);
  std::remove(file.c_str());

  // 16-bit stereo at 44100 Hz, in real time: a byte offset is a time.
  constexpr double kBytesPerMs = 44100.0 * 4 / 1000;
  auto loudest = [&](long at, int fromMs, int toMs) {
    const long b0 = std::max(0L, at + static_cast<long>(fromMs * kBytesPerMs)) / 4 * 4;
    const long b1 = std::min(static_cast<long>(pcm.size()), at + static_cast<long>(toMs * kBytesPerMs)) / 4 * 4;
    int peak = 0;
    for (long b = b0; b + 1 < b1; b += 2) {
      int16_t v;
      std::memcpy(&v, pcm.data() + b, 2);
      peak = std::max(peak, std::abs(static_cast<int>(v)));
    }
    return peak;
  };
  ASSERT_GT(atMenuKey, 0);
  ASSERT_GT(static_cast<long>(pcm.size()), atLengthKey + static_cast<long>(1600 * kBytesPerMs));
  EXPECT_LT(loudest(atMenuKey, -400, -20), 64) << "sound on the title before any key";
  EXPECT_GT(loudest(atMenuKey, 0, 300), 1000) << "no menu sound";
  // The confirming sound is a quarter of a second; the beep comes at 800 ms.
  EXPECT_LT(loudest(atLengthKey, -300, -20), 64) << "sound before the match-length confirmation";
  EXPECT_LT(loudest(atLengthKey, 400, 750), 64) << "sound between the confirmation and the beep";
  EXPECT_GT(loudest(atLengthKey, 850, 1500), 1000) << "no ready beep";
}
