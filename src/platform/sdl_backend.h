// The real backend: SDL2 for the window, input and clock, OpenGL for the
// picture (gl_renderer.h), SDL2_mixer for sound.
//
// No SDL type appears in this header: the game's main includes it. The
// small pure parts (key translation, letterbox, the vertical sync decision,
// pad ports, pacing figures) are declared here so they can be tested alone.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace nr {

struct SdlOptions {
  bool windowed = false;  // a resizable window instead of desktop full screen
  bool stats = false;     // print frame pacing figures on exit
  bool hidden = false;    // no visible window (rendering for tests and replays)
};

class SdlBackend final : public Backend {
 public:
  explicit SdlBackend(SdlOptions options = {});
  ~SdlBackend() override;
  SdlBackend(const SdlBackend&) = delete;
  SdlBackend& operator=(const SdlBackend&) = delete;

  // Connects to the X11 or Wayland display. False with the reason (one
  // line, naming DISPLAY / WAYLAND_DISPLAY) when there is none. openDisplay
  // calls it too; the game's main calls it first to fail before loading.
  bool initVideo(std::string& error);

  int openJoysticks(InputSink& input) override;
  void openDisplay(int width, int height, bool fullscreen) override;
  void closeDisplay() override;
  void hideMouse() override;
  void present(const std::vector<DrawCmd>& frame, InputSink& input) override;
  int millis() override;

  void prepareSound(Sound& sound) override;
  int play(const Sound& sound, int voice) override;
  int reserveVoice() override;
  void stop(int voice) override;
  bool playing(int voice) override;

  // The presented 640 x 480 picture, RGBA rows top to bottom.
  std::vector<uint8_t> readPixels();
  bool vsyncInUse() const;
  bool audioOpen();  // opens the device on first use
  // Draw calls of the last presented frame.
  int lastDrawCalls() const;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// ---- Pure parts ------------------------------------------------------------

// The game's key code for an SDL keycode, or -1 for a key the game has no
// code for. Letters read as their capitals whatever the case.
int TranslateKey(int32_t sdlKeycode);

// Where the picture goes in a drawable: scaled to fit, aspect kept, centred.
struct Letterbox {
  int x = 0, y = 0, width = 0, height = 0;
};
Letterbox FitPicture(int drawableWidth, int drawableHeight, int pictureWidth, int pictureHeight);

// Vertical sync is tried only on a display known to run at 60 Hz, and kept
// only when the first swaps show it: a driver may accept a swap interval
// and then not wait (Xvfb does exactly that), or wait at another rate.
bool RefreshAllowsVsync(int refreshHz);

class VsyncProbe {
 public:
  enum Verdict { kUndecided, kWorks, kFails };
  static constexpr int kWarmup = 10;   // first swaps: the window is still settling
  static constexpr int kSamples = 60;  // then one second of swaps decides

  // One swap-to-swap interval in microseconds.
  Verdict add(int64_t intervalUs);
  Verdict verdict() const { return verdict_; }

 private:
  std::vector<int64_t> samples_;
  int seen_ = 0;
  Verdict verdict_ = kUndecided;
};

// Joystick ports: which device sits on which port, and what it reports.
// Fed with device-neutral events by the SDL event pump; delivers axes,
// buttons and attachment into the front end's input.
class PadPorts {
 public:
  static constexpr int kPorts = 8;

  // A device joins: the lowest free port, -1 when all are taken or it is
  // already on one.
  int attach(int32_t device, bool controller, InputSink& input);
  // A device leaves; its port is free again. Its port, or -1.
  int detach(int32_t device, InputSink& input);
  int portOf(int32_t device) const;
  bool isController(int32_t device) const;

  // Stick axis 0 (x) or 1 (y), raw -32768 ... 32767.
  void stick(int32_t device, int axis, int raw, InputSink& input);
  void button(int32_t device, int button, bool down, InputSink& input);
  // D-pad or hat: each direction held reads as full deflection over the
  // stick; released, the axis reads the stick again.
  void dpad(int32_t device, bool left, bool right, bool up, bool down, InputSink& input);

  int attached() const;

 private:
  struct Port {
    int32_t device = -1;
    bool controller = false;
    std::array<int, 2> stick{};
    std::array<int, 2> pad{};  // -1, 0, +1
  };
  Port* find(int32_t device);
  const Port* find(int32_t device) const;
  void deliverAxes(int port, InputSink& input);
  std::array<Port, kPorts> ports_{};
};

// Frame pacing figures for --stats.
struct PacingReport {
  long frames = 0;
  double meanRate = 0;  // frames per second over the run
  double intervalP50 = 0, intervalP99 = 0, intervalP999 = 0;  // ms
  double wakeP50 = 0, wakeP99 = 0, wakeP999 = 0;              // ms late
  double pacingCpu = 0;  // share of one core spent waiting, 0 ... 1
  bool vsync = false;
};
// The p-quantile (0 ... 1) of `values` by nearest rank; 0 when empty.
double Percentile(std::vector<double> values, double p);
std::string FormatPacing(const PacingReport& report);

}  // namespace nr
