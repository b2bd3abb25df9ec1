// Decoding of the embedded PNG and WAV files, and PNG writing for screenshots.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/image.h"
#include "platform/sound.h"

namespace nr {

// Decodes an 8-bit RGB or RGBA PNG into RGBA. With `masked`, a picture
// without alpha gets alpha 0 on its pure black pixels. Null on a bad file.
std::shared_ptr<PixelBuffer> DecodePng(const uint8_t* data, size_t size, bool masked);

// Reads the format and length of a RIFF WAV through SDL's loader; false on
// a bad file. Fills every field of `sound` but the name and handle.
bool DecodeWav(const uint8_t* data, size_t size, Sound& sound);

// Writes RGBA rows as a PNG file; false on failure.
bool WritePng(const std::string& path, int width, int height, const uint8_t* rgba);

}  // namespace nr
