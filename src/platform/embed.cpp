#include "platform/embed.h"

#include <map>

namespace nr {
namespace {

// Function-local so that tables registering before main find it built.
std::map<std::string_view, EmbeddedFile>& Registry() {
  static std::map<std::string_view, EmbeddedFile> files;
  return files;
}

}  // namespace

void RegisterEmbedded(const char* name, const unsigned char* data, size_t size) {
  std::string_view key(name);
  Registry()[key] = EmbeddedFile{key, data, size};
}

const EmbeddedFile* FindEmbedded(std::string_view name) {
  auto it = Registry().find(name);
  return it == Registry().end() ? nullptr : &it->second;
}

std::vector<const EmbeddedFile*> AllEmbedded() {
  std::vector<const EmbeddedFile*> all;
  for (auto& [name, file] : Registry()) all.push_back(&file);
  return all;
}

}  // namespace nr
