#include "platform/sdl_backend.h"

#include <SDL.h>
#include <sys/prctl.h>

#include <algorithm>
#include <chrono>
#include <cinttypes>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <map>
#include <thread>

#include "platform/gl_renderer.h"
#include "platform/gl_window.h"
#include "platform/schedule.h"
#include "platform/sdl_audio.h"

namespace nr {
namespace {

constexpr int64_t kFrameUs = 16667;

// Set by SIGINT / SIGTERM; acted on by the main thread at its next clock
// read or presentation, where the program can be ended cleanly.
volatile std::sig_atomic_t gSignal = 0;

extern "C" void OnSignal(int sig) { gSignal = sig; }

int64_t ThreadCpuNs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return int64_t{t.tv_sec} * 1000000000 + t.tv_nsec;
}

}  // namespace

// ---- Pure parts --------------------------------------------------------------

Letterbox FitPicture(int drawableWidth, int drawableHeight, int pictureWidth, int pictureHeight) {
  Letterbox box;
  if (drawableWidth <= 0 || drawableHeight <= 0 || pictureWidth <= 0 || pictureHeight <= 0)
    return box;
  // Compare the two scales exactly, in integers.
  if (int64_t{drawableWidth} * pictureHeight <= int64_t{drawableHeight} * pictureWidth) {
    box.width = drawableWidth;
    box.height = static_cast<int>((int64_t{drawableWidth} * pictureHeight + pictureWidth / 2) /
                                  pictureWidth);
  } else {
    box.height = drawableHeight;
    box.width = static_cast<int>((int64_t{drawableHeight} * pictureWidth + pictureHeight / 2) /
                                 pictureHeight);
  }
  box.x = (drawableWidth - box.width) / 2;
  box.y = (drawableHeight - box.height) / 2;
  return box;
}

// SDL reports whole hertz; a 59.94 Hz display may read 59 or 60.
bool RefreshAllowsVsync(int refreshHz) { return refreshHz >= 59 && refreshHz <= 61; }

VsyncProbe::Verdict VsyncProbe::add(int64_t intervalUs) {
  if (verdict_ != kUndecided) return verdict_;
  if (++seen_ <= kWarmup) return verdict_;
  samples_.push_back(intervalUs);
  if (static_cast<int>(samples_.size()) < kSamples) return verdict_;
  // Sync works when swaps come a frame apart: the median near 16.7 ms and
  // nearly every swap within a millisecond and a half of it. A late frame
  // of the game's own doing may take two periods; those are not counted
  // against the driver, but too many of them are.
  std::vector<int64_t> sorted = samples_;
  std::sort(sorted.begin(), sorted.end());
  const int64_t median = sorted[sorted.size() / 2];
  int onTime = 0, doubled = 0;
  for (int64_t s : samples_) {
    if (std::llabs(s - kFrameUs) <= 1500) ++onTime;
    else if (std::llabs(s - 2 * kFrameUs) <= 1500) ++doubled;
  }
  const bool works = std::llabs(median - kFrameUs) <= 1000 &&
                     onTime >= kSamples * 9 / 10 && onTime + doubled >= kSamples * 97 / 100;
  verdict_ = works ? kWorks : kFails;
  return verdict_;
}

double Percentile(std::vector<double> values, double p) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const double rank = std::ceil(std::clamp(p, 0.0, 1.0) * static_cast<double>(values.size()));
  const size_t index = rank < 1 ? 0 : static_cast<size_t>(rank) - 1;
  return values[std::min(index, values.size() - 1)];
}

std::string FormatPacing(const PacingReport& r) {
  char text[512];
  std::snprintf(text, sizeof text,
                "neonrally: %ld frames, %.3f frames/s, pacing by %s\n"
                "neonrally: frame interval ms  p50 %.3f  p99 %.3f  p99.9 %.3f\n"
                "neonrally: wake-up error ms   p50 %.3f  p99 %.3f  p99.9 %.3f\n"
                "neonrally: pacing cost %.2f%% of a core\n",
                r.frames, r.meanRate, r.vsync ? "vertical sync" : "the 60 Hz schedule",
                r.intervalP50, r.intervalP99, r.intervalP999, r.wakeP50, r.wakeP99, r.wakeP999,
                r.pacingCpu * 100.0);
  return text;
}

// ---- The backend ---------------------------------------------------------------

struct SdlBackend::Impl {
  explicit Impl(SdlOptions o)
      : options(o), start(std::chrono::steady_clock::now()), audio([this] { return nowUs() / 1000; }) {}

  int64_t nowUs() const {
    return std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() -
                                                                 start)
        .count();
  }

  void checkSignal();
  [[noreturn]] void endBySignal(int sig);
  [[noreturn]] void fatal(const char* what, const std::string& why);
  void shutdown();
  void closeWindow();
  void choosePacing();
  int64_t waitUntil(int64_t deadlineUs);
  void pump(InputSink& input);
  void openDevice(int index, InputSink& input);
  void closeDevice(SDL_JoystickID id, InputSink& input);
  void readDpad(SDL_JoystickID id, InputSink& input);
  PacingReport report() const;

  SdlOptions options;
  std::chrono::steady_clock::time_point start;
  bool videoUp = false;
  bool joysticksUp = false;
  bool finished = false;
  GlWindow gl;
  SDL_Window* window = nullptr;  // gl's, while open
  GlRenderer* renderer = nullptr;
  int width = 640, height = 480;
  MixerAudio audio;

  PadPorts pads;
  std::map<SDL_JoystickID, SDL_Joystick*> joysticks;
  std::map<SDL_JoystickID, SDL_GameController*> controllers;

  enum class Pacing { kSchedule, kProbing, kVsync };
  Pacing pacing = Pacing::kSchedule;
  VsyncProbe probe;
  FrameSchedule schedule{0, 1000000};
  bool anchored = false;
  int64_t lastWakeUs = -1;
  int64_t sleepMarginUs = 200;  // learnt from how late sleeps wake
  std::array<int64_t, 64> oversleeps{};
  size_t oversleepCount = 0;

  long frames = 0;
  int64_t firstPresentUs = -1, lastPresentUs = -1;
  int64_t waitCpuNs = 0;
  std::vector<double> intervalsMs, wakesMs;

  struct sigaction oldInt {}, oldTerm {};
};

void SdlBackend::Impl::checkSignal() {
  if (gSignal) endBySignal(gSignal);
}

// Cleans up as a normal exit would, then dies of the signal as the caller
// of the program expects (a shell sees 130 or 143), without a core.
void SdlBackend::Impl::endBySignal(int sig) {
  shutdown();
  std::signal(sig, SIG_DFL);
  std::raise(sig);
  std::_Exit(128 + sig);
}

void SdlBackend::Impl::fatal(const char* what, const std::string& why) {
  std::fprintf(stderr, "neonrally: %s: %s\n", what, why.c_str());
  shutdown();
  std::exit(1);
}

void SdlBackend::Impl::closeWindow() {
  gl.close();
  window = nullptr;
  renderer = nullptr;
}

void SdlBackend::Impl::shutdown() {
  if (finished) return;
  finished = true;
  if (options.stats && frames > 0) std::fputs(FormatPacing(report()).c_str(), stderr);
  closeWindow();
  audio.close();
  for (auto& [id, gc] : controllers) SDL_GameControllerClose(gc);
  for (auto& [id, js] : joysticks) SDL_JoystickClose(js);
  controllers.clear();
  joysticks.clear();
  SDL_Quit();
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
}

SdlBackend::SdlBackend(SdlOptions options) : impl_(std::make_unique<Impl>(options)) {
  // Our own handlers: SDL's would turn SIGINT into a quit event that only a
  // frame's pump sees, and not at all during the exit wait.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
  gSignal = 0;
  struct sigaction sa {};
  sa.sa_handler = OnSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, &impl_->oldInt);
  sigaction(SIGTERM, &sa, &impl_->oldTerm);
  // Sleeps end close to when they are asked to.
  prctl(PR_SET_TIMERSLACK, 20000UL, 0, 0, 0);
}

SdlBackend::~SdlBackend() { impl_->shutdown(); }

bool SdlBackend::initVideo(std::string& error) {
  Impl& m = *impl_;
  if (m.videoUp) return true;
  if (!StartVideo(error)) return false;
  m.videoUp = true;
  return true;
}

void SdlBackend::openDisplay(int width, int height, bool fullscreen) {
  Impl& m = *impl_;
  m.checkSignal();
  const ForeignAllocations foreign;
  std::string error;
  if (!initVideo(error)) m.fatal("no display", error);
  if (m.window) m.closeWindow();
  m.width = width;
  m.height = height;

  Uint32 flags = 0;
  int x = SDL_WINDOWPOS_CENTERED, y = SDL_WINDOWPOS_CENTERED, w = width, h = height;
  const bool desktopFull = fullscreen && !m.options.windowed && !m.options.hidden;
  if (m.options.hidden) {
    flags |= SDL_WINDOW_HIDDEN;
  } else if (desktopFull) {
    // The desktop's own mode, the picture scaled into it: a switched video
    // mode would outlive a crash and upset the other monitors.
    flags |= SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS;
    // Created at the monitor's size: with no window manager to honour the
    // full-screen request (a bare X server), the window still covers it.
    SDL_Rect bounds{};
    if (SDL_GetDisplayBounds(0, &bounds) == 0) {
      x = bounds.x;
      y = bounds.y;
      w = bounds.w;
      h = bounds.h;
    }
  } else {
    flags |= SDL_WINDOW_RESIZABLE;
    SDL_Rect usable{};
    if (SDL_GetDisplayUsableBounds(0, &usable) == 0) {
      const int k = std::max(1, std::min(usable.w * 9 / 10 / width, usable.h * 9 / 10 / height));
      w = width * k;
      h = height * k;
    }
  }
  std::string what;
  if (!m.gl.open("Neon Rally", GlWindow::Place{x, y, w, h, flags}, width, height, what, error))
    m.fatal(what.c_str(), error);
  m.window = m.gl.window();
  m.renderer = m.gl.renderer();
  if (desktopFull) {
    SDL_SetHint(SDL_HINT_GRAB_KEYBOARD, "1");
    SDL_SetWindowGrab(m.window, SDL_TRUE);
  }
  m.choosePacing();
  m.anchored = false;
  m.lastWakeUs = -1;
}

void SdlBackend::Impl::choosePacing() {
  pacing = Pacing::kSchedule;
  probe = VsyncProbe{};
  SDL_DisplayMode mode{};
  const int display = SDL_GetWindowDisplayIndex(window);
  const int refresh = display >= 0 && SDL_GetCurrentDisplayMode(display, &mode) == 0 ? mode.refresh_rate : 0;
  if (!options.hidden && RefreshAllowsVsync(refresh) && SDL_GL_SetSwapInterval(1) == 0) {
    pacing = Pacing::kProbing;
  } else {
    SDL_GL_SetSwapInterval(0);
  }
}

void SdlBackend::closeDisplay() {
  impl_->checkSignal();
  impl_->closeWindow();
}

void SdlBackend::hideMouse() { SDL_ShowCursor(SDL_DISABLE); }

int SdlBackend::millis() {
  impl_->checkSignal();
  return static_cast<int>(impl_->nowUs() / 1000);
}

// Sleeps to just before the deadline, then spins the rest: a sleep alone
// wakes up to a few hundred microseconds late, a spin alone costs a core.
int64_t SdlBackend::Impl::waitUntil(int64_t deadlineUs) {
  const int64_t cpu0 = ThreadCpuNs();
  int64_t now = nowUs();
  const int64_t sleepTo = deadlineUs - sleepMarginUs;
  if (now < sleepTo) {
    std::this_thread::sleep_until(start + std::chrono::microseconds(sleepTo));
    now = nowUs();
    // Aim the sleep at the deadline less the usual lateness of recent
    // sleeps: about half of the wakes then spin a few microseconds, the
    // others are late by no more than the sleeps' spread, far under a
    // millisecond. Aiming earlier would cost spinning for nothing.
    oversleeps[oversleepCount++ % oversleeps.size()] = now - sleepTo;
    const size_t n = std::min(oversleepCount, oversleeps.size());
    std::array<int64_t, 64> recent = oversleeps;
    std::nth_element(recent.begin(), recent.begin() + static_cast<long>(n / 2), recent.begin() + static_cast<long>(n));
    sleepMarginUs = std::clamp<int64_t>(recent[n / 2] + 20, 20, 2000);
  }
  while (now < deadlineUs) {
    checkSignal();
    now = nowUs();
  }
  waitCpuNs += ThreadCpuNs() - cpu0;
  return now;
}

void SdlBackend::present(const std::vector<DrawCmd>& frame, InputSink& input) {
  Impl& m = *impl_;
  m.checkSignal();
  if (m.window && m.renderer) {
    m.renderer->render(frame);
    int dw = 0, dh = 0;
    SDL_GL_GetDrawableSize(m.window, &dw, &dh);
    const Letterbox box = FitPicture(dw, dh, m.width, m.height);
    // GL counts rows from the bottom.
    m.renderer->showIn(dw, dh, box.x, dh - box.y - box.height, box.width, box.height);
  }

  int64_t wake = 0, wakeError = 0;
  if (m.pacing == Impl::Pacing::kSchedule || !m.window) {
    int64_t now = m.nowUs();
    if (!m.anchored) {
      m.schedule.reanchor(now);
      m.anchored = true;
    }
    const int64_t deadline = m.schedule.nextAfter(now);
    wake = m.waitUntil(deadline);
    wakeError = wake - deadline;
    if (m.window) SDL_GL_SwapWindow(m.window);
  } else {
    const int64_t cpu0 = ThreadCpuNs();
    SDL_GL_SwapWindow(m.window);
    m.waitCpuNs += ThreadCpuNs() - cpu0;
    wake = m.nowUs();
    if (m.pacing == Impl::Pacing::kProbing && m.lastWakeUs >= 0 &&
        m.probe.add(wake - m.lastWakeUs) == VsyncProbe::kFails) {
      // For good: the rest of the run keeps the schedule.
      SDL_GL_SetSwapInterval(0);
      m.pacing = Impl::Pacing::kSchedule;
      m.schedule.reanchor(wake);
      m.anchored = true;
    } else if (m.probe.verdict() == VsyncProbe::kWorks) {
      m.pacing = Impl::Pacing::kVsync;
    }
  }

  if (m.options.stats) {
    if (m.lastWakeUs >= 0) m.intervalsMs.push_back(static_cast<double>(wake - m.lastWakeUs) / 1000.0);
    if (m.pacing == Impl::Pacing::kSchedule) m.wakesMs.push_back(static_cast<double>(wakeError) / 1000.0);
  }
  if (m.firstPresentUs < 0) m.firstPresentUs = wake;
  m.lastPresentUs = wake;
  m.lastWakeUs = wake;
  ++m.frames;
  m.pump(input);
}

PacingReport SdlBackend::Impl::report() const {
  PacingReport r;
  r.frames = frames;
  const double span = static_cast<double>(lastPresentUs - firstPresentUs) / 1e6;
  r.meanRate = frames > 1 && span > 0 ? static_cast<double>(frames - 1) / span : 0;
  r.intervalP50 = Percentile(intervalsMs, 0.5);
  r.intervalP99 = Percentile(intervalsMs, 0.99);
  r.intervalP999 = Percentile(intervalsMs, 0.999);
  r.wakeP50 = Percentile(wakesMs, 0.5);
  r.wakeP99 = Percentile(wakesMs, 0.99);
  r.wakeP999 = Percentile(wakesMs, 0.999);
  const double wall = static_cast<double>(nowUs()) / 1e6;
  r.pacingCpu = wall > 0 ? static_cast<double>(waitCpuNs) / 1e9 / wall : 0;
  r.vsync = pacing == Pacing::kVsync;
  return r;
}

// ---- Events ----------------------------------------------------------------------

void SdlBackend::Impl::pump(InputSink& input) {
  SDL_Event e;
  while (SDL_PollEvent(&e)) {
    switch (e.type) {
      case SDL_QUIT:
        // Closing the window is the player's way out: a clean, normal exit.
        shutdown();
        std::exit(0);
      case SDL_KEYDOWN:
      case SDL_KEYUP: {
        if (e.key.repeat) break;
        const int code = TranslateKey(e.key.keysym.sym);
        if (code >= 0) input.key(code, e.type == SDL_KEYDOWN);
        break;
      }
      case SDL_JOYDEVICEADDED:
        if (joysticksUp) openDevice(e.jdevice.which, input);
        break;
      case SDL_JOYDEVICEREMOVED:
        closeDevice(e.jdevice.which, input);
        break;
      case SDL_JOYAXISMOTION:
        if (!pads.isController(e.jaxis.which)) pads.stick(e.jaxis.which, e.jaxis.axis, e.jaxis.value, input);
        break;
      case SDL_JOYBUTTONDOWN:
      case SDL_JOYBUTTONUP:
        if (!pads.isController(e.jbutton.which))
          pads.button(e.jbutton.which, e.jbutton.button, e.type == SDL_JOYBUTTONDOWN, input);
        break;
      case SDL_JOYHATMOTION:
        if (e.jhat.hat == 0 && !pads.isController(e.jhat.which)) {
          const Uint8 v = e.jhat.value;
          pads.dpad(e.jhat.which, v & SDL_HAT_LEFT, v & SDL_HAT_RIGHT, v & SDL_HAT_UP, v & SDL_HAT_DOWN,
                    input);
        }
        break;
      case SDL_CONTROLLERAXISMOTION:
        if (e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX || e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTY)
          pads.stick(e.caxis.which, e.caxis.axis == SDL_CONTROLLER_AXIS_LEFTX ? 0 : 1, e.caxis.value, input);
        break;
      case SDL_CONTROLLERBUTTONDOWN:
      case SDL_CONTROLLERBUTTONUP:
        switch (e.cbutton.button) {
          case SDL_CONTROLLER_BUTTON_DPAD_UP:
          case SDL_CONTROLLER_BUTTON_DPAD_DOWN:
          case SDL_CONTROLLER_BUTTON_DPAD_LEFT:
          case SDL_CONTROLLER_BUTTON_DPAD_RIGHT:
            readDpad(e.cbutton.which, input);
            break;
          default:
            // The mapping's numbering: south (A) 0, east (B) 1, then west, north...
            pads.button(e.cbutton.which, e.cbutton.button, e.type == SDL_CONTROLLERBUTTONDOWN, input);
        }
        break;
      default:
        break;
    }
  }
}

void SdlBackend::Impl::readDpad(SDL_JoystickID id, InputSink& input) {
  auto it = controllers.find(id);
  if (it == controllers.end()) return;
  SDL_GameController* gc = it->second;
  pads.dpad(id, SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_LEFT),
            SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_RIGHT),
            SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_UP),
            SDL_GameControllerGetButton(gc, SDL_CONTROLLER_BUTTON_DPAD_DOWN), input);
}

void SdlBackend::Impl::openDevice(int index, InputSink& input) {
  const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(index);
  if (id < 0 || pads.portOf(id) >= 0) return;  // SDL also announces the ones opened at start
  if (SDL_IsGameController(index)) {
    SDL_GameController* gc = SDL_GameControllerOpen(index);
    if (!gc) return;
    if (pads.attach(id, true, input) < 0) {
      SDL_GameControllerClose(gc);
      return;
    }
    controllers[id] = gc;
    // An opened pad reads where it stands now.
    pads.stick(id, 0, SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTX), input);
    pads.stick(id, 1, SDL_GameControllerGetAxis(gc, SDL_CONTROLLER_AXIS_LEFTY), input);
    readDpad(id, input);
    return;
  }
  SDL_Joystick* js = SDL_JoystickOpen(index);
  if (!js) return;
  if (pads.attach(id, false, input) < 0) {
    SDL_JoystickClose(js);
    return;
  }
  joysticks[id] = js;
  for (int a = 0; a < std::min(2, SDL_JoystickNumAxes(js)); ++a)
    pads.stick(id, a, SDL_JoystickGetAxis(js, a), input);
  if (SDL_JoystickNumHats(js) > 0) {
    const Uint8 v = SDL_JoystickGetHat(js, 0);
    pads.dpad(id, v & SDL_HAT_LEFT, v & SDL_HAT_RIGHT, v & SDL_HAT_UP, v & SDL_HAT_DOWN, input);
  }
}

void SdlBackend::Impl::closeDevice(SDL_JoystickID id, InputSink& input) {
  pads.detach(id, input);
  if (auto gc = controllers.find(id); gc != controllers.end()) {
    SDL_GameControllerClose(gc->second);
    controllers.erase(gc);
  }
  if (auto js = joysticks.find(id); js != joysticks.end()) {
    SDL_JoystickClose(js->second);
    joysticks.erase(js);
  }
}

int SdlBackend::openJoysticks(InputSink& input) {
  Impl& m = *impl_;
  if (!m.joysticksUp) {
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) return 0;
    m.joysticksUp = true;
    for (int i = 0; i < SDL_NumJoysticks(); ++i) m.openDevice(i, input);
  }
  return m.pads.attached();
}

// ---- Sound and the rest ------------------------------------------------------------

void SdlBackend::prepareSound(Sound& sound) { impl_->audio.prepare(sound); }
int SdlBackend::play(const Sound& sound, int voice) { return impl_->audio.play(sound, voice); }
int SdlBackend::reserveVoice() { return impl_->audio.reserve(); }
void SdlBackend::stop(int voice) { impl_->audio.stop(voice); }
bool SdlBackend::playing(int voice) { return impl_->audio.playing(voice); }
bool SdlBackend::audioOpen() { return impl_->audio.open(); }

std::vector<uint8_t> SdlBackend::readPixels() {
  std::vector<uint8_t> rgba;
  if (impl_->renderer) impl_->renderer->readPixels(rgba);
  return rgba;
}

bool SdlBackend::vsyncInUse() const { return impl_->pacing == Impl::Pacing::kVsync; }

int SdlBackend::lastDrawCalls() const { return impl_->renderer ? impl_->renderer->drawCalls() : 0; }

}  // namespace nr
