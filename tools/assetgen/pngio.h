// Writing the pictures as PNG, byte for byte the same on every run, and
// reading them back for the contact sheet.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "canvas.h"

namespace ag {

// 8-bit straight-alpha RGBA.
struct Image8 {
  int w = 0, h = 0;
  std::vector<uint8_t> rgba;
  uint8_t* at(int x, int y) { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
  const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * w + x) * 4]; }
};

// Rounds the canvas to 8 bits. Fully transparent texels become 0,0,0,0,
// except the two rings of texels around visible ones, which take the mean
// colour of their visible (or first-ring) neighbours so that bilinear
// filtering draws no dark fringe.
Image8 Quantise(const Canvas& c);

// RGBA (colour type 6) or, with `rgb`, RGB (colour type 2) dropping alpha.
// No ancillary chunks; fixed zlib settings chosen for decoding speed, or
// with `small` for size (the contact sheet, which the game never decodes).
bool WritePng(const std::string& path, const Image8& img, bool rgb = false, bool small = false);

// Decodes any 8-bit PNG into RGBA; false on failure.
bool ReadPng(const std::string& path, Image8& img);

}  // namespace ag
