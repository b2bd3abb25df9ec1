// The OpenGL renderer without the game's window: a hidden window on the
// display holds its context, and pictures are read back from its
// framebuffer. Draws what the software rasterizer draws, for the replay's
// --renderer gl and for comparing the two.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"

namespace nr {

class GlWindow;

class OffscreenGl {
 public:
  OffscreenGl();
  ~OffscreenGl();
  OffscreenGl(const OffscreenGl&) = delete;
  OffscreenGl& operator=(const OffscreenGl&) = delete;

  // Connects to the display (as the game does: DISPLAY, WAYLAND_DISPLAY or
  // SDL_VIDEODRIVER) and sets the renderer up for a `width` x `height`
  // picture. False with one line saying why.
  bool open(int width, int height, std::string& error);
  bool isOpen() const { return open_; }

  // Draws a frame's commands over the picture, as a presented frame is
  // drawn: a clear among them paints it black first.
  void render(const std::vector<DrawCmd>& commands);
  // The picture of `commands` alone, on black: RGBA rows top to bottom.
  std::vector<uint8_t> picture(const std::vector<DrawCmd>& commands);
  // The current picture, RGBA rows top to bottom, alpha 255.
  std::vector<uint8_t> readPixels();
  // Draw calls of the last render.
  int drawCalls() const;
  // Waits until the renderer's work is done (for timing it).
  void finish();

 private:
  void close();

  std::unique_ptr<GlWindow> window_;
  bool open_ = false;
  bool videoStarted_ = false;
};

}  // namespace nr
