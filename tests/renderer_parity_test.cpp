// The OpenGL renderer beside the software rasterizer on the game's own
// frames, under a private Xvfb with Mesa: the same replay drawn both ways
// must agree, the OpenGL renderer must stay within its draw-call budget in
// every frame, and neonrally-replay --renderer gl must draw its shots that
// way or refuse at once without a display.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "effects/TwaveF.h"
#include "match/partida.h"
#include "platform/codec.h"
#include "platform/gl_offscreen.h"
#include "platform/image.h"
#include "platform/replay.h"
#include "platform/runtime.h"
#include "shell/neonrally.h"
#include "xvfb.h"

extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

namespace {

constexpr int kW = 640, kH = 480;
constexpr int kTolerance = 8;  // per channel, of 255
const std::string kReplay = NR_BINARY_DIR "/neonrally-replay";
const std::string kScripts = NR_SOURCE_DIR "/docs/screenshots/";

std::string Script(const std::string& name) { return xvfb::ReadFile(kScripts + name); }

// How closely two 640 x 480 RGBA pictures agree.
struct Agreement {
  long within = 0;  // pixels whose every channel is within kTolerance
  int worst = 0;    // the largest channel difference
  int worstX = -1, worstY = -1;
  long lit = 0;     // pixels of the reference that are not black
  double share() const { return static_cast<double>(within) / (kW * kH); }
};

Agreement Compare(const std::vector<uint8_t>& gl, const std::vector<uint8_t>& soft) {
  Agreement a;
  if (gl.size() != soft.size() || soft.size() != static_cast<size_t>(kW) * kH * 4) return a;
  for (int y = 0; y < kH; ++y)
    for (int x = 0; x < kW; ++x) {
      const size_t i = (static_cast<size_t>(y) * kW + static_cast<size_t>(x)) * 4;
      int d = 0;
      for (int c = 0; c < 3; ++c) d = std::max(d, std::abs(gl[i + c] - soft[i + c]));
      if (d > a.worst) {
        a.worst = d;
        a.worstX = x;
        a.worstY = y;
      }
      a.within += d <= kTolerance;
      a.lit += std::max({soft[i], soft[i + 1], soft[i + 2]}) > 16;
    }
  return a;
}

bool Draws(const std::vector<nr::DrawCmd>& commands, const std::string& name) {
  return std::any_of(commands.begin(), commands.end(),
                     [&](const nr::DrawCmd& c) { return c.image && c.image->name == name; });
}

class RendererParity : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    if (!xvfb::Installed("Xvfb")) return;
    server_ = new xvfb::Server;
    if (!server_->start(640, 480, startError_)) {
      delete server_;
      server_ = nullptr;
    }
  }
  static void TearDownTestSuite() {
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
    // The X and OpenGL libraries leave a few bytes behind in modules they
    // unload again, where no suppression can name them.
    if (__lsan_disable) __lsan_disable();
    leaksIgnored_ = true;
  }
  void TearDown() override {
    nr::SetStateReporter(nullptr);
    if (leaksIgnored_ && __lsan_enable) __lsan_enable();
    leaksIgnored_ = false;
  }
  void openGl(nr::OffscreenGl& gl) {
    std::string error;
    ASSERT_TRUE(gl.open(kW, kH, error)) << error;
  }
  std::map<std::string, std::string> display() const {
    return {{"DISPLAY", server_->display()},
            {"WAYLAND_DISPLAY", ""},
            {"SDL_VIDEODRIVER", ""},
            {"LIBGL_ALWAYS_SOFTWARE", "1"}};
  }

  bool leaksIgnored_ = false;
  static xvfb::Server* server_;
  static std::string startError_;
};

xvfb::Server* RendererParity::server_ = nullptr;
std::string RendererParity::startError_;

// Draws chosen frames of a replay both ways as they are presented.
class BothWays final : public nr::FrameObserver {
 public:
  using Check = std::function<void(long frame, const std::vector<nr::DrawCmd>& picture,
                                   const std::vector<uint8_t>& gl, const std::vector<uint8_t>& soft)>;
  BothWays(nr::OffscreenGl& gl, std::set<long> frames, Check check)
      : gl_(gl), frames_(std::move(frames)), check_(std::move(check)) {}
  void beforePresent(long, const std::vector<nr::DrawCmd>&) override {}
  void afterPresent(long frame) override {
    if (!frames_.count(frame)) return;
    nr::HeadlessBackend* backend = nr::ReplayBackend();
    const std::vector<nr::DrawCmd>& picture = backend->picture();
    check_(frame, picture, gl_.picture(picture), backend->rasterize());
  }

 private:
  nr::OffscreenGl& gl_;
  std::set<long> frames_;
  Check check_;
};

TEST_F(RendererParity, TheGamesFramesLookTheSameThroughOpenGlAndTheSoftwareRasterizer) {
  nr::OffscreenGl gl;
  openGl(gl);
  // The README's screenshots, from their input files; each frame is known
  // by pictures only it draws, so a change of timing cannot go unseen.
  const struct Shot {
    const char* what;
    const char* script;
    long frame;
    std::vector<std::string> draws;
    std::function<bool()> state;
  } shots[] = {
      {"intro flicker", "menus.txt", 120, {"gfx2/plimo.png", "gfx2/drevan.png", "gfx2/oskel.png"}, nullptr},
      {"title screen", "menus.txt", 262, {"gfx2/titulo.png", "gfx/poneplayeron.png"}, [] { return seleccion == 1; }},
      {"match-length menu", "menus.txt", 300, {"gfx/psieteon.png", "gfx/back.png"}, [] { return seleccion == 2; }},
      {"ready overlay", "one-player.txt", 190, {"gfx2/ready.png", "gfx2/campo.png"}, [] { return empezar == 0; }},
      {"match, waves and trail", "one-player.txt", 474,
       {"gfx2/ondamorada.png", "gfx2/gondamorada.png", "gfx2/energiaesfera2.png", "gfx2/superpelota.png"},
       [] { return seleccion == 3 && empezar == 1 && ListaO->Count() > 0; }},
      {"winner screen", "one-player.txt", 1775, {"gfx2/youwinr.png"}, [] { return seleccion == 4; }},
      {"pause menu", "pause.txt", 524, {"gfx/backon.png", "gfx/continueoff.png", "gfx2/energiaesfera2.png"},
       [] { return pausarjuego == 1; }},
  };
  std::map<std::string, std::vector<const Shot*>> byScript;
  for (const Shot& s : shots) byScript[s.script].push_back(&s);
  int checked = 0;
  for (const auto& [script, list] : byScript) {
    std::map<long, const Shot*> at;
    for (const Shot* s : list) at[s->frame] = s;
    std::set<long> frames;
    for (const auto& [f, s] : at) frames.insert(f);
    BothWays both(gl, frames, [&](long frame, const std::vector<nr::DrawCmd>& picture,
                                  const std::vector<uint8_t>& glPixels, const std::vector<uint8_t>& soft) {
      const Shot& s = *at.at(frame);
      ++checked;
      for (const std::string& name : s.draws) EXPECT_TRUE(Draws(picture, name)) << s.what << ": no " << name;
      if (s.state) {
        EXPECT_TRUE(s.state()) << s.what << ": not the expected screen state";
      }
      const Agreement a = Compare(glPixels, soft);
      std::printf("[ parity   ] %-24s frame %4ld: %7.3f %% of pixels within %d/255, worst %3d at (%d, %d)\n",
                  s.what, frame, a.share() * 100.0, kTolerance, a.worst, a.worstX, a.worstY);
      RecordProperty(std::string(s.what) + " worst", a.worst);
      EXPECT_GE(a.share(), 0.99) << s.what << ": worst difference " << a.worst << " at " << a.worstX << ","
                                 << a.worstY;
      // A black picture both ways would agree and prove nothing.
      EXPECT_GT(a.lit, kW * kH / 50) << s.what << ": the picture is nearly black";
    });
    nr::ReplayOptions o;
    std::string error;
    ASSERT_TRUE(nr::ParseInputScript(Script(script), o.events, error)) << script << ": " << error;
    o.frames = *frames.rbegin() + 1;
    RegistrarEstadoTraza();
    const nr::ReplayResult r = nr::RunReplay(o, NeonRallyMain, &both);
    EXPECT_EQ(r.frames, o.frames) << script;
  }
  EXPECT_EQ(checked, static_cast<int>(std::size(shots)));
}

// Renders every presented frame through OpenGL as the real backend does and
// keeps the largest number of draw calls, and which screens were seen.
class DrawCallCount final : public nr::FrameObserver {
 public:
  explicit DrawCallCount(nr::OffscreenGl& gl) : gl_(gl) {}
  void beforePresent(long frame, const std::vector<nr::DrawCmd>& commands) override {
    gl_.render(commands);
    const int calls = gl_.drawCalls();
    const bool inMatch = Draws(commands, "gfx2/campo.png");
    if (Draws(commands, "gfx2/plimo.png")) seen.insert("intro");
    if (Draws(commands, "gfx2/titulo.png") && seleccion == 1) seen.insert("title");
    if (seleccion == 2) seen.insert("match-length menu");
    if (inMatch && (Draws(commands, "gfx2/ready.png") || Draws(commands, "gfx2/start.png")))
      seen.insert("ready overlay");
    if (inMatch && Draws(commands, "gfx2/ondamorada.png") && Draws(commands, "gfx2/energiaesfera2.png"))
      seen.insert("waves and trail");
    if (inMatch && pausarjuego == 1) seen.insert("pause menu");
    if (Draws(commands, "gfx2/youwinr.png")) seen.insert("winner screen");
    if (calls > most) {
      most = calls;
      mostFrame = frame;
      mostDraws = static_cast<long>(commands.size());
    }
    ++frames;
  }
  void afterPresent(long) override {}
  int most = 0;
  long mostFrame = -1, mostDraws = 0, frames = 0;
  std::set<std::string> seen;

 private:
  nr::OffscreenGl& gl_;
};

TEST_F(RendererParity, NoFrameOfTheGameTakesMoreThanSixtyFourDrawCalls) {
  nr::OffscreenGl gl;
  openGl(gl);
  DrawCallCount count(gl);
  // A whole one-player match to the winner screen, and one paused.
  for (const auto& [script, frames] : {std::pair{"one-player.txt", 1780L}, std::pair{"pause.txt", 530L}}) {
    nr::ReplayOptions o;
    std::string error;
    ASSERT_TRUE(nr::ParseInputScript(Script(script), o.events, error)) << script << ": " << error;
    o.frames = frames;
    RegistrarEstadoTraza();
    nr::RunReplay(o, NeonRallyMain, &count);
  }
  for (const char* screen : {"intro", "title", "match-length menu", "ready overlay", "waves and trail",
                             "pause menu", "winner screen"})
    EXPECT_TRUE(count.seen.count(screen)) << "the replays never reached: " << screen;
  std::printf("[ drawcall ] %ld frames: at most %d draw calls (frame %ld of its replay, %ld draws)\n",
              count.frames, count.most, count.mostFrame, count.mostDraws);
  RecordProperty("max_draw_calls", count.most);
  EXPECT_LE(count.most, 64);
  // Batching is what keeps it there: the busiest frame draws far more.
  EXPECT_GT(count.mostDraws, 200);
}

std::vector<uint8_t> ReadPng(const std::string& path) {
  const std::string bytes = xvfb::ReadFile(path);
  auto px = nr::DecodePng(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), false);
  if (!px || px->width != kW || px->height != kH) return {};
  return px->rgba;
}

TEST_F(RendererParity, TheReplayBinaryDrawsItsShotsThroughOpenGlWhenAsked) {
  const std::string dir = "/tmp/nr-parity-" + std::to_string(getpid());
  ASSERT_EQ(system(("mkdir -p " + dir).c_str()), 0);
  std::map<std::string, std::vector<uint8_t>> pictures;
  std::map<std::string, std::string> traces;
  for (const char* renderer : {"soft", "gl"}) {
    const std::string shot = dir + "/" + renderer + ".png", trace = dir + "/" + renderer + ".trace";
    const xvfb::Run r = xvfb::RunProgram({kReplay, "--renderer", renderer, "--input", kScripts + "one-player.txt",
                                          "--frames", "475", "--shot", "474:" + shot, "--trace", trace},
                                         display(), 60000);
    ASSERT_TRUE(WIFEXITED(r.status) && WEXITSTATUS(r.status) == 0) << renderer << ": " << r.err;
    EXPECT_EQ(r.err, "") << renderer;
    pictures[renderer] = ReadPng(shot);
    traces[renderer] = xvfb::ReadFile(trace);
    ASSERT_FALSE(pictures[renderer].empty()) << renderer << ": no 640 x 480 picture in " << shot;
  }
  // The same run either way; only the pictures' renderer differs.
  EXPECT_EQ(traces["gl"], traces["soft"]);
  EXPECT_FALSE(traces["gl"].empty());
  const Agreement a = Compare(pictures["gl"], pictures["soft"]);
  EXPECT_GE(a.share(), 0.99) << "worst difference " << a.worst << " at " << a.worstX << "," << a.worstY;
  EXPECT_GT(a.lit, kW * kH / 50);
  ASSERT_EQ(system(("rm -rf " + dir).c_str()), 0);
}

TEST(RendererParityBinary, WithoutADisplayTheOpenGlRendererRefusesInOneLineBeforeRunning) {
  const std::string shot = "/tmp/nr-parity-nodisplay-" + std::to_string(getpid()) + ".png";
  const struct {
    const char* what;
    std::map<std::string, std::string> env;
    const char* mentions;
  } cases[] = {
      {"nothing set", {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}}, "DISPLAY"},
      {"an X display nobody serves", {{"DISPLAY", ":4711"}, {"WAYLAND_DISPLAY", ""}, {"SDL_VIDEODRIVER", ""}},
       "DISPLAY=:4711"},
  };
  for (const auto& c : cases) {
    const xvfb::Run r =
        xvfb::RunProgram({kReplay, "--renderer", "gl", "--frames", "5", "--shot", "0:" + shot, "--trace", "-"},
                         c.env, 20000);
    ASSERT_TRUE(WIFEXITED(r.status)) << c.what << ": status " << r.status;
    EXPECT_EQ(WEXITSTATUS(r.status), 1) << c.what;
    EXPECT_TRUE(!r.err.empty() && r.err.find('\n') == r.err.size() - 1) << c.what << ": " << r.err;
    EXPECT_EQ(r.err.rfind("neonrally-replay: --renderer gl: no display: ", 0), 0u) << c.what << ": " << r.err;
    EXPECT_NE(r.err.find(c.mentions), std::string::npos) << c.what << ": " << r.err;
    // Nothing ran: no trace record, no picture.
    EXPECT_EQ(r.out, "") << c.what;
    EXPECT_NE(access(shot.c_str(), F_OK), 0) << c.what;
  }
  // The software rasterizer needs no display.
  const xvfb::Run soft = xvfb::RunProgram({kReplay, "--renderer", "soft", "--frames", "5", "--shot", "0:" + shot},
                                          {{"DISPLAY", ""}, {"WAYLAND_DISPLAY", ""}}, 20000);
  EXPECT_TRUE(WIFEXITED(soft.status) && WEXITSTATUS(soft.status) == 0) << soft.err;
  EXPECT_EQ(access(shot.c_str(), F_OK), 0);
  std::remove(shot.c_str());
}

TEST(RendererParityOptions, RendererIsSoftUnlessGlIsAsked) {
  const struct {
    std::vector<std::string> args;
    bool ok;
    nr::ReplayRenderer renderer;
    const char* error;
  } cases[] = {
      {{}, true, nr::ReplayRenderer::kSoft, ""},
      {{"--renderer", "soft"}, true, nr::ReplayRenderer::kSoft, ""},
      {{"--renderer", "gl"}, true, nr::ReplayRenderer::kGl, ""},
      {{"--renderer", "gl", "--frames", "3"}, true, nr::ReplayRenderer::kGl, ""},
      {{"--renderer"}, false, nr::ReplayRenderer::kSoft, "--renderer needs a value"},
      {{"--renderer", "GL"}, false, nr::ReplayRenderer::kSoft, "--renderer takes gl or soft"},
      {{"--renderer", "vulkan"}, false, nr::ReplayRenderer::kSoft, "--renderer takes gl or soft"},
      {{"--renderer", ""}, false, nr::ReplayRenderer::kSoft, "--renderer takes gl or soft"},
      {{"--renderer", "gl", "--renderer", "soft"}, false, nr::ReplayRenderer::kSoft, "--renderer given twice"},
  };
  for (const auto& c : cases) {
    nr::ReplayOptions o;
    std::string error;
    std::string joined;
    for (const std::string& a : c.args) joined += a + " ";
    EXPECT_EQ(nr::ParseReplayArgs(c.args, o, error), c.ok) << joined << ": " << error;
    if (c.ok) {
      EXPECT_EQ(o.renderer, c.renderer) << joined;
    } else {
      EXPECT_EQ(error, c.error) << joined;
    }
  }
}

}  // namespace
