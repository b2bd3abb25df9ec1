// The desktop icon: the title's lettering on a dark rounded square.
#pragma once

#include <string>

namespace ag {

// Reads gfx2/titulo.png under `assetDir` and writes a `size` x `size` RGBA
// PNG; false (with a message) when the title cannot be read or the icon
// written.
bool WriteIcon(const std::string& assetDir, const std::string& outPath, int size);

}  // namespace ag
