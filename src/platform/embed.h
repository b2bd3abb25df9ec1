// Files carried inside the executable, found by path-like names such as
// "gfx2/campo.png". The build generates the tables; the game opens no file.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace nr {

struct EmbeddedFile {
  std::string_view name;
  const unsigned char* data;
  size_t size;
};

// Called by the generated tables before main.
void RegisterEmbedded(const char* name, const unsigned char* data, size_t size);

// Null when no file of that name is embedded.
const EmbeddedFile* FindEmbedded(std::string_view name);

std::vector<const EmbeddedFile*> AllEmbedded();

}  // namespace nr
