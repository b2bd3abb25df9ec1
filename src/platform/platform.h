// The platform services the game is written against: display, 2D drawing,
// audio, keyboard and joysticks, clock, random numbers and lists.
//
// Game code includes this header and nothing else from src/platform. No SDL,
// OpenGL or mixer type appears here; the backends translate at the edge.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/list.h"

class Image;
class Sound;
class Channel;

// Pictures and sounds are shared references: the catalogue owns them for the
// whole run, game objects hold further references.
using TImage = std::shared_ptr<Image>;
using TSound = std::shared_ptr<Sound>;
using TChannel = std::shared_ptr<Channel>;

// Blend modes.
constexpr int MASKBLEND = 1;   // only texels with alpha >= 0.5, drawn opaque
constexpr int SOLIDBLEND = 2;  // source replaces destination
constexpr int ALPHABLEND = 3;  // src*a + dst*(1-a)
constexpr int LIGHTBLEND = 4;  // dst + src*a, clamped
constexpr int SHADEBLEND = 5;  // src*dst

// Image flags. -1 (every flag) is the default the game uses.
constexpr int MASKEDIMAGE = 1;    // pure black is transparent in pictures without alpha
constexpr int FILTEREDIMAGE = 2;  // bilinear sampling (else nearest)

// Key codes.
constexpr int KEY_ESCAPE = 27;
constexpr int KEY_SPACE = 32;
constexpr int KEY_LEFT = 37;
constexpr int KEY_UP = 38;
constexpr int KEY_RIGHT = 39;
constexpr int KEY_DOWN = 40;
constexpr int KEY_A = 65;
constexpr int KEY_Q = 81;

// ---- Display -------------------------------------------------------------
// Opens the 640 x 480 picture. A non-zero depth asks for full screen.
void Graphics(int width, int height, int depth = 0, int hertz = 60, int flags = 0);
// Presents the frame. -1: vertical sync where it really runs at 60 Hz, else
// the 60 Hz schedule. Input is pumped here and only here.
void Flip(int sync = -1);
void Cls();
void HideMouse();
void EndGraphics();

// ---- 2D drawing ----------------------------------------------------------
// `name` is an embedded file name such as "gfx2/campo.png".
TImage LoadImage(const char* name, int flags = -1);
TImage LoadAnimImage(const char* name, int cellWidth, int cellHeight, int firstCell,
                     int cellCount, int flags = -1);
void DrawImage(const TImage& image, float x, float y, int frame = 0);
void SetBlend(int mode);
void SetAlpha(float alpha);
void SetScale(float scaleX, float scaleY);
void SetImageHandle(const TImage& image, float x, float y);
int ImageWidth(const TImage& image);   // one cell of a strip
int ImageHeight(const TImage& image);
// True when some screen pixel is covered by a pixel of alpha >= 128 of both
// pictures, each placed with its handle at the given position under the
// current scale.
bool ImagesCollide(const TImage& image1, int x1, int y1, int frame1, const TImage& image2,
                   int x2, int y2, int frame2);

// ---- Audio ---------------------------------------------------------------
TSound LoadSound(const char* name, int flags = 0);
TChannel AllocChannel();
TChannel PlaySound(const TSound& sound);  // on a fresh voice: sounds overlap
TChannel PlaySound(const TSound& sound, const TChannel& channel);
void StopChannel(const TChannel& channel);
bool ChannelPlaying(const TChannel& channel);

// ---- Keyboard and joysticks ----------------------------------------------
// Presses since the last call for that key; the call resets the count.
int KeyHit(int key);
bool KeyDown(int key);
// Opens the joysticks at its first call; ports count from 0.
int JoyCount();
int JoyHit(int button, int port = 0);
float JoyX(int port = 0);  // raw / 32767, clamped to -1 ... 1
float JoyY(int port = 0);

// ---- Clock and random numbers --------------------------------------------
int MilliSecs();
double Rnd(double minValue, double maxValue);  // uniform in [min, max)
int Rand(int minValue, int maxValue);                      // uniform in [min, max]
void SeedRnd(int seed);
