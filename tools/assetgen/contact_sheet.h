// One PNG showing every picture on a dark ground, each labelled with its
// name, followed by a few screens composed the way the game draws them.
#pragma once

#include <string>
#include <vector>

#include "text.h"

namespace ag {

bool WriteContactSheet(const Fonts& fonts, const std::string& assetDir, const std::vector<std::string>& names,
                       const std::string& outPath);

}  // namespace ag
