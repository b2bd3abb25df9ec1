// The game's sounds, synthesised: short tones with decaying envelopes, a
// little FM for the ball's ringing tones, echoes for space, and noise for
// the neon's crackle. Lengths, channels and rates are the ones the game's
// timing expects.
#include <algorithm>
#include <cmath>
#include <numbers>
#include <vector>

#include "art.h"

namespace ag {

namespace {

constexpr double kTau = 2.0 * std::numbers::pi;

double Attack(double t, double ms) { return std::min(1.0, t / (ms * 0.001)); }

// Odd harmonics with falling weights: a soft square.
double SoftSquare(double phase, int harmonics) {
  double v = 0;
  for (int h = 1; h <= harmonics; h += 2) v += std::sin(phase * h) / h;
  return v;
}

// Feedback echo: every `delay` seconds a copy `gain` times quieter.
void Echo(Sound& s, int channel, double delay, float gain) {
  const auto d = static_cast<size_t>(delay * s.rate);
  for (size_t i = d; i < s.frames(); ++i) s.at(i, channel) += gain * s.at(i - d, channel);
}

Sound Menu() {
  Sound s(1, 44100, 0.399);
  double phase = 0;
  for (size_t i = 0; i < s.frames(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double f = 900.0 - 220.0 * std::exp(-t / 0.012);
    phase += kTau * f / s.rate;
    const double env = Attack(t, 3) * std::exp(-t / 0.045);
    s.at(i, 0) = static_cast<float>(env * (std::sin(phase) + 0.18 * std::sin(2 * phase)));
  }
  Echo(s, 0, 0.085, 0.28f);
  Finish(s, 0.5f, 4);
  return s;
}

Sound Enter() {
  Sound s(1, 48000, 0.264);
  const double notes[] = {987.77, 1318.51};
  const double starts[] = {0.0, 0.055};
  for (int n = 0; n < 2; ++n) {
    double phase = 0;
    for (size_t i = 0; i < s.frames(); ++i) {
      const double t = static_cast<double>(i) / s.rate - starts[n];
      if (t < 0) continue;
      phase += kTau * notes[n] / s.rate;
      const double env = Attack(t, 2) * std::exp(-t / (n == 0 ? 0.035 : 0.07));
      s.at(i, 0) += static_cast<float>(env * (0.6 * SoftSquare(phase, 7) + 0.5 * std::sin(phase)));
    }
  }
  Echo(s, 0, 0.06, 0.2f);
  Finish(s, 0.7f, 4);
  return s;
}

// A struck-bell tone: FM with a decaying index and an inharmonic partial,
// ringing for about two seconds.
Sound Bell(double freq, double ratio, double partial, double decay) {
  Sound s(1, 44100, 2.155);
  for (size_t i = 0; i < s.frames(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double index = 2.4 * std::exp(-t / 0.06);
    const double mod = index * std::sin(kTau * freq * ratio * t);
    const double body = std::sin(kTau * freq * t + mod);
    const double ring = 0.25 * std::sin(kTau * freq * partial * t) * std::exp(-t / (decay * 0.4));
    const double env = Attack(t, 1.5) * std::exp(-t / decay);
    s.at(i, 0) = static_cast<float>(env * (body + ring));
  }
  Finish(s, 0.8f, 20);
  return s;
}

Sound Rebote() {
  Sound s(1, 44100, 2.19);
  Rng rng(0x7265626f7465ull);
  double phase = 0, noise = 0;
  for (size_t i = 0; i < s.frames(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    const double f = 290.0 + 260.0 * std::exp(-t / 0.025);
    phase += kTau * f / s.rate;
    noise += 0.35 * (rng.range(-1, 1) - noise);  // low-passed noise for the knock
    const double thump = Attack(t, 1) * std::exp(-t / 0.09) * (std::sin(phase) + 0.3 * std::sin(3 * phase));
    const double knock = std::exp(-t / 0.012) * noise * 0.9;
    // The rail rings on: two close metallic partials beating slowly.
    const double rail = 0.22 * Attack(t, 3) * std::exp(-t / 0.55) *
                        (std::sin(kTau * 1245.0 * t) + 0.7 * std::sin(kTau * 1251.5 * t));
    s.at(i, 0) = static_cast<float>(thump + knock + rail);
  }
  Echo(s, 0, 0.11, 0.3f);
  Finish(s, 0.75f, 20);
  return s;
}

Sound Gol() {
  Sound s(1, 44100, 1.211);
  const double notes[] = {1046.50, 1318.51, 1567.98, 2093.00};
  for (int n = 0; n < 4; ++n) {
    const double start = 0.09 * n;
    const double decay = n == 3 ? 0.32 : 0.12;
    double phase = 0;
    for (size_t i = 0; i < s.frames(); ++i) {
      const double t = static_cast<double>(i) / s.rate - start;
      if (t < 0) continue;
      const double vibrato = n == 3 ? 1.0 + 0.006 * std::sin(kTau * 6.0 * t) * std::min(1.0, t / 0.15) : 1.0;
      phase += kTau * notes[n] * vibrato / s.rate;
      const double env = Attack(t, 3) * std::exp(-t / decay);
      s.at(i, 0) += static_cast<float>(env * (0.5 * SoftSquare(phase, 9) + 0.5 * std::sin(phase)));
    }
  }
  Echo(s, 0, 0.14, 0.3f);
  Finish(s, 0.8f, 15);
  return s;
}

// The ready/start beep: one bright beep that echoes from side to side.
Sound Beep() {
  Sound s(2, 48000, 1.719);
  double phase = 0;
  const auto delay = static_cast<size_t>(0.16 * s.rate);
  for (size_t i = 0; i < s.frames(); ++i) {
    const double t = static_cast<double>(i) / s.rate;
    phase += kTau * 880.0 / s.rate;
    const double env = t < 0.2 ? Attack(t, 4) * std::min(1.0, (0.2 - t) / 0.02) : 0.0;
    const float v = static_cast<float>(env * (0.55 * SoftSquare(phase, 9) + 0.45 * std::sin(2 * phase)));
    s.at(i, 0) = v;
    s.at(i, 1) = v;
  }
  // Ping-pong: the echoes alternate left, right, left..., each quieter.
  const std::vector<float> dry(s.samples);
  float gain = 0.55f;
  for (size_t echo = 1; echo <= 8; ++echo, gain *= 0.6f) {
    const int side = echo % 2 == 1 ? 0 : 1;
    for (size_t i = echo * delay; i < s.frames(); ++i) s.at(i, side) += gain * dry[(i - echo * delay) * 2];
  }
  Finish(s, 0.75f, 20);
  return s;
}

// The neon sign: a 120 Hz buzz rich in harmonics, a faint high whine, the
// flicker's level jumps and crackles of noise scattered across both sides.
Sound Neon() {
  Sound s(2, 44100, 6.183);
  Rng rng(0x6e656f6eull);
  const size_t n = s.frames();
  std::vector<float> level(n, 1.0f);
  for (size_t i = 0; i < n;) {
    const auto len = static_cast<size_t>(rng.range(0.03f, 0.06f) * static_cast<float>(s.rate));
    const float v = rng.uniform() < 0.25f ? 1.0f : 0.62f;
    for (size_t k = 0; k < len && i < n; ++k, ++i) level[i] = v;
  }
  // Smooth the jumps a little so they buzz rather than click.
  float smooth = level[0];
  for (size_t i = 0; i < n; ++i) {
    smooth += 0.02f * (level[i] - smooth);
    level[i] = smooth;
  }
  for (int ch = 0; ch < 2; ++ch) {
    const double skew = ch == 0 ? 0.0 : 0.7;
    for (size_t i = 0; i < n; ++i) {
      const double t = static_cast<double>(i) / s.rate;
      double hum = 0;
      for (int h = 1; h <= 12; ++h) {
        const double w = (h % 2 == 0 ? 1.0 : 0.45) / std::pow(h, 0.9);
        hum += w * std::sin(kTau * 60.0 * h * t + skew * h);
      }
      const double whine = 0.05 * std::sin(kTau * 7680.0 * t + skew);
      s.at(i, ch) = static_cast<float>(0.5 * hum * level[i] + whine);
    }
  }
  // Crackles: short bursts of bright noise, each mostly on one side.
  for (int c = 0; c < 70; ++c) {
    const auto at = static_cast<size_t>(rng.range(0.05f, 6.1f) * static_cast<float>(s.rate));
    const float pan = rng.uniform();
    const float loud = rng.range(0.5f, 1.4f);
    const double len = rng.range(0.004f, 0.02f);
    float prev = 0;
    for (size_t k = 0; k < static_cast<size_t>(len * 3 * s.rate) && at + k < n; ++k) {
      const double t = static_cast<double>(k) / s.rate;
      const float white = rng.range(-1, 1);
      const float hp = white - prev;  // high-passed: a dry crackle
      prev = white;
      const auto v = static_cast<float>(loud * std::exp(-t / len) * Attack(t, 0.3)) * hp;
      s.at(at + k, 0) += v * (1.0f - pan);
      s.at(at + k, 1) += v * pan;
    }
  }
  Finish(s, 0.7f, 40);
  return s;
}

}  // namespace

void AddSounds(std::vector<Audio>& out) {
  out.push_back({"sfx/menu.wav", Menu});
  out.push_back({"sfx/enter.wav", Enter});
  out.push_back({"sfx2/ping.wav", [] { return Bell(1174.66, 1.4, 2.76, 0.42); }});
  out.push_back({"sfx2/pong.wav", [] { return Bell(783.99, 1.0, 2.41, 0.5); }});
  out.push_back({"sfx2/rebote.wav", Rebote});
  out.push_back({"sfx2/gol.wav", Gol});
  out.push_back({"sfx2/bonus3.wav", Beep});
  out.push_back({"sfx2/neon.wav", Neon});
}

}  // namespace ag
