#include "pngio.h"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace ag {

namespace {

uint8_t To8(float v) { return static_cast<uint8_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255.0f)); }

}  // namespace

Image8 Quantise(const Canvas& c) {
  Image8 img{c.w, c.h, std::vector<uint8_t>(static_cast<size_t>(c.w) * c.h * 4, 0)};
  // Ring 0 is visible, 1 and 2 are the bleed rings, 3 is untouched ground.
  std::vector<uint8_t> ring(static_cast<size_t>(c.w) * c.h, 3);
  for (int y = 0; y < c.h; ++y)
    for (int x = 0; x < c.w; ++x) {
      const float* p = c.at(x, y);
      const uint8_t a = To8(p[3]);
      if (a == 0) continue;
      const float inv = 1.0f / p[3];
      uint8_t* d = img.at(x, y);
      d[0] = To8(p[0] * inv);
      d[1] = To8(p[1] * inv);
      d[2] = To8(p[2] * inv);
      d[3] = a;
      ring[static_cast<size_t>(y) * c.w + x] = 0;
    }
  for (uint8_t r = 1; r <= 2; ++r) {
    std::vector<uint8_t> next = ring;
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x) {
        if (ring[static_cast<size_t>(y) * c.w + x] != 3) continue;
        int sum[3] = {0, 0, 0}, n = 0;
        for (int dy = -1; dy <= 1; ++dy)
          for (int dx = -1; dx <= 1; ++dx) {
            const int nx = x + dx, ny = y + dy;
            if (nx < 0 || ny < 0 || nx >= c.w || ny >= c.h) continue;
            if (ring[static_cast<size_t>(ny) * c.w + nx] != r - 1) continue;
            const uint8_t* s = img.at(nx, ny);
            for (int k = 0; k < 3; ++k) sum[k] += s[k];
            ++n;
          }
        if (n == 0) continue;
        uint8_t* d = img.at(x, y);
        for (int k = 0; k < 3; ++k) d[k] = static_cast<uint8_t>((sum[k] + n / 2) / n);
        next[static_cast<size_t>(y) * c.w + x] = r;
      }
    ring = std::move(next);
  }
  return img;
}

namespace {

struct Sink {
  std::vector<uint8_t> bytes;
};

void WriteBytes(png_structp png, png_bytep data, png_size_t n) {
  auto* s = static_cast<Sink*>(png_get_io_ptr(png));
  s->bytes.insert(s->bytes.end(), data, data + n);
}

void Flush(png_structp) {}

// Everything libpng may longjmp out of lives here, with no C++ object
// created after the setjmp.
bool EncodeInto(png_structp png, png_infop info, const Image8& img, bool rgb, bool small, Sink* sink,
                uint8_t* row) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_write_fn(png, sink, WriteBytes, Flush);
  png_set_IHDR(png, info, static_cast<png_uint_32>(img.w), static_cast<png_uint_32>(img.h), 8,
               rgb ? PNG_COLOR_TYPE_RGB : PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  // Measured on the whole catalogue: zlib's levels 1-3 (no lazy matching)
  // code the long transparent runs as copies from far back, which inflate
  // about twice as fast as the distance-1 runs that levels 4-9 pick; and
  // unfiltered rows need no work to undo. Level 3 without filters decodes
  // the catalogue in half the time of level 9 with adaptive filters, for
  // files about a fifth larger.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, small ? PNG_ALL_FILTERS : PNG_FILTER_NONE);
  png_set_compression_level(png, small ? 9 : 3);
  png_set_compression_mem_level(png, 8);
  png_set_compression_window_bits(png, 15);
  png_set_compression_strategy(png, Z_DEFAULT_STRATEGY);
  png_write_info(png, info);
  for (int y = 0; y < img.h; ++y) {
    const uint8_t* src = img.at(0, y);
    if (rgb) {
      for (int x = 0; x < img.w; ++x) std::memcpy(row + static_cast<size_t>(x) * 3, src + x * 4, 3);
    } else {
      std::memcpy(row, src, static_cast<size_t>(img.w) * 4);
    }
    png_write_row(png, row);
  }
  png_write_end(png, info);
  return true;
}

bool Encode(const Image8& img, bool rgb, bool small, std::vector<uint8_t>& out) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  Sink sink;
  std::vector<uint8_t> row(static_cast<size_t>(img.w) * 4);
  const bool ok = info && EncodeInto(png, info, img, rgb, small, &sink, row.data());
  png_destroy_write_struct(&png, &info);
  if (ok) out = std::move(sink.bytes);
  return ok;
}

}  // namespace

bool WritePng(const std::string& path, const Image8& img, bool rgb, bool small) {
  std::vector<uint8_t> bytes;
  if (!Encode(img, rgb, small, bytes)) return false;
  FILE* fp = std::fopen(path.c_str(), "wb");
  if (!fp) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), fp) == bytes.size();
  return std::fclose(fp) == 0 && ok;
}

bool ReadPng(const std::string& path, Image8& img) {
  png_image pi;
  std::memset(&pi, 0, sizeof pi);
  pi.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&pi, path.c_str())) return false;
  pi.format = PNG_FORMAT_RGBA;
  img.w = static_cast<int>(pi.width);
  img.h = static_cast<int>(pi.height);
  img.rgba.assign(PNG_IMAGE_SIZE(pi), 0);
  if (!png_image_finish_read(&pi, nullptr, img.rgba.data(), 0, nullptr)) {
    png_image_free(&pi);
    return false;
  }
  return true;
}

}  // namespace ag
