// The platform's own costs, each beside a baseline measured in the same run:
//
//   Decode/startup        the game's start-up loads: every picture (decoded on
//                         worker threads at the first load) and every sound
//   Decode/catalogue      every embedded picture decoded on this thread
//   Decode/inflateOnly    only inflating the same PNG data with zlib
//   Raster/heaviest       the software rasterizer on the heaviest frame of a
//                         replay that runs the intro, the menus, a match's
//                         ready overlay and its play (waves and trail)
//   Raster/memcpy8        copying eight full-screen RGBA layers
//   Flip/cycle            one Cls + frame of draws + Flip on the headless backend
#include <benchmark/benchmark.h>

#include <zlib.h>

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

#include "platform/codec.h"
#include "platform/draw_geometry.h"
#include "platform/embed.h"
#include "platform/headless.h"
#include "platform/platform.h"
#include "platform/replay.h"
#include "platform/runtime.h"
#include "platform/soft_raster.h"
#include "shell/catalogo.h"
#include "shell/neonrally.h"
#include "shell/sonido.h"

namespace {

std::vector<const nr::EmbeddedFile*> Pictures() {
  std::vector<const nr::EmbeddedFile*> out;
  for (const nr::EmbeddedFile* f : nr::AllEmbedded())
    if (f->name.ends_with(".png") && !f->name.starts_with("fixtures/")) out.push_back(f);
  return out;
}

uint32_t Be32(const unsigned char* p) {
  return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
}

// The concatenated IDAT data of a PNG, and the size of its filtered rows.
struct Compressed {
  std::vector<unsigned char> data;
  size_t raw = 0;
};

Compressed Idat(const nr::EmbeddedFile& f) {
  Compressed c;
  size_t i = 8;
  while (i + 8 <= f.size) {
    const uint32_t len = Be32(f.data + i);
    const std::string_view kind(reinterpret_cast<const char*>(f.data + i + 4), 4);
    if (kind == "IHDR") {
      const uint32_t w = Be32(f.data + i + 8), h = Be32(f.data + i + 12);
      const int channels = f.data[i + 17] == 6 ? 4 : 3;
      c.raw = (size_t{w} * channels + 1) * h;
    } else if (kind == "IDAT") {
      c.data.insert(c.data.end(), f.data + i + 8, f.data + i + 8 + len);
    }
    i += 12 + len;
  }
  return c;
}

void DecodeStartup(benchmark::State& state) {
  nr::InstallBackend(std::make_unique<nr::HeadlessBackend>());
  for (auto _ : state) {
    nr::ForgetDecodedPictures();
    CargarImagenes();
    CargarSonidos();
    benchmark::DoNotOptimize(titulo.get());
  }
  nr::UninstallBackend();
}
BENCHMARK(DecodeStartup)->Name("Decode/startup")->Unit(benchmark::kMillisecond)->UseRealTime();

void DecodeCatalogue(benchmark::State& state) {
  const auto files = Pictures();
  size_t bytes = 0;
  for (auto _ : state) {
    for (const nr::EmbeddedFile* f : files) {
      auto px = nr::DecodePng(f->data, f->size, true);
      bytes += px->rgba.size();
      benchmark::DoNotOptimize(px->rgba.data());
    }
  }
  state.counters["pictures"] = static_cast<double>(files.size());
  state.SetBytesProcessed(static_cast<int64_t>(bytes));
}
BENCHMARK(DecodeCatalogue)->Name("Decode/catalogue")->Unit(benchmark::kMillisecond);

void InflateOnly(benchmark::State& state) {
  std::vector<Compressed> all;
  for (const nr::EmbeddedFile* f : Pictures()) all.push_back(Idat(*f));
  std::vector<unsigned char> out;
  for (auto _ : state) {
    for (const Compressed& c : all) {
      out.resize(c.raw);
      uLongf n = static_cast<uLongf>(c.raw);
      uncompress(out.data(), &n, c.data.data(), static_cast<uLong>(c.data.size()));
      benchmark::DoNotOptimize(out.data());
    }
  }
}
BENCHMARK(InflateOnly)->Name("Decode/inflateOnly")->Unit(benchmark::kMillisecond);

// Keeps the frame whose draws cover the most screen area.
class Heaviest final : public nr::FrameObserver {
 public:
  void beforePresent(long, const std::vector<nr::DrawCmd>& commands) override {
    double area = 0;
    for (const nr::DrawCmd& c : commands) {
      if (!c.image) continue;
      const nr::DrawQuad q = nr::ResolveQuad(c);
      if (!q.empty()) area += (q.x1 - q.x0) * (q.y1 - q.y0);
    }
    if (area > best) {
      best = area;
      frame = commands;
    }
  }
  void afterPresent(long) override {}
  double best = 0;
  std::vector<nr::DrawCmd> frame;
};

void RasterHeaviest(benchmark::State& state) {
  // Skip the intro, one player to 7, then follow the ball for a while.
  nr::ReplayOptions o;
  std::string error;
  nr::ParseInputScript("30 tap SPACE\n120 tap SPACE\n140 tap SPACE\n", o.events, error);
  o.frames = 900;
  Heaviest h;
  RegistrarEstadoTraza();
  // The images must outlive the replay: keep the program's catalogue.
  nr::RunReplay(o, NeonRallyMain, &h);
  std::vector<uint8_t> rgba(640 * 480 * 4);
  for (auto _ : state) {
    nr::Rasterize(h.frame, rgba.data(), 640, 480);
    benchmark::DoNotOptimize(rgba.data());
  }
  state.counters["draws"] = static_cast<double>(h.frame.size());
  state.counters["screens"] = h.best / (640.0 * 480.0);
}
BENCHMARK(RasterHeaviest)->Name("Raster/heaviest")->Unit(benchmark::kMillisecond);

void Memcpy8(benchmark::State& state) {
  std::vector<uint8_t> src(640 * 480 * 4, 7), dst(640 * 480 * 4);
  for (auto _ : state) {
    for (int i = 0; i < 8; ++i) {
      std::memcpy(dst.data(), src.data(), src.size());
      benchmark::ClobberMemory();
    }
  }
}
BENCHMARK(Memcpy8)->Name("Raster/memcpy8")->Unit(benchmark::kMillisecond);

void FlipCycle(benchmark::State& state) {
  nr::InstallBackend(std::make_unique<nr::HeadlessBackend>());
  TImage star = LoadImage("gfx/star1.png");
  for (auto _ : state) {
    Cls();
    SetScale(0.4f, 0.4f);
    SetBlend(LIGHTBLEND);
    for (int i = 0; i < 202; ++i) DrawImage(star, static_cast<float>(i * 3), static_cast<float>(i * 2));
    SetScale(1, 1);
    Flip(-1);
  }
  nr::UninstallBackend();
}
BENCHMARK(FlipCycle)->Name("Flip/cycle")->Unit(benchmark::kMicrosecond);

}  // namespace
