// neonrally-assetgen: draws every picture and synthesises every sound of the
// game into assets/, byte for byte the same on every run.
//
//   neonrally-assetgen [--fonts DIR] --out ASSETS_DIR [NAME...]
//   neonrally-assetgen [--fonts DIR] --contact-sheet ASSETS_DIR OUT.png
//   neonrally-assetgen --icon ASSETS_DIR OUT.png
//
// With names, only those files are made. Work is split over threads by file;
// each file depends on nothing but its own drawing, so the split cannot
// change a byte.
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "art.h"
#include "contact_sheet.h"
#include "icon.h"
#include "pngio.h"

namespace {

const char* kDefaultFonts = "/usr/share/fonts/truetype/dejavu";
constexpr int kIconSize = 256;

std::vector<ag::Picture> Pictures(const ag::Fonts& fonts) {
  std::vector<ag::Picture> out;
  ag::AddMenuArt(out, fonts);
  ag::AddMatchArt(out, fonts);
  ag::AddEffectArt(out, fonts);
  return out;
}

bool Wanted(const std::vector<std::string>& only, const std::string& name) {
  return only.empty() || std::find(only.begin(), only.end(), name) != only.end();
}

int Generate(const std::string& fontDir, const std::filesystem::path& out, const std::vector<std::string>& only) {
  for (const char* d : {"gfx", "gfx2", "sfx", "sfx2"}) std::filesystem::create_directories(out / d);
  std::vector<ag::Audio> sounds;
  ag::AddSounds(sounds);
  size_t pictureCount = 0;
  {
    ag::Fonts fonts(fontDir);
    pictureCount = Pictures(fonts).size();
  }
  const size_t total = pictureCount + sounds.size();
  std::atomic<size_t> next{0};
  std::atomic<bool> failed{false};
  auto worker = [&] {
    // FreeType faces are not shared between threads: each has its own.
    ag::Fonts fonts(fontDir);
    const std::vector<ag::Picture> pictures = Pictures(fonts);
    for (size_t i; (i = next++) < total;) {
      if (i < pictureCount) {
        const ag::Picture& p = pictures[i];
        if (!Wanted(only, p.name)) continue;
        const ag::Canvas c = p.draw();
        if (c.w != p.w || c.h != p.h) {
          std::fprintf(stderr, "assetgen: %s drawn at %dx%d instead of %dx%d\n", p.name.c_str(), c.w, c.h, p.w, p.h);
          failed = true;
          continue;
        }
        if (!ag::WritePng((out / p.name).string(), ag::Quantise(c), p.rgb)) {
          std::fprintf(stderr, "assetgen: cannot write %s\n", p.name.c_str());
          failed = true;
        }
      } else {
        const ag::Audio& a = sounds[i - pictureCount];
        if (!Wanted(only, a.name)) continue;
        if (!ag::WriteWav((out / a.name).string(), a.make())) {
          std::fprintf(stderr, "assetgen: cannot write %s\n", a.name.c_str());
          failed = true;
        }
      }
    }
  };
  const unsigned n = std::max(1u, std::min(4u, std::thread::hardware_concurrency()));
  std::vector<std::thread> threads;
  for (unsigned t = 0; t < n; ++t) threads.emplace_back(worker);
  for (std::thread& t : threads) t.join();
  return failed ? 1 : 0;
}

void Usage() {
  std::fprintf(stderr,
               "usage: neonrally-assetgen [--fonts DIR] --out ASSETS_DIR [NAME...]\n"
               "       neonrally-assetgen [--fonts DIR] --contact-sheet ASSETS_DIR OUT.png\n"
               "       neonrally-assetgen --icon ASSETS_DIR OUT.png\n");
}

}  // namespace

int main(int argc, char** argv) {
  std::string fonts = kDefaultFonts;
  std::string out, sheetAssets, sheetOut, iconAssets, iconOut;
  std::vector<std::string> only;
  for (int i = 1; i < argc; ++i) {
    const std::string a = argv[i];
    if (a == "--fonts" && i + 1 < argc) {
      fonts = argv[++i];
    } else if (a == "--out" && i + 1 < argc) {
      out = argv[++i];
    } else if (a == "--contact-sheet" && i + 2 < argc) {
      sheetAssets = argv[++i];
      sheetOut = argv[++i];
    } else if (a == "--icon" && i + 2 < argc) {
      iconAssets = argv[++i];
      iconOut = argv[++i];
    } else if (!a.empty() && a[0] != '-') {
      only.push_back(a);
    } else {
      Usage();
      return 2;
    }
  }
  if (!iconOut.empty()) return ag::WriteIcon(iconAssets, iconOut, kIconSize) ? 0 : 1;
  if (!sheetOut.empty()) {
    ag::Fonts f(fonts);
    std::vector<std::string> names;
    for (const ag::Picture& p : Pictures(f)) names.push_back(p.name);
    return ag::WriteContactSheet(f, sheetAssets, names, sheetOut) ? 0 : 1;
  }
  if (out.empty()) {
    Usage();
    return 2;
  }
  return Generate(fonts, out, only);
}
