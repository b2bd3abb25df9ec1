// The real backend's parts that need no display: key translation, the
// letterbox, the vertical sync decision, joystick ports, pacing figures,
// and sound through SDL2_mixer (dummy, disk and missing audio devices).
#include <SDL_keycode.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "platform/platform.h"
#include "platform/runtime.h"
#include "platform/sdl_audio.h"
#include "platform/sdl_backend.h"
#include "platform/sound.h"

namespace {

TEST(SdlKeys, TranslatesToTheGameCodesAndIgnoresTheRest) {
  const struct {
    int32_t sdl;
    int game;
  } cases[] = {
      {SDLK_ESCAPE, 27}, {SDLK_SPACE, 32}, {SDLK_LEFT, 37}, {SDLK_UP, 38},  {SDLK_RIGHT, 39},
      {SDLK_DOWN, 40},   {SDLK_a, 65},     {SDLK_q, 81},    {SDLK_z, 90},   {SDLK_m, 77},
      {SDLK_0, 48},      {SDLK_9, 57},     {SDLK_RETURN, 13},
      // No code in the game: never delivered, so they cannot alias one.
      {SDLK_F1, -1},     {SDLK_LSHIFT, -1}, {SDLK_KP_4, -1}, {SDLK_KP_8, -1}, {SDLK_UNKNOWN, -1},
      {SDLK_BACKQUOTE, -1}, {SDLK_DELETE, -1},
  };
  for (const auto& c : cases) EXPECT_EQ(nr::TranslateKey(c.sdl), c.game) << "SDL keycode " << c.sdl;
}

TEST(SdlLetterbox, FitsWithAspectKeptAndCentred) {
  const struct {
    int dw, dh;
    nr::Letterbox want;
  } cases[] = {
      {640, 480, {0, 0, 640, 480}},
      {1024, 768, {0, 0, 1024, 768}},     // 1.6 exactly
      {1920, 1080, {240, 0, 1440, 1080}},  // bars left and right
      {1280, 1024, {0, 32, 1280, 960}},    // bars above and below
      {2560, 1600, {213, 0, 2133, 1600}},  // a HiDPI drawable
      {641, 480, {0, 0, 640, 480}},
      {300, 1000, {0, 387, 300, 225}},
      {0, 0, {0, 0, 0, 0}},
  };
  for (const auto& c : cases) {
    const nr::Letterbox b = nr::FitPicture(c.dw, c.dh, 640, 480);
    EXPECT_EQ(b.x, c.want.x) << c.dw << "x" << c.dh;
    EXPECT_EQ(b.y, c.want.y) << c.dw << "x" << c.dh;
    EXPECT_EQ(b.width, c.want.width) << c.dw << "x" << c.dh;
    EXPECT_EQ(b.height, c.want.height) << c.dw << "x" << c.dh;
  }
}

TEST(SdlVsync, TriedOnlyWhereTheDisplayRunsAtSixtyHertz) {
  const struct {
    int hz;
    bool vsync;
  } cases[] = {{0, false}, {30, false}, {50, false}, {59, true}, {60, true},
               {61, true}, {75, false}, {120, false}, {144, false}};
  for (const auto& c : cases) EXPECT_EQ(nr::RefreshAllowsVsync(c.hz), c.vsync) << c.hz << " Hz";
}

std::vector<int64_t> Repeat(int64_t us, int n) { return std::vector<int64_t>(static_cast<size_t>(n), us); }

TEST(SdlVsync, KeptOnlyWhenTheFirstSwapsComeAFrameApart) {
  const int n = nr::VsyncProbe::kWarmup + nr::VsyncProbe::kSamples;
  std::vector<int64_t> jittery;
  for (int i = 0; i < n; ++i) jittery.push_back(i % 2 ? 9000 : 24000);  // mean 16.5 ms, never on time
  std::vector<int64_t> fewLate = Repeat(16667, n);
  for (int i : {15, 30, 45}) fewLate[static_cast<size_t>(i)] = 33333;  // the game's own slow frames
  std::vector<int64_t> manyLate = Repeat(16667, n);
  for (int i = 12; i < n; i += 5) manyLate[static_cast<size_t>(i)] = 33333;
  std::vector<int64_t> slowStart = Repeat(16600, n);
  for (int i = 0; i < nr::VsyncProbe::kWarmup; ++i) slowStart[static_cast<size_t>(i)] = 200000;
  const struct {
    const char* what;
    std::vector<int64_t> intervals;
    nr::VsyncProbe::Verdict want;
  } cases[] = {
      {"steady 60 Hz", Repeat(16667, n), nr::VsyncProbe::kWorks},
      {"swaps that do not wait", Repeat(900, n), nr::VsyncProbe::kFails},
      {"a 30 Hz display", Repeat(33333, n), nr::VsyncProbe::kFails},
      {"a 75 Hz display", Repeat(13333, n), nr::VsyncProbe::kFails},
      {"jitter around 60 Hz", jittery, nr::VsyncProbe::kFails},
      {"three slow frames of the game", fewLate, nr::VsyncProbe::kWorks},
      {"every fifth frame a period late", manyLate, nr::VsyncProbe::kFails},
      {"a slow start, then steady", slowStart, nr::VsyncProbe::kWorks},
  };
  for (const auto& c : cases) {
    nr::VsyncProbe probe;
    nr::VsyncProbe::Verdict v = nr::VsyncProbe::kUndecided;
    for (size_t i = 0; i < c.intervals.size(); ++i) {
      v = probe.add(c.intervals[i]);
      if (i + 1 < c.intervals.size()) {
        ASSERT_EQ(v, nr::VsyncProbe::kUndecided) << c.what << " at " << i;
      }
    }
    EXPECT_EQ(v, c.want) << c.what;
    // The verdict is for good.
    EXPECT_EQ(probe.add(c.want == nr::VsyncProbe::kWorks ? 900 : 16667), c.want) << c.what;
  }
}

// Records what the ports deliver.
class Recorder final : public nr::InputSink {
 public:
  void key(int, bool) override {}
  void joyAttached(int port, bool attached) override {
    log.push_back("attach " + std::to_string(port) + (attached ? " on" : " off"));
    axes[port][0] = axes[port][1] = 0;
  }
  void joyAxis(int port, int axis, int raw) override { axes[port][axis] = raw; }
  void joyButton(int port, int button, bool down) override {
    log.push_back("button " + std::to_string(port) + " " + std::to_string(button) + (down ? " down" : " up"));
  }
  std::vector<std::string> log;
  int axes[8][2] = {};
};

TEST(SdlPads, PortsGoToTheLowestFreeOneAndComeBackWhenUnplugged) {
  Recorder in;
  nr::PadPorts ports;
  EXPECT_EQ(ports.attach(40, true, in), 0);
  EXPECT_EQ(ports.attach(41, false, in), 1);
  EXPECT_EQ(ports.attach(41, false, in), -1);  // already on a port: SDL announces opened pads again
  EXPECT_EQ(ports.detach(40, in), 0);
  EXPECT_EQ(ports.portOf(40), -1);
  EXPECT_EQ(ports.portOf(41), 1);  // the other pad keeps its port
  EXPECT_EQ(ports.attach(42, false, in), 0);
  EXPECT_EQ(ports.attach(43, true, in), 2);
  EXPECT_EQ(ports.detach(99, in), -1);
  EXPECT_EQ(ports.attached(), 3);
  EXPECT_TRUE(ports.isController(43));
  EXPECT_FALSE(ports.isController(42));
  for (int32_t d = 44; d < 49; ++d) EXPECT_EQ(ports.attach(d, false, in), d - 41);
  EXPECT_EQ(ports.attach(49, false, in), -1);  // eight ports, all taken
  ports.button(42, 1, true, in);
  ports.button(49, 0, true, in);  // not on a port: nothing
  const std::vector<std::string> want = {
      "attach 0 on", "attach 1 on", "attach 0 off", "attach 0 on", "attach 2 on", "attach 3 on",
      "attach 4 on", "attach 5 on", "attach 6 on", "attach 7 on", "button 0 1 down"};
  EXPECT_EQ(in.log, want);
}

TEST(SdlPads, DpadAndHatReadAsFullDeflectionOverTheStick) {
  Recorder in;
  nr::PadPorts ports;
  ports.attach(7, false, in);
  ports.stick(7, 0, 1200, in);
  ports.stick(7, 1, -900, in);
  ports.stick(7, 2, 5000, in);  // a third axis is not the game's
  EXPECT_EQ(in.axes[0][0], 1200);
  EXPECT_EQ(in.axes[0][1], -900);
  const struct {
    bool l, r, u, d;
    int x, y;
  } cases[] = {
      {true, false, false, false, -32768, -900}, {false, true, false, false, 32767, -900},
      {false, false, true, false, 1200, -32768}, {false, false, false, true, 1200, 32767},
      {false, true, true, false, 32767, -32768}, {true, true, false, false, 1200, -900},
      {false, false, false, false, 1200, -900},
  };
  for (const auto& c : cases) {
    ports.dpad(7, c.l, c.r, c.u, c.d, in);
    EXPECT_EQ(in.axes[0][0], c.x) << c.l << c.r << c.u << c.d;
    EXPECT_EQ(in.axes[0][1], c.y) << c.l << c.r << c.u << c.d;
  }
  // The stick moving under a held d-pad does not show until it is let go.
  ports.dpad(7, true, false, false, false, in);
  ports.stick(7, 0, 300, in);
  EXPECT_EQ(in.axes[0][0], -32768);
  ports.dpad(7, false, false, false, false, in);
  EXPECT_EQ(in.axes[0][0], 300);
}

TEST(SdlPacing, PercentilesByNearestRank) {
  std::vector<double> v;
  for (int i = 1000; i >= 1; --i) v.push_back(i);
  EXPECT_EQ(nr::Percentile(v, 0.5), 500);
  EXPECT_EQ(nr::Percentile(v, 0.99), 990);
  EXPECT_EQ(nr::Percentile(v, 0.999), 999);
  EXPECT_EQ(nr::Percentile(v, 1.0), 1000);
  EXPECT_EQ(nr::Percentile(v, 0.0), 1);
  EXPECT_EQ(nr::Percentile({}, 0.5), 0);
  EXPECT_EQ(nr::Percentile({7}, 0.999), 7);
}

// ---- Sound -------------------------------------------------------------------

// Sets environment variables for one test and puts them back.
class ScopedEnv {
 public:
  ScopedEnv(std::initializer_list<std::pair<const char*, const char*>> vars) {
    for (const auto& [k, v] : vars) {
      const char* old = std::getenv(k);
      saved_.push_back({k, old ? std::string(old) : std::string(), old != nullptr});
      if (v) setenv(k, v, 1);
      else unsetenv(k);
    }
  }
  ~ScopedEnv() {
    for (const Saved& s : saved_) {
      if (s.had) setenv(s.name, s.value.c_str(), 1);
      else unsetenv(s.name);
    }
  }

 private:
  struct Saved {
    const char* name;
    std::string value;
    bool had;
  };
  std::vector<Saved> saved_;
};

// The real backend with no window: only its sound and clock are used.
class RealSound {
 public:
  RealSound() {
    auto b = std::make_unique<nr::SdlBackend>();
    backend = b.get();
    nr::InstallBackend(std::move(b));
  }
  ~RealSound() { nr::UninstallBackend(); }
  nr::SdlBackend* backend;
};

bool WaitFor(const std::function<bool()>& done, int ms) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (std::chrono::steady_clock::now() < until) {
    if (done()) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return done();
}

TEST(SdlSound, WithNoDeviceVoicesPlaySilentlyForTheSoundsLength) {
  ScopedEnv env{{"SDL_AUDIODRIVER", "no-such-driver"}};
  RealSound real;
  TSound beep = LoadSound("fixtures/beep50ms.wav");
  EXPECT_FALSE(real.backend->audioOpen());
  TChannel ch = AllocChannel();
  TChannel other = AllocChannel();
  const int t0 = MilliSecs();
  PlaySound(beep, ch);
  TChannel fresh = PlaySound(beep);
  EXPECT_TRUE(ChannelPlaying(ch));
  EXPECT_TRUE(ChannelPlaying(fresh));
  EXPECT_FALSE(ChannelPlaying(other));
  ASSERT_TRUE(WaitFor([&] { return !ChannelPlaying(ch) && !ChannelPlaying(fresh); }, 1000));
  EXPECT_GE(MilliSecs() - t0, 50);
  PlaySound(beep, other);
  StopChannel(other);
  EXPECT_FALSE(ChannelPlaying(other));
}

TEST(SdlSound, OverlappingSoundsAllSoundAndChannelsAreTheirOwn) {
  ScopedEnv env{{"SDL_AUDIODRIVER", "dummy"}};
  RealSound real;
  TSound beep = LoadSound("fixtures/beep50ms.wav");
  ASSERT_TRUE(real.backend->audioOpen());
  TChannel a = AllocChannel();
  TChannel b = AllocChannel();
  // More at once than the mixer starts with: none may be dropped.
  std::vector<TChannel> fresh;
  for (int i = 0; i < 80; ++i) fresh.push_back(PlaySound(beep));
  PlaySound(beep, a);
  int sounding = 0;
  for (const TChannel& c : fresh) sounding += ChannelPlaying(c);
  EXPECT_EQ(sounding, 80);
  EXPECT_TRUE(ChannelPlaying(a));
  EXPECT_FALSE(ChannelPlaying(b));
  // An allocated channel is not taken by fresh voices.
  StopChannel(a);
  EXPECT_FALSE(ChannelPlaying(a));
  TChannel late = PlaySound(beep);
  EXPECT_FALSE(ChannelPlaying(a));
  EXPECT_TRUE(ChannelPlaying(late));
  EXPECT_TRUE(WaitFor([&] { return !ChannelPlaying(late) && !ChannelPlaying(fresh[0]); }, 3000));
}

TEST(SdlSound, TheDiskDriverRecordsSilenceThenTheSound) {
  const std::string file = "/tmp/nr-disk-audio-" + std::to_string(getpid()) + ".raw";
  {
    ScopedEnv env{{"SDL_AUDIODRIVER", "disk"}, {"SDL_DISKAUDIOFILE", file.c_str()}};
    RealSound real;
    TSound beep = LoadSound("fixtures/beep50ms.wav");
    ASSERT_TRUE(real.backend->audioOpen());
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
    TChannel ch = PlaySound(beep);
    EXPECT_TRUE(WaitFor([&] { return !ChannelPlaying(ch); }, 3000));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
  }
  std::ifstream in(file, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(file.c_str());
  // 16-bit stereo at 44100 Hz: find the first and last sounding frames.
  const size_t frames = bytes.size() / 4;
  ASSERT_GT(frames, 44100u / 5);
  long first = -1, last = -1;
  for (size_t i = 0; i < frames; ++i) {
    int16_t l, r;
    std::memcpy(&l, &bytes[i * 4], 2);
    std::memcpy(&r, &bytes[i * 4 + 2], 2);
    if (std::abs(l) > 64 || std::abs(r) > 64) {
      if (first < 0) first = static_cast<long>(i);
      last = static_cast<long>(i);
    }
  }
  ASSERT_GE(first, 0) << "no sound recorded";
  EXPECT_GE(first, 44100 / 10) << "sound before it was played";
  const double ms = static_cast<double>(last - first + 1) * 1000.0 / 44100.0;
  EXPECT_GT(ms, 40.0);
  EXPECT_LT(ms, 60.0);
}

}  // namespace
