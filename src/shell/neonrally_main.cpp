// neonrally: the game on the real display.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "platform/runtime.h"
#include "platform/sdl_backend.h"
#include "shell/neonrally.h"

namespace {

const char kHelp[] =
    "usage: neonrally [--windowed] [--stats]\n"
    "Neon Rally: two neon paddles, one ball.\n"
    "\n"
    "options:\n"
    "  --windowed   play in a resizable window instead of full screen\n"
    "  --stats      print frame pacing figures on exit\n"
    "  --help       show this text and exit\n"
    "  --version    show the version and exit\n"
    "\n"
    "controls:\n"
    "  one player    cursor keys or joystick 1\n"
    "  two players   player 1: A and Q or joystick 1\n"
    "                player 2: cursor keys or joystick 2\n"
    "  SPACE or joystick button 1   confirm\n"
    "  ESC or joystick button 2     pause\n";

}  // namespace

int main(int argc, char** argv) {
  nr::SdlOptions options;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--windowed") == 0) {
      options.windowed = true;
    } else if (std::strcmp(a, "--stats") == 0) {
      options.stats = true;
    } else if (std::strcmp(a, "--help") == 0) {
      std::fputs(kHelp, stdout);
      return 0;
    } else if (std::strcmp(a, "--version") == 0) {
      std::printf("neonrally %s\n", NR_VERSION);
      return 0;
    } else {
      std::fprintf(stderr, "neonrally: unknown option '%s'\n%s", a, kHelp);
      return 2;
    }
  }

  auto backend = std::make_unique<nr::SdlBackend>(options);
  // Fail before decoding anything when there is no display to play on.
  std::string error;
  if (!backend->initVideo(error)) {
    std::fprintf(stderr, "neonrally: no display: %s\n", error.c_str());
    return 1;
  }
  nr::InstallBackend(std::move(backend));
  const int status = NeonRallyMain();
  // Closes the window, the audio and SDL before the statics go.
  nr::UninstallBackend();
  return status;
}
