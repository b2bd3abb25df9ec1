// The headless backend: a virtual clock, scripted input, a sound log that
// follows each sound's length on that clock, and the software rasterizer
// for pictures on demand. Fully deterministic.
#pragma once

#include <cstdint>
#include <map>
#include <vector>

#include "platform/backend.h"
#include "platform/schedule.h"

namespace nr {

struct InputEvent {
  enum Kind { kPress, kRelease, kAxis, kButton, kUnbutton };
  long frame = 0;
  Kind kind = kPress;
  int key = 0;  // key code (press, release)
  int port = 0, index = 0, value = 0;  // axis: index = axis, value = raw; buttons: index
};

class HeadlessBackend final : public Backend {
 public:
  static constexpr int kStartMs = 100000;
  static constexpr int kWidth = 640;
  static constexpr int kHeight = 480;

  explicit HeadlessBackend(std::vector<InputEvent> events = {}, int joysticks = 0);

  // Delivers the scripted events of `frame` (the harness does frame 0
  // before the program starts; present() does every later one).
  void deliver(long frame, InputSink& input);

  int openJoysticks(InputSink& input) override;
  void openDisplay(int, int, bool) override { open_ = true; }
  void closeDisplay() override { open_ = false; }
  void hideMouse() override {}
  void present(const std::vector<DrawCmd>& frame, InputSink& input) override;
  int millis() override;

  void prepareSound(Sound&) override {}
  int play(const Sound& sound, int voice) override;
  int reserveVoice() override;
  void stop(int voice) override;
  bool playing(int voice) override;

  bool displayOpen() const { return open_; }
  // The commands since the last clear, as of the last presentation.
  const std::vector<DrawCmd>& picture() const { return picture_; }
  // Rasterizes picture() into 640 x 480 RGBA.
  std::vector<uint8_t> rasterize() const;

 private:
  struct Voice {
    int64_t start = 0;
    int64_t frames = 0;
    int rate = 1;
    bool active = false;
  };

  std::vector<InputEvent> events_;  // sorted by frame
  size_t nextEvent_ = 0;
  int joysticks_;
  bool joysticksOpen_ = false;
  int axes_[8][2] = {};
  bool open_ = false;
  int64_t now_ = kStartMs;
  int spin_ = 0;
  FrameSchedule schedule_{kStartMs, 1000};
  long presented_ = 0;
  std::vector<DrawCmd> picture_;
  std::map<int, Voice> voices_;
  int reserved_ = 0;
  int nextFresh_ = 1000;
};

}  // namespace nr
