// The replay harness: runs a whole program on the headless backend with
// scripted input, tracing what it draws and plays and what state each frame
// leaves, and writing the pictures of chosen frames.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/headless.h"
#include "platform/runtime.h"

namespace nr {

// What draws the pictures of the shots.
enum class ReplayRenderer {
  kSoft,  // the software rasterizer
  kGl,    // the OpenGL renderer, in a hidden window on the display
};

struct ReplayOptions {
  std::vector<InputEvent> events;
  long frames = -1;                 // stop after this many presented frames; -1: never
  bool trace = false;
  std::string traceFile;            // "-" is standard output; empty: keep in memory
  unsigned traceKinds = kTraceAll;
  std::vector<std::pair<long, std::string>> shots;  // frame, PNG path
  int joysticks = 0;
  ReplayRenderer renderer = ReplayRenderer::kSoft;
};

// One event a line: "FRAME EVENT ARGS", '#' starts a comment. On a bad line
// returns false with "line N: why" in `error`.
bool ParseInputScript(std::string_view text, std::vector<InputEvent>& events, std::string& error);

// The harness's command line (argv[0] excluded). False with a message on a
// bad, missing or repeated option, an unreadable input file or a trace file
// that cannot be written.
bool ParseReplayArgs(const std::vector<std::string>& args, ReplayOptions& options,
                     std::string& error);

struct ReplayResult {
  int exitCode = 0;     // the program's, when it ended
  bool ended = false;   // false when stopped after `frames`
  long frames = 0;      // presented
  int endMs = 0;
  std::string trace;    // when kept in memory
  std::string error;    // a shot that could not be written, or no display for
                        // the OpenGL renderer (then nothing ran)
};

// Runs `program` (the game's whole main) under the headless backend. An
// extra observer, if given, sees every frame too (tests read globals there).
ReplayResult RunReplay(const ReplayOptions& options, const std::function<int()>& program,
                       FrameObserver* extra = nullptr);

// The headless backend of the run in progress (for an observer that wants a
// picture); null outside RunReplay.
HeadlessBackend* ReplayBackend();

}  // namespace nr
