// The platform front end: the one implementation of every API call, over
// whichever backend is installed. Drawing state, input counters, the random
// generator and the trace live here, so both backends behave alike.
#include "platform/platform.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <string>
#include <thread>

#include "platform/codec.h"
#include "platform/embed.h"
#include "platform/headless.h"
#include "platform/image.h"
#include "platform/runtime.h"
#include "platform/sound.h"

namespace nr {
namespace {

constexpr int kMaxJoysticks = 8;
constexpr int kMaxButtons = 32;

struct KeyState {
  int hits = 0;
  bool down = false;
};

struct JoyState {
  bool attached = false;
  std::array<int, 2> raw{};
  std::array<int, kMaxButtons> hits{};
  std::array<bool, kMaxButtons> down{};
};

// splitmix64: small, fast, and good enough for a game's dice.
class Random {
 public:
  void seed(uint64_t s) { state_ = s; }
  uint64_t next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // Uniform in [0, 1) with 53 bits.
  double unit() { return static_cast<double>(next() >> 11) * 0x1.0p-53; }

 private:
  uint64_t state_ = 0;
};

constexpr uint64_t kStartSeed = 0x4E656F6E52616C6Cull;  // the same at every start

class Input final : public InputSink {
 public:
  void reset() {
    keys = {};
    joys = {};
    opened = false;
  }
  void key(int code, bool isDown) override {
    if (code < 0 || code >= static_cast<int>(keys.size())) return;
    KeyState& k = keys[static_cast<size_t>(code)];
    if (isDown && !k.down) ++k.hits;
    k.down = isDown;
  }
  void joyAttached(int port, bool attached) override {
    if (!validPort(port)) return;
    JoyState& j = joys[static_cast<size_t>(port)];
    j = JoyState{};
    j.attached = attached;
  }
  void joyAxis(int port, int axis, int raw) override {
    if (!validPort(port) || axis < 0 || axis > 1) return;
    joys[static_cast<size_t>(port)].raw[static_cast<size_t>(axis)] = std::clamp(raw, -32768, 32767);
  }
  void joyButton(int port, int button, bool isDown) override {
    if (!validPort(port) || button < 0 || button >= kMaxButtons) return;
    JoyState& j = joys[static_cast<size_t>(port)];
    if (!j.attached) return;
    if (isDown && !j.down[static_cast<size_t>(button)]) ++j.hits[static_cast<size_t>(button)];
    j.down[static_cast<size_t>(button)] = isDown;
  }
  static bool validPort(int port) { return port >= 0 && port < kMaxJoysticks; }

  std::array<KeyState, 256> keys{};
  std::array<JoyState, kMaxJoysticks> joys{};
  bool opened = false;
};

struct State {
  std::unique_ptr<Backend> backend;
  int blend = MASKBLEND;
  float alpha = 1;
  float scaleX = 1, scaleY = 1;
  std::vector<DrawCmd> commands;  // since the last presentation
  long frames = 0;
  Input input;
  Random random;
  int channels = 0;
  FrameObserver* observer = nullptr;
  Trace* trace = nullptr;
  StateReporter reporter;
  StateWriter pairs;
};

State& S() {
  static State state;
  return state;
}

Backend& B() {
  State& s = S();
  if (!s.backend) s.backend = std::make_unique<HeadlessBackend>();
  return *s.backend;
}

// Decoded files are kept for the process: a test that starts the program
// many times decodes each file once. Images share the pixels, never the
// handle, so every start finds the handles at the top-left corner again.
struct DecodedPicture {
  std::shared_ptr<const PixelBuffer> pixels;
  std::map<std::pair<int, int>, std::shared_ptr<const std::vector<CellInfo>>> grids;
};

std::mutex& CacheMutex() {
  static std::mutex m;
  return m;
}

std::map<std::pair<std::string, bool>, DecodedPicture>& Cache() {
  static std::map<std::pair<std::string, bool>, DecodedPicture> cache;
  return cache;
}

std::shared_ptr<const std::vector<CellInfo>> MakeCells(const PixelBuffer& px, int cw, int ch,
                                                       int count) {
  auto cells = std::make_shared<std::vector<CellInfo>>();
  const int across = std::max(1, px.width / cw);
  for (int k = 0; k < count; ++k) {
    CellInfo c;
    c.x0 = (k % across) * cw;
    c.y0 = (k / across) * ch;
    c.words = (cw + 63) / 64;
    c.solid.assign(static_cast<size_t>(c.words) * static_cast<size_t>(ch), 0);
    c.rowFirst.assign(static_cast<size_t>(ch), static_cast<int16_t>(cw));
    c.rowLast.assign(static_cast<size_t>(ch), -1);
    c.rowBlocks.assign(static_cast<size_t>(ch), 0);
    int minX = cw, minY = ch, maxX = -1, maxY = -1;
    for (int y = 0; y < ch; ++y) {
      if (c.y0 + y >= px.height) break;
      for (int x = 0; x < cw; ++x) {
        if (c.x0 + x >= px.width) break;
        const uint8_t a = px.at(c.x0 + x, c.y0 + y)[3];
        if (a == 0) continue;
        c.rowFirst[static_cast<size_t>(y)] = static_cast<int16_t>(std::min<int>(c.rowFirst[static_cast<size_t>(y)], x));
        c.rowLast[static_cast<size_t>(y)] = static_cast<int16_t>(x);
        c.rowBlocks[static_cast<size_t>(y)] |= uint64_t{1} << ((x >> CellInfo::kBlockShift) & 63);
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
        if (a >= 128)
          c.solid[static_cast<size_t>(y) * static_cast<size_t>(c.words) + static_cast<size_t>(x >> 6)] |=
              uint64_t{1} << (x & 63);
      }
    }
    if (maxX >= 0) {
      c.visX = minX;
      c.visY = minY;
      c.visW = maxX - minX + 1;
      c.visH = maxY - minY + 1;
    }
    cells->push_back(std::move(c));
  }
  return cells;
}

bool& Warmed() {
  static bool warmed = false;
  return warmed;
}

// Start-up loads every picture one after the other; decoding them all at
// the first load, on a few threads, takes a fraction of that wall time.
// Called with the cache lock held; the workers only decode.
void WarmCache(bool masked) {
  Warmed() = true;
  std::vector<const EmbeddedFile*> todo;
  for (const EmbeddedFile* f : AllEmbedded())
    if (f->name.ends_with(".png") && !Cache()[{std::string(f->name), masked}].pixels) todo.push_back(f);
  std::vector<std::shared_ptr<PixelBuffer>> out(todo.size());
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t i; (i = next++) < todo.size();) out[i] = DecodePng(todo[i]->data, todo[i]->size, masked);
  };
  const unsigned n = std::clamp(std::thread::hardware_concurrency(), 1u, 4u);
  std::vector<std::thread> workers;
  for (unsigned t = 1; t < n; ++t) workers.emplace_back(work);
  work();
  for (std::thread& t : workers) t.join();
  for (size_t i = 0; i < todo.size(); ++i)
    if (out[i]) Cache()[{std::string(todo[i]->name), masked}].pixels = std::move(out[i]);
}

[[noreturn]] void FatalAsset(const char* name, const char* why) {
  std::fprintf(stderr, "neonrally: embedded picture \"%s\" %s\n", name, why);
  std::exit(70);
}

// An image over decoded pixels cut into a grid: cells first ... first +
// count - 1 of it, the handle at the top-left corner.
TImage AssembleImage(const std::string& name, std::shared_ptr<const PixelBuffer> pixels,
                     std::shared_ptr<const std::vector<CellInfo>> cells, int cw, int ch, int first,
                     int count, int flags) {
  auto img = std::make_shared<Image>();
  img->name = name;
  img->pixels = std::move(pixels);
  img->cellWidth = cw;
  img->cellHeight = ch;
  first = std::clamp(first, 0, static_cast<int>(cells->size()) - 1);
  count = std::clamp(count, 1, static_cast<int>(cells->size()) - first);
  if (first == 0 && count == static_cast<int>(cells->size())) {
    img->cells = std::move(cells);
  } else {
    img->cells = std::make_shared<std::vector<CellInfo>>(cells->begin() + first,
                                                         cells->begin() + first + count);
  }
  img->cellCount = count;
  img->filtered = (flags & FILTEREDIMAGE) != 0;
  return img;
}

int CellsIn(const PixelBuffer& px, int cw, int ch) {
  return std::max(1, px.width / cw) * std::max(1, px.height / ch);
}

TImage MakeImage(const char* name, int cw, int ch, int first, int count, int flags) {
  const bool masked = (flags & MASKEDIMAGE) != 0;
  std::shared_ptr<const PixelBuffer> pixels;
  std::shared_ptr<const std::vector<CellInfo>> cells;
  {
    std::lock_guard<std::mutex> lock(CacheMutex());
    if (!Warmed() && masked) WarmCache(masked);
    DecodedPicture& d = Cache()[{name, masked}];
    if (!d.pixels) {
      const EmbeddedFile* file = FindEmbedded(name);
      if (!file) FatalAsset(name, "is not in this build");
      d.pixels = DecodePng(file->data, file->size, masked);
      if (!d.pixels) FatalAsset(name, "cannot be decoded");
    }
    pixels = d.pixels;
    if (cw <= 0) cw = pixels->width;
    if (ch <= 0) ch = pixels->height;
    auto& grid = d.grids[{cw, ch}];
    if (!grid) grid = MakeCells(*pixels, cw, ch, CellsIn(*pixels, cw, ch));
    cells = grid;
  }
  return AssembleImage(name, std::move(pixels), std::move(cells), cw, ch, first, count, flags);
}

bool ValidFrame(const TImage& image, int frame) {
  return image && frame >= 0 && frame < image->cellCount;
}

}  // namespace

// ---- runtime ----------------------------------------------------------------

void InstallBackend(std::unique_ptr<Backend> backend) {
  State& s = S();
  s.backend = std::move(backend);
  s.blend = MASKBLEND;
  s.alpha = 1;
  s.scaleX = s.scaleY = 1;
  s.commands.clear();
  s.frames = 0;
  s.input.reset();
  s.random.seed(kStartSeed);
  s.channels = 0;
}

Backend& CurrentBackend() { return B(); }

void UninstallBackend() { S().backend.reset(); }

void SetFrameObserver(FrameObserver* observer) { S().observer = observer; }
void SetTrace(Trace* trace) { S().trace = trace; }
void SetStateReporter(StateReporter reporter) { S().reporter = std::move(reporter); }
long FramesPresented() { return S().frames; }

TImage ImageFromPixels(const std::string& name, std::shared_ptr<const PixelBuffer> pixels,
                       int cellWidth, int cellHeight, int cellCount, int flags) {
  auto cells = MakeCells(*pixels, cellWidth, cellHeight, CellsIn(*pixels, cellWidth, cellHeight));
  return AssembleImage(name, std::move(pixels), std::move(cells), cellWidth, cellHeight, 0, cellCount,
                       flags);
}

void ForgetDecodedPictures() {
  std::lock_guard<std::mutex> lock(CacheMutex());
  Cache().clear();
  Warmed() = false;
}
InputSink& Input() { return S().input; }

}  // namespace nr

using nr::S;

// ---- Display -------------------------------------------------------------

void Graphics(int width, int height, int depth, int /*hertz*/, int /*flags*/) {
  nr::B().openDisplay(width, height, depth != 0);
}

void Flip(int /*sync*/) {
  nr::State& s = S();
  nr::Backend& b = nr::B();
  if (s.trace && s.trace->wants(nr::kTraceState)) {
    s.pairs.clear();
    s.pairs.put("ms", b.millis());
    if (s.reporter) s.reporter(s.pairs);
    s.trace->state(s.frames, s.pairs);
  }
  if (s.observer) s.observer->beforePresent(s.frames, s.commands);
  b.present(s.commands, s.input);
  s.commands.clear();
  const long presented = s.frames++;
  if (s.observer) s.observer->afterPresent(presented);
}

void Cls() { S().commands.push_back(nr::DrawCmd{}); }

void HideMouse() { nr::B().hideMouse(); }

void EndGraphics() { nr::B().closeDisplay(); }

// ---- 2D drawing ----------------------------------------------------------

TImage LoadImage(const char* name, int flags) { return nr::MakeImage(name, 0, 0, 0, 1, flags); }

TImage LoadAnimImage(const char* name, int cellWidth, int cellHeight, int firstCell, int cellCount,
                     int flags) {
  if (cellWidth <= 0 || cellHeight <= 0) nr::FatalAsset(name, "was asked for with an empty cell");
  return nr::MakeImage(name, cellWidth, cellHeight, firstCell, cellCount, flags);
}

void DrawImage(const TImage& image, float x, float y, int frame) {
  if (!nr::ValidFrame(image, frame)) return;
  nr::State& s = S();
  nr::DrawCmd c;
  c.image = image.get();
  c.frame = frame;
  c.x = x;
  c.y = y;
  c.blend = s.blend;
  c.alpha = s.alpha;
  c.scaleX = s.scaleX;
  c.scaleY = s.scaleY;
  c.handleX = image->handleX;
  c.handleY = image->handleY;
  if (s.trace) s.trace->draw(s.frames, c);
  s.commands.push_back(c);
}

void SetBlend(int mode) {
  if (mode >= MASKBLEND && mode <= SHADEBLEND) S().blend = mode;
}

void SetAlpha(float alpha) { S().alpha = std::isnan(alpha) ? 0.0f : std::clamp(alpha, 0.0f, 1.0f); }

void SetScale(float scaleX, float scaleY) {
  S().scaleX = scaleX;
  S().scaleY = scaleY;
}

void SetImageHandle(const TImage& image, float x, float y) {
  if (!image) return;
  image->handleX = x;
  image->handleY = y;
}

int ImageWidth(const TImage& image) { return image ? image->cellWidth : 0; }
int ImageHeight(const TImage& image) { return image ? image->cellHeight : 0; }

namespace {

// Screen rectangle [x0, x1) x [y0, y1) of pixels whose centres fall on the
// picture placed with its handle at (x, y) under scale (sx, sy).
struct Placed {
  const Image* img;
  const CellInfo* cell;
  float ox, oy, sx, sy;
  int x0, y0, x1, y1;
};

Placed Place(const TImage& img, int frame, int x, int y, float sx, float sy) {
  Placed p{img.get(), &img->cell(frame), 0, 0, sx, sy, 0, 0, 0, 0};
  p.ox = static_cast<float>(x) - img->handleX * sx;
  p.oy = static_cast<float>(y) - img->handleY * sy;
  float ex = p.ox + static_cast<float>(img->cellWidth) * sx;
  float ey = p.oy + static_cast<float>(img->cellHeight) * sy;
  float lx = std::min(p.ox, ex), hx = std::max(p.ox, ex);
  float ly = std::min(p.oy, ey), hy = std::max(p.oy, ey);
  p.x0 = static_cast<int>(std::ceil(lx - 0.5f));
  p.x1 = static_cast<int>(std::ceil(hx - 0.5f));
  p.y0 = static_cast<int>(std::ceil(ly - 0.5f));
  p.y1 = static_cast<int>(std::ceil(hy - 0.5f));
  return p;
}

// Whether the texel under screen pixel (px, py) is solid (alpha >= 128).
bool SolidAt(const Placed& p, int px, int py) {
  const int tx = static_cast<int>(std::floor((static_cast<float>(px) + 0.5f - p.ox) / p.sx));
  const int ty = static_cast<int>(std::floor((static_cast<float>(py) + 0.5f - p.oy) / p.sy));
  if (tx < 0 || ty < 0 || tx >= p.img->cellWidth || ty >= p.img->cellHeight) return false;
  return p.cell->solidAt(tx, ty);
}

}  // namespace

bool ImagesCollide(const TImage& image1, int x1, int y1, int frame1, const TImage& image2, int x2,
                   int y2, int frame2) {
  if (!nr::ValidFrame(image1, frame1) || !nr::ValidFrame(image2, frame2)) return false;
  const nr::State& s = S();
  if (s.scaleX == 0 || s.scaleY == 0) return false;
  const Placed a = Place(image1, frame1, x1, y1, s.scaleX, s.scaleY);
  const Placed b = Place(image2, frame2, x2, y2, s.scaleX, s.scaleY);
  const int x0 = std::max(a.x0, b.x0), xe = std::min(a.x1, b.x1);
  const int y0 = std::max(a.y0, b.y0), ye = std::min(a.y1, b.y1);
  for (int py = y0; py < ye; ++py)
    for (int px = x0; px < xe; ++px)
      if (SolidAt(a, px, py) && SolidAt(b, px, py)) return true;
  return false;
}

// ---- Audio ---------------------------------------------------------------

TSound LoadSound(const char* name, int /*flags*/) {
  const nr::EmbeddedFile* file = nr::FindEmbedded(name);
  if (!file) nr::FatalAsset(name, "is not in this build");
  auto sound = std::make_shared<Sound>();
  if (!nr::DecodeWav(file->data, file->size, *sound)) nr::FatalAsset(name, "cannot be decoded");
  sound->name = name;
  nr::B().prepareSound(*sound);
  return sound;
}

TChannel AllocChannel() {
  auto ch = std::make_shared<Channel>();
  ch->number = ++S().channels;
  ch->voice = nr::B().reserveVoice();
  return ch;
}

TChannel PlaySound(const TSound& sound) {
  if (!sound) return nullptr;
  nr::State& s = S();
  if (s.trace) s.trace->sound(s.frames, sound->name, -1);
  auto ch = std::make_shared<Channel>();
  ch->voice = nr::B().play(*sound, -1);
  return ch;
}

TChannel PlaySound(const TSound& sound, const TChannel& channel) {
  if (!channel) return PlaySound(sound);
  if (!sound) return channel;
  nr::State& s = S();
  if (s.trace) s.trace->sound(s.frames, sound->name, channel->number);
  channel->voice = nr::B().play(*sound, channel->voice);
  return channel;
}

void StopChannel(const TChannel& channel) {
  if (!channel) return;
  nr::State& s = S();
  if (s.trace) s.trace->stop(s.frames, channel->number);
  nr::B().stop(channel->voice);
}

bool ChannelPlaying(const TChannel& channel) {
  return channel && channel->voice >= 0 && nr::B().playing(channel->voice);
}

// ---- Keyboard and joysticks ------------------------------------------------

int KeyHit(int key) {
  if (key < 0 || key >= 256) return 0;
  nr::KeyState& k = S().input.keys[static_cast<size_t>(key)];
  const int hits = k.hits;
  k.hits = 0;
  return hits;
}

bool KeyDown(int key) {
  if (key < 0 || key >= 256) return false;
  return S().input.keys[static_cast<size_t>(key)].down;
}

int JoyCount() {
  nr::State& s = S();
  if (!s.input.opened) {
    s.input.opened = true;
    nr::B().openJoysticks(s.input);
  }
  int n = 0;
  for (const nr::JoyState& j : s.input.joys) n += j.attached ? 1 : 0;
  return n;
}

namespace {

const nr::JoyState* Joy(int port) {
  const nr::State& s = S();
  if (!s.input.opened || !nr::Input::validPort(port)) return nullptr;
  const nr::JoyState& j = s.input.joys[static_cast<size_t>(port)];
  return j.attached ? &j : nullptr;
}

float Axis(int port, int axis) {
  const nr::JoyState* j = Joy(port);
  if (!j) return 0;
  // SDL reports -32768 at full deflection one way: that must read -1.0 too.
  return std::clamp(static_cast<float>(j->raw[static_cast<size_t>(axis)]) / 32767.0f, -1.0f, 1.0f);
}

}  // namespace

int JoyHit(int button, int port) {
  if (!Joy(port) || button < 0 || button >= nr::kMaxButtons) return 0;
  int& hits = S().input.joys[static_cast<size_t>(port)].hits[static_cast<size_t>(button)];
  const int n = hits;
  hits = 0;
  return n;
}

float JoyX(int port) { return Axis(port, 0); }
float JoyY(int port) { return Axis(port, 1); }

// ---- Clock and random numbers ----------------------------------------------

int MilliSecs() { return nr::B().millis(); }

double Rnd(double minValue, double maxValue) {
  if (maxValue < minValue) std::swap(minValue, maxValue);
  const double v = minValue + (maxValue - minValue) * S().random.unit();
  // Rounding may land on the open end; keep the interval half-open.
  return v < maxValue ? v : std::nextafter(maxValue, minValue);
}

int Rand(int minValue, int maxValue) {
  if (maxValue < minValue) std::swap(minValue, maxValue);
  const uint64_t span = static_cast<uint64_t>(int64_t{maxValue} - minValue) + 1;
  return static_cast<int>(minValue + static_cast<int64_t>(S().random.next() % span));
}

void SeedRnd(int seed) { S().random.seed(static_cast<uint64_t>(static_cast<uint32_t>(seed))); }
