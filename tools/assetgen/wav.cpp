#include "wav.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace ag {

Sound::Sound(int ch, int r, double seconds) : channels(ch), rate(r) {
  const auto frames = static_cast<size_t>(std::llround(seconds * r));
  samples.assign(frames * static_cast<size_t>(ch), 0.0f);
}

void Finish(Sound& s, float peak, float fadeMs) {
  float loud = 0;
  for (float v : s.samples) loud = std::max(loud, std::fabs(v));
  if (loud > 0)
    for (float& v : s.samples) v *= peak / loud;
  const size_t n = s.frames();
  const auto fade = std::min(n / 2, static_cast<size_t>(fadeMs * 0.001f * static_cast<float>(s.rate)));
  for (size_t i = 0; i < fade; ++i) {
    // Raised cosine from exactly 0 at the first and last frame.
    const float g = 0.5f - 0.5f * std::cos(3.14159265f * static_cast<float>(i) / static_cast<float>(fade));
    for (int c = 0; c < s.channels; ++c) {
      s.at(i, c) *= g;
      s.at(n - 1 - i, c) *= g;
    }
  }
}

namespace {

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(static_cast<uint8_t>(v & 0xFF));
  b.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}

void PutTag(std::vector<uint8_t>& b, const char* t) { b.insert(b.end(), t, t + 4); }

}  // namespace

bool WriteWav(const std::string& path, const Sound& s) {
  const auto ch = static_cast<uint32_t>(s.channels);
  const auto rate = static_cast<uint32_t>(s.rate);
  const auto dataBytes = static_cast<uint32_t>(s.samples.size() * 2);
  std::vector<uint8_t> b;
  b.reserve(44 + dataBytes);
  PutTag(b, "RIFF");
  Put32(b, 36 + dataBytes);
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);  // PCM
  Put16(b, ch);
  Put32(b, rate);
  Put32(b, rate * ch * 2);
  Put16(b, ch * 2);
  Put16(b, 16);
  PutTag(b, "data");
  Put32(b, dataBytes);
  for (float v : s.samples) {
    const long q = std::lround(std::clamp(v, -1.0f, 1.0f) * 32767.0f);
    Put16(b, static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(q))));
  }
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(b.data(), 1, b.size(), fp) == b.size();
  return std::fclose(fp) == 0 && ok;
}

uint64_t Rng::next() {
  uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
  return z ^ (z >> 31);
}

}  // namespace ag
