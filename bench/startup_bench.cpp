// Start-up on the headless backend, each figure beside a baseline of the same run:
//
//   Startup/execToFirstFrame   a fresh neonrally-replay process run until the
//                              intro's first frame is presented, and its exit
//   Startup/execBaseline       the same binary refusing an option at once:
//                              what exec, linking and exit cost by themselves
//   Startup/firstFrameWarm     the whole program in this process up to its
//                              first frame, with the decoded pictures already
//                              kept from an earlier start
//   Startup/catalogueDecode    every embedded picture and sound decoded as
//                              start-up does it, nothing else
#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <string>
#include <vector>

#include "platform/codec.h"
#include "platform/embed.h"
#include "platform/replay.h"
#include "shell/neonrally.h"

extern char** environ;

namespace {

std::string ReplayBinary() {
  char buf[PATH_MAX];
  const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return "neonrally-replay";
  std::string self(buf, static_cast<size_t>(n));
  return self.substr(0, self.rfind('/') + 1) + "neonrally-replay";
}

// Runs the binary with `args`, its output discarded; the wall time in seconds.
double Exec(const std::vector<std::string>& args, benchmark::State& state) {
  std::vector<char*> argv;
  const std::string path = ReplayBinary();
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = -1;
  if (posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    state.SkipWithError("cannot start neonrally-replay");
    return 0;
  }
  int status = 0;
  waitpid(pid, &status, 0);
  const auto t1 = std::chrono::steady_clock::now();
  posix_spawn_file_actions_destroy(&actions);
  return std::chrono::duration<double>(t1 - t0).count();
}

void ExecToFirstFrame(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(Exec({"--frames", "1"}, state));
}
BENCHMARK(ExecToFirstFrame)
    ->Name("Startup/execToFirstFrame")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

void ExecBaseline(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(Exec({"--no-such-option"}, state));
}
BENCHMARK(ExecBaseline)->Name("Startup/execBaseline")->UseManualTime()->Unit(benchmark::kMillisecond);

void FirstFrameWarm(benchmark::State& state) {
  nr::ReplayOptions o;
  o.frames = 1;
  for (auto _ : state) {
    nr::ReplayResult r = nr::RunReplay(o, NeonRallyMain);
    benchmark::DoNotOptimize(r.frames);
  }
}
BENCHMARK(FirstFrameWarm)->Name("Startup/firstFrameWarm")->Unit(benchmark::kMillisecond);

void CatalogueDecode(benchmark::State& state) {
  std::vector<const nr::EmbeddedFile*> pictures, sounds;
  for (const nr::EmbeddedFile* f : nr::AllEmbedded()) {
    if (f->name.starts_with("gfx")) pictures.push_back(f);
    if (f->name.starts_with("sfx")) sounds.push_back(f);
  }
  for (auto _ : state) {
    for (const nr::EmbeddedFile* f : pictures) {
      auto px = nr::DecodePng(f->data, f->size, true);
      benchmark::DoNotOptimize(px.get());
    }
    for (const nr::EmbeddedFile* f : sounds) {
      Sound s;
      benchmark::DoNotOptimize(nr::DecodeWav(f->data, f->size, s));
    }
  }
  state.counters["pictures"] = static_cast<double>(pictures.size());
  state.counters["sounds"] = static_cast<double>(sounds.size());
}
BENCHMARK(CatalogueDecode)->Name("Startup/catalogueDecode")->Unit(benchmark::kMillisecond);

}  // namespace
