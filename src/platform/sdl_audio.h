// The real backend's sound: SDL2_mixer channels behind the backend's voice
// numbers, or, with no audio device, silent voices that still last as long
// as their sounds, so the game cannot tell the difference.
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <vector>

struct Mix_Chunk;
class Sound;

namespace nr {

class MixerAudio {
 public:
  // `nowMs` is the backend's millisecond clock (for the silent voices).
  explicit MixerAudio(std::function<int64_t()> nowMs);
  ~MixerAudio();
  MixerAudio(const MixerAudio&) = delete;
  MixerAudio& operator=(const MixerAudio&) = delete;

  void prepare(Sound& sound);
  int play(const Sound& sound, int voice);  // voice -1: a fresh one
  int reserve();
  void stop(int voice);
  bool playing(int voice);
  void close();

  // Whether a device was opened (false: silent). Opens on first use.
  bool open();

  // Voice numbers: reserved channels are 0, 1, ...; fresh voices count from
  // here, so a fresh voice's number is never reused when its mixer channel
  // goes to another sound.
  static constexpr int kFreshBase = 1 << 20;

 private:
  struct Chunk {
    const Sound* sound = nullptr;
    Mix_Chunk* chunk = nullptr;
  };
  struct Silent {
    int64_t start = 0;
    int64_t frames = 0;
    int rate = 1;
    bool active = false;
  };

  Mix_Chunk* chunkFor(const Sound& sound);
  int channelOf(int voice) const;
  void ensureChannels(int wanted);

  std::function<int64_t()> nowMs_;
  bool tried_ = false;
  bool open_ = false;
  std::vector<Chunk> chunks_;      // a Sound's backendHandle is index + 1
  std::vector<int> channelVoice_;  // the voice now on each mixer channel
  int reserved_ = 0;
  int nextFresh_ = kFreshBase;
  std::map<int, Silent> silent_;   // with no device
};

}  // namespace nr
