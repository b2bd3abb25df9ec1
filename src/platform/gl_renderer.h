// The OpenGL renderer: draws a frame's commands into an offscreen 640 x 480
// framebuffer with the same blend math, cell-clamped bilinear sampling and
// pixel coverage as the software rasterizer, then shows that picture
// letterboxed in a window, or hands its pixels back.
//
// Needs a current OpenGL 3.3 core context; functions are looked up through
// the loader given to init (SDL_GL_GetProcAddress in practice).
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"

struct PixelBuffer;

namespace nr {

struct GlFunctions;

class GlRenderer {
 public:
  using Loader = void* (*)(const char* name);

  GlRenderer(int width = 640, int height = 480);
  ~GlRenderer();
  GlRenderer(const GlRenderer&) = delete;
  GlRenderer& operator=(const GlRenderer&) = delete;

  // Loads the functions and builds the shader, buffers and framebuffer.
  bool init(Loader loader, std::string& error);

  // Draws `commands` in painter's order over the picture; a clear command
  // paints it black. Draws before the last clear are never seen, so they
  // are skipped.
  void render(const std::vector<DrawCmd>& commands);
  // Copies the picture into the bound window framebuffer at `box` (in GL
  // window coordinates of a drawable `drawableWidth` x `drawableHeight`),
  // black around it.
  void showIn(int drawableWidth, int drawableHeight, int boxX, int boxY, int boxWidth,
              int boxHeight);
  // The picture as RGBA rows top to bottom, alpha 255.
  void readPixels(std::vector<uint8_t>& rgba);
  void finish();

  int width() const { return width_; }
  int height() const { return height_; }
  // Draw calls the last render issued.
  int drawCalls() const { return drawCalls_; }

 private:
  struct Texture {
    std::shared_ptr<const PixelBuffer> pixels;  // kept alive with its texture
    unsigned name = 0;
  };
  struct Batch {
    unsigned texture;
    int blend;
    int first, count;  // vertices
  };

  unsigned textureFor(const class Image& image);
  void release();

  std::unique_ptr<GlFunctions> gl_;
  int width_, height_;
  bool ready_ = false;
  unsigned program_ = 0, vao_ = 0, vbo_ = 0, fbo_ = 0, colour_ = 0;
  int uView_ = -1, uMode_ = -1, uSampler_ = -1;
  size_t vboBytes_ = 0;
  std::vector<Texture> textures_;  // an Image's rendererHandle is index + 1
  std::map<const PixelBuffer*, size_t> byPixels_;
  std::vector<float> vertices_;
  std::vector<Batch> batches_;
  int drawCalls_ = 0;
};

}  // namespace nr
