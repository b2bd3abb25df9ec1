#include "platform/gl_renderer.h"

#include <GL/glcorearb.h>

#include <algorithm>
#include <cstring>

#include "platform/draw_geometry.h"
#include "platform/image.h"
#include "platform/platform.h"

namespace nr {

// Every entry point is looked up at init: the core profile's functions are
// not all exported by libGL, and looking them up keeps one way for all.
#define NR_GL_FUNCTIONS(X)                                                 \
  X(PFNGLGETERRORPROC, GetError)                                           \
  X(PFNGLGETSTRINGPROC, GetString)                                         \
  X(PFNGLVIEWPORTPROC, Viewport)                                           \
  X(PFNGLCLEARCOLORPROC, ClearColor)                                       \
  X(PFNGLCLEARPROC, Clear)                                                 \
  X(PFNGLCOLORMASKPROC, ColorMask)                                         \
  X(PFNGLENABLEPROC, Enable)                                               \
  X(PFNGLDISABLEPROC, Disable)                                             \
  X(PFNGLBLENDFUNCPROC, BlendFunc)                                         \
  X(PFNGLGENTEXTURESPROC, GenTextures)                                     \
  X(PFNGLDELETETEXTURESPROC, DeleteTextures)                               \
  X(PFNGLBINDTEXTUREPROC, BindTexture)                                     \
  X(PFNGLACTIVETEXTUREPROC, ActiveTexture)                                 \
  X(PFNGLTEXIMAGE2DPROC, TexImage2D)                                       \
  X(PFNGLTEXPARAMETERIPROC, TexParameteri)                                 \
  X(PFNGLPIXELSTOREIPROC, PixelStorei)                                     \
  X(PFNGLCREATESHADERPROC, CreateShader)                                   \
  X(PFNGLSHADERSOURCEPROC, ShaderSource)                                   \
  X(PFNGLCOMPILESHADERPROC, CompileShader)                                 \
  X(PFNGLGETSHADERIVPROC, GetShaderiv)                                     \
  X(PFNGLGETSHADERINFOLOGPROC, GetShaderInfoLog)                           \
  X(PFNGLDELETESHADERPROC, DeleteShader)                                   \
  X(PFNGLCREATEPROGRAMPROC, CreateProgram)                                 \
  X(PFNGLATTACHSHADERPROC, AttachShader)                                   \
  X(PFNGLLINKPROGRAMPROC, LinkProgram)                                     \
  X(PFNGLGETPROGRAMIVPROC, GetProgramiv)                                   \
  X(PFNGLGETPROGRAMINFOLOGPROC, GetProgramInfoLog)                         \
  X(PFNGLDELETEPROGRAMPROC, DeleteProgram)                                 \
  X(PFNGLUSEPROGRAMPROC, UseProgram)                                       \
  X(PFNGLGETUNIFORMLOCATIONPROC, GetUniformLocation)                       \
  X(PFNGLUNIFORM1IPROC, Uniform1i)                                         \
  X(PFNGLUNIFORM2FPROC, Uniform2f)                                         \
  X(PFNGLGENVERTEXARRAYSPROC, GenVertexArrays)                             \
  X(PFNGLBINDVERTEXARRAYPROC, BindVertexArray)                             \
  X(PFNGLDELETEVERTEXARRAYSPROC, DeleteVertexArrays)                       \
  X(PFNGLGENBUFFERSPROC, GenBuffers)                                       \
  X(PFNGLBINDBUFFERPROC, BindBuffer)                                       \
  X(PFNGLBUFFERDATAPROC, BufferData)                                       \
  X(PFNGLBUFFERSUBDATAPROC, BufferSubData)                                 \
  X(PFNGLDELETEBUFFERSPROC, DeleteBuffers)                                 \
  X(PFNGLVERTEXATTRIBPOINTERPROC, VertexAttribPointer)                     \
  X(PFNGLENABLEVERTEXATTRIBARRAYPROC, EnableVertexAttribArray)             \
  X(PFNGLDRAWARRAYSPROC, DrawArrays)                                       \
  X(PFNGLGENFRAMEBUFFERSPROC, GenFramebuffers)                             \
  X(PFNGLBINDFRAMEBUFFERPROC, BindFramebuffer)                             \
  X(PFNGLFRAMEBUFFERTEXTURE2DPROC, FramebufferTexture2D)                   \
  X(PFNGLCHECKFRAMEBUFFERSTATUSPROC, CheckFramebufferStatus)               \
  X(PFNGLDELETEFRAMEBUFFERSPROC, DeleteFramebuffers)                       \
  X(PFNGLBLITFRAMEBUFFERPROC, BlitFramebuffer)                             \
  X(PFNGLREADPIXELSPROC, ReadPixels)                                       \
  X(PFNGLFINISHPROC, Finish)                                               \
  X(PFNGLFLUSHPROC, Flush)

struct GlFunctions {
#define NR_GL_MEMBER(type, name) type name = nullptr;
  NR_GL_FUNCTIONS(NR_GL_MEMBER)
#undef NR_GL_MEMBER
};

namespace {

constexpr int kFloatsPerVertex = 10;  // position 2, texel 2, cell 4, alpha, filtered

const char* const kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 aPos;
layout(location = 1) in vec2 aTex;
layout(location = 2) in vec4 aCell;
layout(location = 3) in vec2 aParams;
uniform vec2 uView;
out vec2 vTex;
flat out vec4 vCell;
flat out vec2 vParams;
void main() {
  vTex = aTex;
  vCell = aCell;
  vParams = aParams;
  gl_Position = vec4(aPos.x / uView.x * 2.0 - 1.0, 1.0 - aPos.y / uView.y * 2.0, 0.0, 1.0);
}
)";

// Samples the way the software rasterizer does: texel indices clamped to
// the cell, so a strip's neighbouring cells never bleed in; bilinear with
// the same weights when filtered, nearest otherwise.
const char* const kFragmentShader = R"(#version 330 core
in vec2 vTex;
flat in vec4 vCell;    // origin in the picture, size, in texels
flat in vec2 vParams;  // alpha, filtered
uniform sampler2D uImage;
uniform int uMode;
out vec4 outColour;
vec4 texel(vec2 p) {
  vec2 q = clamp(p, vec2(0.0), vCell.zw - 1.0);
  return texelFetch(uImage, ivec2(vCell.xy + q), 0);
}
void main() {
  vec4 s;
  if (vParams.y > 0.5) {
    vec2 f = vTex - 0.5;
    vec2 i = floor(f);
    vec2 a = f - i;
    vec4 t00 = texel(i), t10 = texel(i + vec2(1.0, 0.0));
    vec4 t01 = texel(i + vec2(0.0, 1.0)), t11 = texel(i + vec2(1.0, 1.0));
    s = mix(mix(t00, t10, a.x), mix(t01, t11, a.x), a.y);
  } else {
    s = texel(floor(vTex));
  }
  float alpha = s.a * vParams.x;
  if (uMode == 1 && alpha < 0.5) discard;
  outColour = vec4(s.rgb, alpha);
}
)";

bool Compile(const GlFunctions& gl, GLenum kind, const char* source, GLuint& shader,
             std::string& error) {
  shader = gl.CreateShader(kind);
  gl.ShaderSource(shader, 1, &source, nullptr);
  gl.CompileShader(shader);
  GLint ok = 0;
  gl.GetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (ok) return true;
  char log[1024] = {};
  gl.GetShaderInfoLog(shader, sizeof log, nullptr, log);
  error = std::string("shader does not compile: ") + log;
  return false;
}

void SetBlendState(const GlFunctions& gl, int blend) {
  switch (blend) {
    case ALPHABLEND:
      gl.Enable(GL_BLEND);
      gl.BlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
      break;
    case LIGHTBLEND:
      gl.Enable(GL_BLEND);
      gl.BlendFunc(GL_SRC_ALPHA, GL_ONE);
      break;
    case SHADEBLEND:
      gl.Enable(GL_BLEND);
      gl.BlendFunc(GL_DST_COLOR, GL_ZERO);
      break;
    default:  // MASKBLEND (the shader discards), SOLIDBLEND
      gl.Disable(GL_BLEND);
      break;
  }
}

}  // namespace

GlRenderer::GlRenderer(int width, int height)
    : gl_(std::make_unique<GlFunctions>()), width_(width), height_(height) {}

GlRenderer::~GlRenderer() { release(); }

bool GlRenderer::init(Loader loader, std::string& error) {
  GlFunctions& gl = *gl_;
#define NR_GL_LOAD(type, name)                                          \
  gl.name = reinterpret_cast<type>(loader("gl" #name));                 \
  if (!gl.name) {                                                       \
    error = "OpenGL function gl" #name " is missing";                   \
    return false;                                                       \
  }
  NR_GL_FUNCTIONS(NR_GL_LOAD)
#undef NR_GL_LOAD

  GLuint vs = 0, fs = 0;
  const bool compiled = Compile(gl, GL_VERTEX_SHADER, kVertexShader, vs, error) &&
                        Compile(gl, GL_FRAGMENT_SHADER, kFragmentShader, fs, error);
  if (compiled) {
    program_ = gl.CreateProgram();
    gl.AttachShader(program_, vs);
    gl.AttachShader(program_, fs);
    gl.LinkProgram(program_);
  }
  if (vs) gl.DeleteShader(vs);
  if (fs) gl.DeleteShader(fs);
  if (!compiled) return false;
  GLint linked = 0;
  gl.GetProgramiv(program_, GL_LINK_STATUS, &linked);
  if (!linked) {
    char log[1024] = {};
    gl.GetProgramInfoLog(program_, sizeof log, nullptr, log);
    error = std::string("shader does not link: ") + log;
    return false;
  }
  uView_ = gl.GetUniformLocation(program_, "uView");
  uMode_ = gl.GetUniformLocation(program_, "uMode");
  uSampler_ = gl.GetUniformLocation(program_, "uImage");

  gl.GenVertexArrays(1, &vao_);
  gl.BindVertexArray(vao_);
  gl.GenBuffers(1, &vbo_);
  gl.BindBuffer(GL_ARRAY_BUFFER, vbo_);
  const GLsizei stride = kFloatsPerVertex * sizeof(float);
  const int sizes[] = {2, 2, 4, 2};
  size_t offset = 0;
  for (GLuint i = 0; i < 4; ++i) {
    gl.EnableVertexAttribArray(i);
    gl.VertexAttribPointer(i, sizes[i], GL_FLOAT, GL_FALSE, stride,
                           reinterpret_cast<const void*>(offset * sizeof(float)));
    offset += static_cast<size_t>(sizes[i]);
  }

  gl.GenTextures(1, &colour_);
  gl.BindTexture(GL_TEXTURE_2D, colour_);
  gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width_, height_, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  gl.GenFramebuffers(1, &fbo_);
  gl.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl.FramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, colour_, 0);
  if (gl.CheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE) {
    error = "the offscreen framebuffer is incomplete";
    return false;
  }
  gl.Viewport(0, 0, width_, height_);
  gl.ClearColor(0, 0, 0, 1);
  gl.Clear(GL_COLOR_BUFFER_BIT);

  gl.UseProgram(program_);
  gl.Uniform2f(uView_, static_cast<float>(width_), static_cast<float>(height_));
  gl.Uniform1i(uSampler_, 0);
  gl.ActiveTexture(GL_TEXTURE0);
  if (gl.GetError() != GL_NO_ERROR) {
    error = "OpenGL reported an error while setting up";
    return false;
  }
  ready_ = true;
  return true;
}

void GlRenderer::release() {
  if (!ready_ && !program_) return;
  GlFunctions& gl = *gl_;
  for (Texture& t : textures_)
    if (t.name) gl.DeleteTextures(1, &t.name);
  textures_.clear();
  byPixels_.clear();
  if (fbo_) gl.DeleteFramebuffers(1, &fbo_);
  if (colour_) gl.DeleteTextures(1, &colour_);
  if (vbo_) gl.DeleteBuffers(1, &vbo_);
  if (vao_) gl.DeleteVertexArrays(1, &vao_);
  if (program_) gl.DeleteProgram(program_);
  fbo_ = colour_ = vbo_ = vao_ = program_ = 0;
  ready_ = false;
}

// One texture per decoded picture: images cut from the same file share it,
// so their draws batch together. The handle is checked against the table,
// since an image may have been drawn by an earlier renderer.
GLuint GlRenderer::textureFor(const Image& image) {
  const size_t slot = image.rendererHandle;
  if (slot > 0 && slot <= textures_.size() && textures_[slot - 1].pixels == image.pixels)
    return textures_[slot - 1].name;
  auto found = byPixels_.find(image.pixels.get());
  if (found == byPixels_.end()) {
    GlFunctions& gl = *gl_;
    const PixelBuffer& px = *image.pixels;
    Texture t;
    t.pixels = image.pixels;
    gl.GenTextures(1, &t.name);
    gl.BindTexture(GL_TEXTURE_2D, t.name);
    gl.PixelStorei(GL_UNPACK_ALIGNMENT, 1);
    gl.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, px.width, px.height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
                  px.rgba.data());
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    gl.TexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    textures_.push_back(std::move(t));
    found = byPixels_.emplace(image.pixels.get(), textures_.size() - 1).first;
  }
  // The slot is the renderer's own: nothing else reads it.
  const_cast<Image&>(image).rendererHandle = found->second + 1;
  return textures_[found->second].name;
}

void GlRenderer::render(const std::vector<DrawCmd>& commands) {
  if (!ready_) return;
  GlFunctions& gl = *gl_;
  gl.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl.Viewport(0, 0, width_, height_);

  size_t start = 0;
  for (size_t i = commands.size(); i-- > 0;) {
    if (!commands[i].image) {
      start = i + 1;
      gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
      gl.ClearColor(0, 0, 0, 1);
      gl.Clear(GL_COLOR_BUFFER_BIT);
      break;
    }
  }

  vertices_.clear();
  batches_.clear();
  for (size_t i = start; i < commands.size(); ++i) {
    const DrawCmd& c = commands[i];
    if (!c.image || c.scaleX == 0 || c.scaleY == 0) continue;
    const DrawQuad q = ResolveQuad(c);
    if (q.empty()) continue;
    const Image& img = *c.image;
    const GLuint tex = textureFor(img);
    const CellInfo& cell = img.cell(c.frame);
    const int first = static_cast<int>(vertices_.size() / kFloatsPerVertex);
    if (batches_.empty() || batches_.back().texture != tex || batches_.back().blend != c.blend)
      batches_.push_back(Batch{tex, c.blend, first, 0});
    batches_.back().count += 6;
    const float cx = static_cast<float>(cell.x0), cy = static_cast<float>(cell.y0);
    const float cw = static_cast<float>(img.cellWidth), ch = static_cast<float>(img.cellHeight);
    const float filtered = img.filtered ? 1.0f : 0.0f;
    auto vertex = [&](float x, float y, float u, float v) {
      const float row[kFloatsPerVertex] = {x, y, u, v, cx, cy, cw, ch, c.alpha, filtered};
      vertices_.insert(vertices_.end(), row, row + kFloatsPerVertex);
    };
    vertex(q.x0, q.y0, q.u0, q.v0);
    vertex(q.x1, q.y0, q.u1, q.v0);
    vertex(q.x0, q.y1, q.u0, q.v1);
    vertex(q.x1, q.y0, q.u1, q.v0);
    vertex(q.x1, q.y1, q.u1, q.v1);
    vertex(q.x0, q.y1, q.u0, q.v1);
  }

  drawCalls_ = 0;
  if (batches_.empty()) return;
  gl.BindVertexArray(vao_);
  gl.BindBuffer(GL_ARRAY_BUFFER, vbo_);
  const size_t bytes = vertices_.size() * sizeof(float);
  if (bytes > vboBytes_) vboBytes_ = std::max(bytes, vboBytes_ * 2);
  // Orphan last frame's storage so the upload never waits for its draws.
  gl.BufferData(GL_ARRAY_BUFFER, static_cast<GLsizeiptr>(vboBytes_), nullptr, GL_STREAM_DRAW);
  gl.BufferSubData(GL_ARRAY_BUFFER, 0, static_cast<GLsizeiptr>(bytes), vertices_.data());

  gl.UseProgram(program_);
  // Destination alpha stays 1: only colour is ever written.
  gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_FALSE);
  int blend = -1;
  GLuint bound = 0;
  for (const Batch& b : batches_) {
    if (b.blend != blend) {
      blend = b.blend;
      SetBlendState(gl, blend);
      gl.Uniform1i(uMode_, blend);
    }
    if (b.texture != bound) {
      bound = b.texture;
      gl.BindTexture(GL_TEXTURE_2D, bound);
    }
    gl.DrawArrays(GL_TRIANGLES, b.first, b.count);
    ++drawCalls_;
  }
  gl.Disable(GL_BLEND);
  gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
}

void GlRenderer::showIn(int drawableWidth, int drawableHeight, int boxX, int boxY, int boxWidth,
                        int boxHeight) {
  if (!ready_) return;
  GlFunctions& gl = *gl_;
  gl.BindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  gl.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  gl.Viewport(0, 0, drawableWidth, drawableHeight);
  gl.ColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
  gl.ClearColor(0, 0, 0, 1);
  gl.Clear(GL_COLOR_BUFFER_BIT);
  gl.BlitFramebuffer(0, 0, width_, height_, boxX, boxY, boxX + boxWidth, boxY + boxHeight,
                     GL_COLOR_BUFFER_BIT, GL_LINEAR);
  gl.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  gl.Flush();
}

void GlRenderer::readPixels(std::vector<uint8_t>& rgba) {
  const size_t row = static_cast<size_t>(width_) * 4;
  rgba.assign(row * static_cast<size_t>(height_), 0);
  if (!ready_) return;
  GlFunctions& gl = *gl_;
  gl.BindFramebuffer(GL_READ_FRAMEBUFFER, fbo_);
  gl.PixelStorei(GL_PACK_ALIGNMENT, 1);
  std::vector<uint8_t> flipped(rgba.size());
  gl.ReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, flipped.data());
  gl.BindFramebuffer(GL_FRAMEBUFFER, fbo_);
  // GL rows run bottom to top.
  for (int y = 0; y < height_; ++y)
    std::memcpy(rgba.data() + static_cast<size_t>(y) * row,
                flipped.data() + static_cast<size_t>(height_ - 1 - y) * row, row);
  for (size_t i = 3; i < rgba.size(); i += 4) rgba[i] = 255;
}

void GlRenderer::finish() {
  if (ready_) gl_->Finish();
}

}  // namespace nr
