#include "platform/gl_window.h"

#include <SDL.h>
#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace nr {
namespace {

const char* EnvOrNull(const char* name) {
  const char* v = std::getenv(name);
  return v && *v ? v : nullptr;
}

// Whether the compositor's socket exists, as libwayland would look for it.
bool WaylandSocketThere(std::string& why) {
  const char* name = EnvOrNull("WAYLAND_DISPLAY");
  if (!name) name = "wayland-0";
  std::string path = name;
  if (path.front() != '/') {
    const char* runtime = EnvOrNull("XDG_RUNTIME_DIR");
    if (!runtime) {
      why = "XDG_RUNTIME_DIR is not set";
      return false;
    }
    path = std::string(runtime) + "/" + name;
  }
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISSOCK(st.st_mode)) {
    why = "no compositor socket at " + path;
    return false;
  }
  return true;
}

}  // namespace

// Weak, so that a build without the sanitizer needs none of it.
extern "C" void __lsan_disable() __attribute__((weak));
extern "C" void __lsan_enable() __attribute__((weak));

ForeignAllocations::ForeignAllocations() {
  if (__lsan_disable) __lsan_disable();
}

ForeignAllocations::~ForeignAllocations() {
  if (__lsan_enable) __lsan_enable();
}

bool StartVideo(std::string& error) {
  // SDL's own handlers would turn SIGINT and SIGTERM into quit events that
  // only an event pump sees; the program's callers handle signals.
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  std::vector<const char*> drivers;
  if (const char* chosen = EnvOrNull("SDL_VIDEODRIVER")) drivers.push_back(chosen);
  else {
    if (EnvOrNull("DISPLAY")) drivers.push_back("x11");
    if (EnvOrNull("WAYLAND_DISPLAY")) drivers.push_back("wayland");
  }
  if (drivers.empty()) {
    error = "neither DISPLAY nor WAYLAND_DISPLAY is set";
    return false;
  }
  std::string tried;
  const ForeignAllocations foreign;
  for (const char* d : drivers) {
    std::string why;
    if (std::strcmp(d, "wayland") == 0 && !WaylandSocketThere(why)) {
      // libwayland would print its own complaint first; say it once, here.
      if (!tried.empty()) tried += "; ";
      tried += "wayland: " + why;
      continue;
    }
    if (!EnvOrNull("SDL_VIDEODRIVER")) SDL_SetHint(SDL_HINT_VIDEODRIVER, d);
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) == 0) return true;
    if (!tried.empty()) tried += "; ";
    tried += std::string(d) + ": " + SDL_GetError();
  }
  const char* display = EnvOrNull("DISPLAY");
  const char* wayland = EnvOrNull("WAYLAND_DISPLAY");
  error = std::string("cannot connect to DISPLAY=") + (display ? display : "(unset)") +
          " WAYLAND_DISPLAY=" + (wayland ? wayland : "(unset)") + " (" + tried + ")";
  return false;
}

GlWindow::~GlWindow() { close(); }

bool GlWindow::open(const char* title, const Place& place, int pictureWidth, int pictureHeight,
                    std::string& what, std::string& why) {
  close();
  const ForeignAllocations foreign;
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
  SDL_GL_SetAttribute(SDL_GL_STENCIL_SIZE, 0);
  window_ = SDL_CreateWindow(title, place.x, place.y, place.width, place.height,
                             SDL_WINDOW_OPENGL | SDL_WINDOW_ALLOW_HIGHDPI | place.flags);
  if (!window_) {
    what = "cannot open a window";
    why = SDL_GetError();
    return false;
  }
  context_ = SDL_GL_CreateContext(window_);
  if (!context_) {
    what = "no OpenGL 3.3";
    why = SDL_GetError();
    close();
    return false;
  }
  SDL_GL_MakeCurrent(window_, context_);
  renderer_ = std::make_unique<GlRenderer>(pictureWidth, pictureHeight);
  if (!renderer_->init([](const char* name) { return SDL_GL_GetProcAddress(name); }, why)) {
    what = "OpenGL renderer";
    close();
    return false;
  }
  return true;
}

void GlWindow::makeCurrent() {
  if (window_ && context_) SDL_GL_MakeCurrent(window_, context_);
}

void GlWindow::close() {
  // The renderer's objects belong to this context: make it current first.
  if (renderer_ && context_) SDL_GL_MakeCurrent(window_, context_);
  renderer_.reset();
  if (context_) SDL_GL_DeleteContext(context_);
  context_ = nullptr;
  if (window_) SDL_DestroyWindow(window_);
  window_ = nullptr;
}

}  // namespace nr
