// neonrally-replay: the whole game on the headless backend, driven by a
// script of input events, writing a trace and chosen frames' pictures.
#include <cstdio>
#include <string>
#include <vector>

#include "platform/replay.h"
#include "shell/neonrally.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  nr::ReplayOptions options;
  std::string error;
  if (!nr::ParseReplayArgs(args, options, error)) {
    std::fprintf(stderr, "neonrally-replay: %s\n", error.c_str());
    std::fprintf(stderr,
                 "usage: neonrally-replay [--input FILE] [--frames N] [--trace FILE|-]\n"
                 "       [--trace-only KINDS] [--shot N:FILE.png]... [--joysticks N]\n"
                 "       [--renderer soft|gl]\n");
    return 2;
  }
  RegistrarEstadoTraza();
  nr::ReplayResult result = nr::RunReplay(options, NeonRallyMain);
  if (!result.error.empty()) {
    std::fprintf(stderr, "neonrally-replay: %s\n", result.error.c_str());
    return 1;
  }
  return 0;
}
