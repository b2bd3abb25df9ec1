#include "platform/gl_offscreen.h"

#include <SDL.h>

#include "platform/gl_renderer.h"
#include "platform/gl_window.h"

namespace nr {

OffscreenGl::OffscreenGl() : window_(std::make_unique<GlWindow>()) {}

OffscreenGl::~OffscreenGl() { close(); }

bool OffscreenGl::open(int width, int height, std::string& error) {
  close();
  const ForeignAllocations foreign;
  if (!StartVideo(error)) return false;
  videoStarted_ = true;
  // Never shown: the window only carries the context; the renderer draws
  // into its own framebuffer of the picture's size.
  std::string what, why;
  if (!window_->open("Neon Rally (offscreen)",
                     GlWindow::Place{SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, width, height,
                                     SDL_WINDOW_HIDDEN},
                     width, height, what, why)) {
    error = what + ": " + why;
    close();
    return false;
  }
  open_ = true;
  return true;
}

void OffscreenGl::close() {
  window_->close();
  open_ = false;
  if (videoStarted_) SDL_QuitSubSystem(SDL_INIT_VIDEO);
  videoStarted_ = false;
}

void OffscreenGl::render(const std::vector<DrawCmd>& commands) {
  if (!open_) return;
  window_->makeCurrent();
  window_->renderer()->render(commands);
}

std::vector<uint8_t> OffscreenGl::picture(const std::vector<DrawCmd>& commands) {
  std::vector<DrawCmd> fromBlack;
  fromBlack.reserve(commands.size() + 1);
  fromBlack.push_back(DrawCmd{});  // a clear
  fromBlack.insert(fromBlack.end(), commands.begin(), commands.end());
  render(fromBlack);
  return readPixels();
}

std::vector<uint8_t> OffscreenGl::readPixels() {
  std::vector<uint8_t> rgba;
  if (!open_) return rgba;
  window_->makeCurrent();
  window_->renderer()->readPixels(rgba);
  return rgba;
}

int OffscreenGl::drawCalls() const { return open_ ? window_->renderer()->drawCalls() : 0; }

void OffscreenGl::finish() {
  if (open_) window_->renderer()->finish();
}

}  // namespace nr
