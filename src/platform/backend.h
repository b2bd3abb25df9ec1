// The contract between the platform front end (platform.cpp) and a backend.
//
// The front end owns the drawing state, the input counters, the clock's use
// and the trace; it resolves every DrawImage into a DrawCmd. A backend only
// opens and closes the display, renders a frame's commands, paces and pumps
// events, reads the clock and plays sounds.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class Image;
class Sound;

namespace nr {

// One resolved DrawImage, or a clear when `image` is null.
struct DrawCmd {
  const Image* image = nullptr;
  int frame = 0;
  float x = 0, y = 0;
  int blend = 0;
  float alpha = 1;
  float scaleX = 1, scaleY = 1;
  float handleX = 0, handleY = 0;
};

// Events a backend delivers into the front end while it pumps.
class InputSink {
 public:
  virtual ~InputSink() = default;
  virtual void key(int code, bool down) = 0;
  virtual void joyAttached(int port, bool attached) = 0;
  virtual void joyAxis(int port, int axis, int raw) = 0;  // raw -32768 ... 32767
  virtual void joyButton(int port, int button, bool down) = 0;
};

class Backend {
 public:
  virtual ~Backend() = default;

  // Joysticks: opened here, once; the number attached now.
  virtual int openJoysticks(InputSink& input) = 0;
  virtual void openDisplay(int width, int height, bool fullscreen) = 0;
  virtual void closeDisplay() = 0;
  virtual void hideMouse() = 0;

  // Renders `frame` (the commands since the last present, clears included),
  // shows it, waits for the next frame time and pumps events into `input`.
  virtual void present(const std::vector<DrawCmd>& frame, InputSink& input) = 0;

  virtual int millis() = 0;

  // Sounds. Voices are the backend's numbers; -1 means none.
  virtual void prepareSound(Sound& sound) = 0;
  virtual int play(const Sound& sound, int voice) = 0;  // voice -1: a fresh one
  virtual int reserveVoice() = 0;
  virtual void stop(int voice) = 0;
  virtual bool playing(int voice) = 0;
};

}  // namespace nr
