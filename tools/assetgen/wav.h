// 16-bit PCM RIFF WAV writing and the few synthesis helpers the sounds use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace ag {

struct Sound {
  int channels = 1;
  int rate = 44100;
  // Interleaved float samples, nominally within -1 ... 1.
  std::vector<float> samples;
  Sound(int ch, int r, double seconds);
  // Sample frames, rounded from the length to the nearest frame.
  size_t frames() const { return samples.size() / static_cast<size_t>(channels); }
  float& at(size_t frame, int channel) { return samples[frame * static_cast<size_t>(channels) + static_cast<size_t>(channel)]; }
};

// Scales the sound so that its loudest sample reaches `peak`, then fades the
// first and last `fadeMs` milliseconds so that it starts and ends in silence.
void Finish(Sound& s, float peak, float fadeMs);

bool WriteWav(const std::string& path, const Sound& s);

// Small deterministic generator (SplitMix64), one per sound.
class Rng {
 public:
  explicit Rng(uint64_t seed) : state_(seed) {}
  uint64_t next();
  // Uniform in [0, 1).
  float uniform() { return static_cast<float>(next() >> 40) / 16777216.0f; }
  float range(float lo, float hi) { return lo + (hi - lo) * uniform(); }

 private:
  uint64_t state_;
};

}  // namespace ag
