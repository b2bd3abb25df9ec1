// The platform services as the game relies on them, on the headless backend
// with small fixture pictures whose expected pixels are worked out by hand.
#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <vector>

#include "platform/headless.h"
#include "platform/image.h"
#include "platform/platform.h"
#include "platform/runtime.h"
#include "platform/sound.h"

namespace {

using Pixel = std::array<int, 3>;

// Installs a fresh headless backend; pixel() reads the last presented frame.
class Screen {
 public:
  explicit Screen(std::vector<nr::InputEvent> events = {}, int joysticks = 0) {
    auto b = std::make_unique<nr::HeadlessBackend>(std::move(events), joysticks);
    backend_ = b.get();
    nr::InstallBackend(std::move(b));
    backend_->deliver(0, nr::Input());
  }
  ~Screen() { nr::UninstallBackend(); }
  void present() {
    Flip(-1);
    rgba_ = backend_->rasterize();
  }
  Pixel pixel(int x, int y) const {
    const uint8_t* p = &rgba_[(static_cast<size_t>(y) * 640 + static_cast<size_t>(x)) * 4];
    return {p[0], p[1], p[2]};
  }
  nr::HeadlessBackend* backend_;

 private:
  std::vector<uint8_t> rgba_;
};

constexpr Pixel kBlack{0, 0, 0};
constexpr Pixel kWhite{255, 255, 255};

TEST(PlatformBlend, EachModeOverAKnownDestination) {
  // Source texel (200, 100, 50) with texel alpha 128/255, destination
  // (40, 80, 120). a = texel alpha x global alpha.
  struct Case {
    const char* what;
    int mode;
    float alpha;
    Pixel expected;
  };
  const Case cases[] = {
      {"alpha: src*a + dst*(1-a)", ALPHABLEND, 1.0f, {120, 90, 85}},
      {"alpha at half strength", ALPHABLEND, 0.5f, {80, 85, 102}},
      {"light: dst + src*a", LIGHTBLEND, 1.0f, {140, 130, 145}},
      {"light, alpha 3 draws as 1", LIGHTBLEND, 3.0f, {140, 130, 145}},
      {"mask: a >= 0.5 drawn opaque", MASKBLEND, 1.0f, {200, 100, 50}},
      {"mask: a < 0.5 not drawn", MASKBLEND, 0.5f, {40, 80, 120}},
      {"solid: source replaces", SOLIDBLEND, 0.25f, {200, 100, 50}},
      {"shade: src*dst", SHADEBLEND, 1.0f, {31, 31, 24}},
  };
  for (const Case& c : cases) {
    Screen screen;
    TImage src = LoadImage("fixtures/src1.png");
    TImage dst = LoadImage("fixtures/dst1.png");
    Cls();
    SetBlend(SOLIDBLEND);
    DrawImage(dst, 7, 3);
    SetBlend(c.mode);
    SetAlpha(c.alpha);
    DrawImage(src, 7, 3);
    screen.present();
    EXPECT_EQ(screen.pixel(7, 3), c.expected) << c.what;
    EXPECT_EQ(screen.pixel(8, 3), kBlack) << c.what << ": one texel covers one pixel";
  }
}

TEST(PlatformBlend, LightClampsAtWhite) {
  Screen screen;
  TImage block = LoadImage("fixtures/block4.png");
  Cls();
  SetBlend(LIGHTBLEND);
  DrawImage(block, 0, 0);
  DrawImage(block, 0, 0);
  screen.present();
  EXPECT_EQ(screen.pixel(1, 1), kWhite);
}

TEST(PlatformDrawing, StatePersistsAndAlphaIsClamped) {
  Screen screen;
  nr::Trace trace(nr::kTraceDraw);
  nr::SetTrace(&trace);
  TImage block = LoadImage("fixtures/block4.png");
  SetBlend(LIGHTBLEND);
  SetAlpha(3);
  SetScale(0.5f, 2);
  DrawImage(block, 1.5f, -2.25f);
  DrawImage(block, 10, 10, 0);  // same state, nothing set in between
  SetAlpha(-1);
  DrawImage(block, 0, 0);
  nr::SetTrace(nullptr);
  EXPECT_EQ(trace.text(),
            "0\tdraw\tfixtures/block4.png\t0\t1.5\t-2.25\t4\t1\t0.5\t2\t0\t0\n"
            "0\tdraw\tfixtures/block4.png\t0\t10\t10\t4\t1\t0.5\t2\t0\t0\n"
            "0\tdraw\tfixtures/block4.png\t0\t0\t0\t4\t0\t0.5\t2\t0\t0\n");
}

TEST(PlatformDrawing, DisplayOpensWithMaskBlendAlphaOneScaleOne) {
  Screen screen;
  nr::Trace trace(nr::kTraceDraw);
  nr::SetTrace(&trace);
  DrawImage(LoadImage("fixtures/block4.png"), 0, 0);
  nr::SetTrace(nullptr);
  EXPECT_EQ(trace.text(), "0\tdraw\tfixtures/block4.png\t0\t0\t0\t1\t1\t1\t1\t0\t0\n");
}

TEST(PlatformDrawing, ScaleAppliesAboutTheHandle) {
  Screen screen;
  TImage block = LoadImage("fixtures/block4.png");
  SetImageHandle(block, 2, 2);
  Cls();
  SetBlend(ALPHABLEND);
  SetScale(2, 2);
  DrawImage(block, 10, 10);  // 8 x 8 centred on (10, 10): pixels 6 ... 13
  screen.present();
  EXPECT_EQ(screen.pixel(6, 6), kWhite);
  EXPECT_EQ(screen.pixel(13, 13), kWhite);
  EXPECT_EQ(screen.pixel(5, 6), kBlack);
  EXPECT_EQ(screen.pixel(14, 13), kBlack);
  EXPECT_EQ(screen.pixel(13, 14), kBlack);
}

TEST(PlatformDrawing, HandleIsPerImageAndNotShared) {
  Screen screen;
  TImage a = LoadImage("fixtures/block4.png");
  TImage b = LoadImage("fixtures/block4.png");
  SetImageHandle(a, 2, 2);
  EXPECT_EQ(b->handleX, 0);
  EXPECT_EQ(a->handleX, 2);
}

TEST(PlatformDrawing, StripCellsRunLeftToRightThenTopToBottom) {
  Screen screen;
  TImage strip = LoadAnimImage("fixtures/strip6.png", 2, 2, 0, 6);
  EXPECT_EQ(ImageWidth(strip), 2);
  EXPECT_EQ(ImageHeight(strip), 2);
  Cls();
  SetBlend(ALPHABLEND);
  for (int k = 0; k < 6; ++k) DrawImage(strip, static_cast<float>(4 * k), 0, k);
  DrawImage(strip, 40, 0, 6);  // past the last cell: nothing
  screen.present();
  for (int k = 0; k < 6; ++k) {
    const Pixel want{40 * (k + 1), 0, 0};
    EXPECT_EQ(screen.pixel(4 * k, 0), want) << "frame " << k;
    EXPECT_EQ(screen.pixel(4 * k + 1, 1), want) << "frame " << k;
    EXPECT_EQ(screen.pixel(4 * k + 2, 0), kBlack) << "frame " << k << " is one cell wide";
  }
  EXPECT_EQ(screen.pixel(40, 0), kBlack);
}

TEST(PlatformDrawing, PureBlackIsTransparentOnlyInMaskedPicturesWithoutAlpha) {
  Screen screen;
  TImage masked = LoadImage("fixtures/rgb3.png");
  TImage unmasked = LoadImage("fixtures/rgb3.png", FILTEREDIMAGE);
  TImage block = LoadImage("fixtures/block4.png");
  EXPECT_FALSE(masked->pixels->hadAlpha);
  Cls();
  SetBlend(ALPHABLEND);
  DrawImage(block, 0, 0);
  DrawImage(masked, 0, 0);
  DrawImage(block, 0, 2);
  DrawImage(unmasked, 0, 2);
  screen.present();
  EXPECT_EQ(screen.pixel(0, 0), kWhite);
  EXPECT_EQ(screen.pixel(1, 0), (Pixel{10, 20, 30}));
  EXPECT_EQ(screen.pixel(2, 0), kWhite);
  EXPECT_EQ(screen.pixel(0, 2), kBlack);
  EXPECT_EQ(screen.pixel(1, 2), (Pixel{10, 20, 30}));
}

TEST(PlatformDrawing, ScaledPicturesAreFilteredBilinearly) {
  Screen screen;
  TImage filtered = LoadImage("fixtures/bw2.png");
  TImage nearest = LoadImage("fixtures/bw2.png", MASKEDIMAGE);
  Cls();
  SetBlend(ALPHABLEND);
  SetScale(2, 1);
  DrawImage(filtered, 0, 0);
  DrawImage(nearest, 0, 1);
  screen.present();
  // Pixel centres sample at texel u = 0.25, 0.75, 1.25, 1.75; texel centres
  // are at 0.5 and 1.5 and the edges clamp.
  const int want[4] = {0, 64, 191, 255};
  const int wantNearest[4] = {0, 0, 255, 255};
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(screen.pixel(x, 0)[0], want[x]) << "x " << x;
    EXPECT_EQ(screen.pixel(x, 1)[0], wantNearest[x]) << "x " << x;
  }
}

TEST(PlatformDrawing, FloatPositionsAreNotRounded) {
  Screen screen;
  TImage bw = LoadImage("fixtures/bw2.png");
  Cls();
  SetBlend(ALPHABLEND);
  SetImageHandle(bw, 0, 0);
  DrawImage(bw, 0.5f, 0);  // covers pixel centres 0.5 and 1.5, not 2.5
  DrawImage(bw, 3, 0);
  screen.present();
  EXPECT_EQ(screen.pixel(0, 0), kBlack);
  EXPECT_EQ(screen.pixel(1, 0)[0], 128) << "u = 1.0 lies halfway between the texel centres";
  EXPECT_EQ(screen.pixel(2, 0), kBlack);
  EXPECT_EQ(screen.pixel(4, 0), kWhite) << "a whole-pixel position samples texels exactly";
}

TEST(PlatformCollide, PixelExactUnderTheCurrentScale) {
  Screen screen;
  TImage block = LoadImage("fixtures/block4.png");
  TImage ring = LoadImage("fixtures/ring5.png");
  TImage a127 = LoadImage("fixtures/alpha127.png");
  TImage a128 = LoadImage("fixtures/alpha128.png");
  struct Case {
    const char* what;
    float scale;
    TImage a;
    int ax, ay;
    TImage b;
    int bx, by;
    bool hit;
  };
  const Case cases[] = {
      {"blocks overlapping by one column", 1, block, 0, 0, block, 3, 0, true},
      {"blocks side by side, touching", 1, block, 0, 0, block, 4, 0, false},
      {"blocks overlapping by one row", 1, block, 0, 0, block, 0, -3, true},
      {"a texel in the ring's hollow", 1, ring, 0, 0, a128, 2, 2, false},
      {"a texel on the ring's border", 1, ring, 0, 0, a128, 0, 2, true},
      {"alpha 127 is not solid", 1, ring, 0, 0, a127, 0, 2, false},
      {"scaled blocks overlap", 2, block, 0, 0, block, 7, 0, true},
      {"scaled blocks touch", 2, block, 0, 0, block, 8, 0, false},
  };
  for (const Case& c : cases) {
    SetScale(c.scale, c.scale);
    EXPECT_EQ(ImagesCollide(c.a, c.ax, c.ay, 0, c.b, c.bx, c.by, 0), c.hit) << c.what;
  }
}

TEST(PlatformCollide, HandlePlacesThePicture) {
  Screen screen;
  TImage a = LoadImage("fixtures/block4.png");
  TImage b = LoadImage("fixtures/block4.png");
  SetImageHandle(b, 4, 0);  // b now spans x - 4 ... x - 1
  EXPECT_FALSE(ImagesCollide(a, 0, 0, 0, b, 8, 0, 0));
  EXPECT_TRUE(ImagesCollide(a, 0, 0, 0, b, 7, 0, 0));
}

nr::InputEvent Key(long frame, int key, bool down) {
  nr::InputEvent e;
  e.frame = frame;
  e.kind = down ? nr::InputEvent::kPress : nr::InputEvent::kRelease;
  e.key = key;
  return e;
}

nr::InputEvent Joy(long frame, nr::InputEvent::Kind kind, int port, int index, int value = 0) {
  nr::InputEvent e;
  e.frame = frame;
  e.kind = kind;
  e.port = port;
  e.index = index;
  e.value = value;
  return e;
}

TEST(PlatformInput, KeyHitsCountUntilAskedAndKeyDownIsHeldState) {
  Screen screen({Key(1, KEY_A, true), Key(1, KEY_A, false), Key(1, KEY_A, true), Key(1, KEY_A, false),
                 Key(1, KEY_SPACE, true), Key(2, KEY_SPACE, false), Key(3, KEY_UP, true),
                 Key(3, KEY_UP, true)});
  EXPECT_EQ(KeyHit(KEY_A), 0);
  Flip();  // frame 1's events arrive
  EXPECT_EQ(KeyHit(KEY_A), 2);
  EXPECT_EQ(KeyHit(KEY_A), 0) << "asking resets the count";
  EXPECT_TRUE(KeyDown(KEY_SPACE));
  Flip();
  Flip();
  EXPECT_FALSE(KeyDown(KEY_SPACE));
  EXPECT_EQ(KeyHit(KEY_SPACE), 1) << "a press nobody asked for stays pending";
  EXPECT_EQ(KeyHit(KEY_UP), 1) << "a second press without a release is no new hit";
}

TEST(PlatformInput, JoysticksReadOnlyOnceOpenedAndFullDeflectionIsExact) {
  using K = nr::InputEvent;
  Screen screen({Joy(0, K::kAxis, 0, 1, 32767), Joy(0, K::kButton, 0, 0), Joy(1, K::kAxis, 0, 0, -32768),
                 Joy(1, K::kButton, 0, 1), Joy(1, K::kButton, 1, 0), Joy(2, K::kAxis, 0, 0, 16384),
                 Joy(2, K::kUnbutton, 0, 1), Joy(2, K::kButton, 0, 1)},
                1);
  EXPECT_EQ(JoyY(0), 0.0f) << "not opened yet";
  EXPECT_EQ(JoyHit(0, 0), 0);
  EXPECT_EQ(JoyCount(), 1);
  EXPECT_EQ(JoyY(0), 1.0f) << "an opened stick reads where it stands";
  EXPECT_EQ(JoyHit(0, 0), 0) << "a press before opening is not reported";
  Flip();
  EXPECT_EQ(JoyX(0), -1.0f) << "-32768 reads exactly -1";
  EXPECT_EQ(JoyHit(1, 0), 1);
  EXPECT_EQ(JoyHit(0, 1), 0) << "a missing joystick never reports a press";
  EXPECT_EQ(JoyX(1), 0.0f);
  Flip();
  EXPECT_NE(JoyX(0), 1.0f);
  EXPECT_NEAR(JoyX(0), 0.5f, 0.001f);
  EXPECT_EQ(JoyHit(1, 0), 1);
  EXPECT_EQ(JoyHit(1, 0), 0);
}

TEST(PlatformRandom, RangesAndRepeatableStart) {
  std::vector<double> first;
  for (int run = 0; run < 2; ++run) {
    Screen screen;
    std::vector<double> seq;
    for (int i = 0; i < 8; ++i) seq.push_back(Rnd(0, 640));
    if (run == 0) first = seq;
    else EXPECT_EQ(seq, first) << "every start draws the same numbers";
  }
  Screen screen;
  std::set<int> seen;
  double lo = 10, hi = 0;
  for (int i = 0; i < 20000; ++i) {
    const double r = Rnd(2, 7);
    lo = std::min(lo, r);
    hi = std::max(hi, r);
    seen.insert(Rand(7, 10));
    const int coin = static_cast<int>(Rnd(1, 3));
    EXPECT_TRUE(coin == 1 || coin == 2);
  }
  EXPECT_GE(lo, 2.0);
  EXPECT_LT(hi, 7.0);
  EXPECT_LT(lo, 2.01);
  EXPECT_GT(hi, 6.99);
  EXPECT_EQ(seen, (std::set<int>{7, 8, 9, 10}));
  SeedRnd(1234);
  const double a = Rnd(0, 1);
  SeedRnd(1234);
  EXPECT_EQ(Rnd(0, 1), a);
  SeedRnd(1235);
  EXPECT_NE(Rnd(0, 1), a);
}

TEST(PlatformClock, FramesFollowTheSixtyHertzScheduleAndBusyWaitsEnd) {
  Screen screen;
  EXPECT_EQ(MilliSecs(), nr::HeadlessBackend::kStartMs);
  int last = MilliSecs();
  for (int i = 0; i < 60; ++i) {
    Flip();
    const int now = MilliSecs();
    EXPECT_TRUE(now - last == 16 || now - last == 17) << now - last;
    last = now;
  }
  EXPECT_EQ(last, nr::HeadlessBackend::kStartMs + 1000);
  const int deadline = MilliSecs() + 800;
  while (MilliSecs() <= deadline) {
  }
  EXPECT_EQ(MilliSecs(), deadline + 1);
  Flip();
  EXPECT_EQ(MilliSecs(), nr::HeadlessBackend::kStartMs + 1000 + 816)
      << "after a late frame the next slot ahead is taken, with no catching up";
}

TEST(PlatformSound, ChannelsFollowTheSoundsLengthOnTheClock) {
  Screen screen;
  nr::Trace trace(nr::kTraceSound | nr::kTraceStop);
  nr::SetTrace(&trace);
  TSound beep = LoadSound("fixtures/beep50ms.wav");
  EXPECT_EQ(beep->channels, 1);
  EXPECT_EQ(beep->rate, 1000);
  EXPECT_EQ(beep->bits, 16);
  EXPECT_EQ(beep->frames, 50);
  TChannel ch = AllocChannel();
  TChannel other = AllocChannel();
  EXPECT_FALSE(ChannelPlaying(ch));
  PlaySound(beep, ch);
  TChannel fresh = PlaySound(beep);
  Flip();
  Flip();  // 33 ms in
  EXPECT_TRUE(ChannelPlaying(ch));
  EXPECT_TRUE(ChannelPlaying(fresh));
  EXPECT_FALSE(ChannelPlaying(other));
  Flip();  // 50 ms in: over
  EXPECT_FALSE(ChannelPlaying(ch));
  PlaySound(beep, other);
  StopChannel(other);
  EXPECT_FALSE(ChannelPlaying(other));
  nr::SetTrace(nullptr);
  EXPECT_EQ(trace.text(),
            "0\tsound\tfixtures/beep50ms.wav\t1\n"
            "0\tsound\tfixtures/beep50ms.wav\t-1\n"
            "3\tsound\tfixtures/beep50ms.wav\t2\n"
            "3\tstop\t2\n");
}

struct Item {
  int id;
};

TEST(PlatformList, RemovingWhileVisitingSkipsNothing) {
  auto list = CreateList<Item>();
  for (int i = 0; i < 6; ++i) ListAddLast(list, std::make_shared<Item>(Item{i}));
  std::vector<int> visited;
  for (const auto& item : *list) {
    visited.push_back(item->id);
    if (item->id % 2 == 0) ListRemove(list, item);  // the one being visited
  }
  EXPECT_EQ(visited, (std::vector<int>{0, 1, 2, 3, 4, 5}));
  EXPECT_EQ(list->Count(), 3);
  visited.clear();
  for (const auto& item : *list) {
    visited.push_back(item->id);
    ListRemove(list, item);
    if (item->id == 3) ListAddLast(list, std::make_shared<Item>(Item{9}));
  }
  EXPECT_EQ(visited, (std::vector<int>{1, 3, 5, 9})) << "appended during a visit is visited";
  EXPECT_EQ(list->Count(), 0);
  ListAddLast(list, std::make_shared<Item>(Item{1}));
  ListAddLast(list, std::make_shared<Item>(Item{2}));
  visited.clear();
  for (const auto& item : *list) {
    visited.push_back(item->id);
    ClearList(list);
  }
  EXPECT_EQ(visited, (std::vector<int>{1})) << "a clear ends the visit";
  EXPECT_EQ(list->begin(), list->end());
}

}  // namespace
