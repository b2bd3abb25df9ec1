// The decoded picture behind a TImage. Shared by the front end and both
// renderers; game code sees only the TImage handle.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// 8-bit RGBA pixels of a whole decoded file, rows top to bottom.
struct PixelBuffer {
  int width = 0;
  int height = 0;
  bool hadAlpha = true;  // false for an RGB file
  std::vector<uint8_t> rgba;
  const uint8_t* at(int x, int y) const {
    return rgba.data() + (static_cast<size_t>(y) * width + x) * 4;
  }
};

// Where a cell's visible pixels lie: the smallest rectangle holding every
// texel of non-zero alpha (empty when w or h is 0), and the rows of the
// alpha >= 128 mask that collisions use.
struct CellInfo {
  int x0 = 0, y0 = 0;  // cell origin in the picture
  int visX = 0, visY = 0, visW = 0, visH = 0;  // relative to the cell
  std::vector<uint64_t> solid;  // one bit per texel, rows of `words` words
  int words = 0;
  // Per cell row, the first and last texel of non-zero alpha (first > last
  // on an empty row): lets a renderer skip the transparent ground.
  std::vector<int16_t> rowFirst, rowLast;
  // Per cell row, bit b set when texels 16b ... 16b + 15 hold non-zero
  // alpha (cells are at most 1024 texels wide).
  std::vector<uint64_t> rowBlocks;
  static constexpr int kBlockShift = 4;
  bool solidAt(int x, int y) const {
    return (solid[static_cast<size_t>(y) * words + (x >> 6)] >> (x & 63)) & 1u;
  }
};

class Image {
 public:
  std::string name;  // embedded name, used by the trace
  std::shared_ptr<const PixelBuffer> pixels;
  std::shared_ptr<const std::vector<CellInfo>> cells;
  int cellWidth = 0;
  int cellHeight = 0;
  int cellCount = 1;
  bool filtered = true;
  float handleX = 0;
  float handleY = 0;
  // Renderer-private slot (a texture name, for instance); 0 until uploaded.
  uintptr_t rendererHandle = 0;

  const CellInfo& cell(int frame) const { return (*cells)[frame]; }
  // RGBA of texel (x, y) of cell `frame`.
  const uint8_t* texel(int frame, int x, int y) const {
    const CellInfo& c = cell(frame);
    return pixels->at(c.x0 + x, c.y0 + y);
  }
};
