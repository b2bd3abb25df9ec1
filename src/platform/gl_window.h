// SDL video and an OpenGL 3.3 context with the renderer on it: the set-up
// the real backend and the offscreen renderer share. Platform-private; no
// SDL header is needed to include it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/gl_renderer.h"

struct SDL_Window;

namespace nr {

// Starts SDL's video on a real display: the driver named in SDL_VIDEODRIVER
// when the user set one, else x11 or wayland as DISPLAY and WAYLAND_DISPLAY
// say, never SDL's silent fall-back to its offscreen driver. False with one
// line naming both variables when there is none. Undone by
// SDL_QuitSubSystem(SDL_INIT_VIDEO) or SDL_Quit.
bool StartVideo(std::string& error);

// What the X, OpenGL and dbus libraries allocate while starting and never
// free is theirs, not ours to report: LeakSanitizer looks away in this scope.
class ForeignAllocations {
 public:
  ForeignAllocations();
  ~ForeignAllocations();
  ForeignAllocations(const ForeignAllocations&) = delete;
  ForeignAllocations& operator=(const ForeignAllocations&) = delete;
};

// A window with an OpenGL 3.3 core context current on it, and the renderer
// drawing into its own framebuffer. Needs StartVideo first.
class GlWindow {
 public:
  struct Place {
    int x, y, width, height;  // SDL window position and size
    uint32_t flags;           // SDL window flags besides OpenGL and HiDPI
  };

  GlWindow() = default;
  ~GlWindow();
  GlWindow(const GlWindow&) = delete;
  GlWindow& operator=(const GlWindow&) = delete;

  // Opens the window and sets a renderer of a `pictureWidth` x
  // `pictureHeight` picture up on it. False with what failed ("cannot open
  // a window", "no OpenGL 3.3", "OpenGL renderer") and why; nothing is left
  // open then.
  bool open(const char* title, const Place& place, int pictureWidth, int pictureHeight,
            std::string& what, std::string& why);
  void close();
  // Makes the context current on this thread again (another window's may
  // have been).
  void makeCurrent();

  SDL_Window* window() const { return window_; }
  GlRenderer* renderer() const { return renderer_.get(); }

 private:
  SDL_Window* window_ = nullptr;
  void* context_ = nullptr;  // SDL_GLContext
  std::unique_ptr<GlRenderer> renderer_;
};

}  // namespace nr
