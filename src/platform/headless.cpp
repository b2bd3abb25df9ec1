#include "platform/headless.h"

#include <algorithm>

#include "platform/soft_raster.h"
#include "platform/sound.h"

namespace nr {
namespace {

// A game waiting on the clock calls MilliSecs over and over with nothing
// else in between; after this many calls at one time, virtual time moves
// on by a millisecond, so such a wait ends as it would in real time.
constexpr int kSpinCallsPerMs = 1000;

}  // namespace

HeadlessBackend::HeadlessBackend(std::vector<InputEvent> events, int joysticks)
    : events_(std::move(events)), joysticks_(std::clamp(joysticks, 0, 8)) {
  std::stable_sort(events_.begin(), events_.end(),
                   [](const InputEvent& a, const InputEvent& b) { return a.frame < b.frame; });
}

void HeadlessBackend::deliver(long frame, InputSink& input) {
  while (nextEvent_ < events_.size() && events_[nextEvent_].frame <= frame) {
    const InputEvent& e = events_[nextEvent_++];
    const bool attached = e.port >= 0 && e.port < joysticks_;
    switch (e.kind) {
      case InputEvent::kPress:
      case InputEvent::kRelease:
        input.key(e.key, e.kind == InputEvent::kPress);
        break;
      case InputEvent::kAxis:
        if (!attached || e.index < 0 || e.index > 1) break;
        axes_[e.port][e.index] = e.value;
        if (joysticksOpen_) input.joyAxis(e.port, e.index, e.value);
        break;
      case InputEvent::kButton:
      case InputEvent::kUnbutton:
        if (attached && joysticksOpen_) input.joyButton(e.port, e.index, e.kind == InputEvent::kButton);
        break;
    }
  }
}

int HeadlessBackend::openJoysticks(InputSink& input) {
  joysticksOpen_ = true;
  // Like a real device, an opened stick reads where it stands now.
  for (int p = 0; p < joysticks_; ++p) {
    input.joyAttached(p, true);
    for (int a = 0; a < 2; ++a) input.joyAxis(p, a, axes_[p][a]);
  }
  return joysticks_;
}

void HeadlessBackend::present(const std::vector<DrawCmd>& frame, InputSink& input) {
  auto clear = std::find_if(frame.rbegin(), frame.rend(), [](const DrawCmd& c) { return !c.image; });
  if (clear != frame.rend()) picture_.assign(clear.base() - 1, frame.end());
  else picture_.insert(picture_.end(), frame.begin(), frame.end());
  now_ = schedule_.nextAfter(now_);
  spin_ = 0;
  deliver(++presented_, input);
}

int HeadlessBackend::millis() {
  if (++spin_ > kSpinCallsPerMs) {
    spin_ = 0;
    ++now_;
  }
  return static_cast<int>(now_);
}

int HeadlessBackend::play(const Sound& sound, int voice) {
  if (voice < 0) {
    voice = nextFresh_++;
    // Forget fresh voices that have ended, so the log stays small.
    if (voices_.size() > 64)
      std::erase_if(voices_, [&](const auto& kv) { return kv.first >= 1000 && !playing(kv.first); });
  }
  voices_[voice] = Voice{now_, sound.frames, std::max(1, sound.rate), true};
  return voice;
}

int HeadlessBackend::reserveVoice() { return reserved_++; }

void HeadlessBackend::stop(int voice) {
  auto it = voices_.find(voice);
  if (it != voices_.end()) it->second.active = false;
}

bool HeadlessBackend::playing(int voice) {
  auto it = voices_.find(voice);
  if (it == voices_.end() || !it->second.active) return false;
  const Voice& v = it->second;
  return (now_ - v.start) * v.rate < v.frames * 1000;
}

std::vector<uint8_t> HeadlessBackend::rasterize() const {
  std::vector<uint8_t> rgba(static_cast<size_t>(kWidth) * kHeight * 4, 0);
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
  Rasterize(picture_, rgba.data(), kWidth, kHeight);
  return rgba;
}

}  // namespace nr
