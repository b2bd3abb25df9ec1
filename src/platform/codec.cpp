#include "platform/codec.h"

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstring>

namespace nr {

std::shared_ptr<PixelBuffer> DecodePng(const uint8_t* data, size_t size, bool masked) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, data, size)) return nullptr;
  auto buf = std::make_shared<PixelBuffer>();
  buf->width = static_cast<int>(image.width);
  buf->height = static_cast<int>(image.height);
  buf->hadAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
  image.format = PNG_FORMAT_RGBA;
  buf->rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, buf->rgba.data(), 0, nullptr)) {
    png_image_free(&image);
    return nullptr;
  }
  if (masked && !buf->hadAlpha) {
    for (size_t i = 0; i < buf->rgba.size(); i += 4) {
      uint8_t* p = &buf->rgba[i];
      if ((p[0] | p[1] | p[2]) == 0) p[3] = 0;
    }
  }
  return buf;
}

bool DecodeWav(const uint8_t* data, size_t size, Sound& sound) {
  SDL_RWops* rw = SDL_RWFromConstMem(data, static_cast<int>(size));
  if (!rw) return false;
  SDL_AudioSpec spec;
  Uint8* pcm = nullptr;
  Uint32 bytes = 0;
  if (!SDL_LoadWAV_RW(rw, 1, &spec, &pcm, &bytes)) return false;
  SDL_FreeWAV(pcm);
  sound.channels = spec.channels;
  sound.rate = spec.freq;
  sound.bits = SDL_AUDIO_BITSIZE(spec.format);
  const int64_t frameBytes = int64_t{sound.channels} * (sound.bits / 8);
  if (frameBytes <= 0 || sound.rate <= 0) return false;
  sound.frames = bytes / frameBytes;
  sound.lengthMs = static_cast<int>((sound.frames * 1000 + sound.rate - 1) / sound.rate);
  sound.file = data;
  sound.fileSize = size;
  return true;
}

bool WritePng(const std::string& path, int width, int height, const uint8_t* rgba) {
  png_image image;
  std::memset(&image, 0, sizeof image);
  image.version = PNG_IMAGE_VERSION;
  image.width = static_cast<png_uint_32>(width);
  image.height = static_cast<png_uint_32>(height);
  image.format = PNG_FORMAT_RGBA;
  return png_image_write_to_file(&image, path.c_str(), 0, rgba, 0, nullptr) != 0;
}

}  // namespace nr
