// The software reference rasterizer: the same blend math, bilinear
// filtering and float positions as the OpenGL renderer, in plain C++.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/backend.h"

namespace nr {

// Draws `commands` in order onto `rgba` (width * height * 4 bytes, rows top
// to bottom); a clear command paints it black. The alpha byte stays 255.
void Rasterize(const std::vector<DrawCmd>& commands, uint8_t* rgba, int width, int height);

}  // namespace nr
