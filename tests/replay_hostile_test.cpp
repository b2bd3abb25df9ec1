// neonrally-replay against input meant to break it: garbage bytes, NULs,
// huge numbers and lines, missing and repeated values, outputs that cannot
// be written. Each case runs the real binary and must end with a clear,
// short, printable message and the exit status it promises, never a crash.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "platform/embed.h"

extern char** environ;

namespace {

struct Salida {
  bool termino = false;  // ended by exit(), not by a signal
  int codigo = -1;
  std::string out, err;
};

std::string Leer(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Dir() {
  static const std::string dir = [] {
    // Per process: other builds may run these tests at the same time.
    std::string d = ::testing::TempDir() + "/replay_hostile." + std::to_string(getpid());
    std::filesystem::create_directories(d);
    return d;
  }();
  return dir;
}

void Escribir(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// Runs the binary without a shell, so arguments reach it byte for byte.
Salida Correr(const std::vector<std::string>& args) {
  const std::string bin = std::string(NR_BINARY_DIR) + "/neonrally-replay";
  const std::string out = Dir() + "/stdout.txt", err = Dir() + "/stderr.txt";
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&fa, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(bin.c_str()));
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t pid = 0;
  Salida s;
  const int rc = posix_spawn(&pid, bin.c_str(), &fa, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&fa);
  EXPECT_EQ(rc, 0) << "cannot start " << bin;
  if (rc != 0) return s;
  // A case that is wrongly taken for a good one runs the game without end:
  // stop it rather than hang the suite.
  int status = 0;
  for (int ms = 0; waitpid(pid, &status, WNOHANG) == 0; ms += 10) {
    if (ms > 30000) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      ADD_FAILURE() << "still running after 30 s, killed";
      break;
    }
    usleep(10000);
  }
  s.termino = WIFEXITED(status);
  s.codigo = s.termino ? WEXITSTATUS(status) : -WTERMSIG(status);
  s.out = Leer(out);
  s.err = Leer(err);
  return s;
}

// The refusal every case expects: a normal exit with `codigo`, a first line
// "neonrally-replay: ..." holding `por`, short and printable, and no sign
// of a sanitizer report.
void Rechazo(const Salida& s, int codigo, const std::string& por, const std::string& caso) {
  ASSERT_TRUE(s.termino) << caso << ": killed by signal " << -s.codigo << "\n" << s.err;
  EXPECT_EQ(s.codigo, codigo) << caso << "\n" << s.err;
  const std::string primera = s.err.substr(0, s.err.find('\n'));
  EXPECT_EQ(primera.rfind("neonrally-replay: ", 0), 0u) << caso << ": " << primera;
  EXPECT_NE(primera.find(por), std::string::npos) << caso << ": wanted \"" << por << "\" in: " << primera;
  EXPECT_LT(s.err.size(), 600u) << caso << ": a message of " << s.err.size() << " bytes";
  for (unsigned char c : s.err)
    if (c != '\n' && (c < 0x20 || c >= 0x7f)) {
      ADD_FAILURE() << caso << ": unprintable byte " << static_cast<int>(c) << " in the message";
      break;
    }
  EXPECT_EQ(s.err.find("Sanitizer"), std::string::npos) << caso << "\n" << s.err;
  EXPECT_EQ(s.err.find("runtime error"), std::string::npos) << caso << "\n" << s.err;
}

bool HayCatalogo() { return nr::FindEmbedded("gfx2/campo.png") != nullptr; }

TEST(ReplayHostile, MalformedInputFilesAreRefusedWithExitTwoBeforeAnythingRuns) {
  struct Caso {
    const char* nombre;
    std::string bytes;
    const char* por;
  };
  const std::string nul("\0", 1);
  const Caso casos[] = {
      {"a frame number past the last one", "1099511627777 tap SPACE\n", "line 1: frame \"1099511627777\""},
      {"a frame number past any integer", "99999999999999999999999999 tap SPACE\n", "line 1: frame"},
      {"a negative frame past any integer", "-99999999999999999999999999 tap SPACE\n", "line 1: frame"},
      {"a frame in hexadecimal", "0x10 tap SPACE\n", "line 1: frame \"0x10\""},
      {"a frame with a sign", "+3 tap SPACE\n", "line 1: frame \"+3\""},
      {"a raw value one past the bottom", "1 axis 0 1 -32769\n", "line 1: raw axis"},
      {"a raw value one past the top", "1 axis 0 1 32768\n", "line 1: raw axis"},
      {"a raw value past any integer", "1 axis 0 1 -999999999999999999999999\n", "line 1: raw axis"},
      {"a raw value in exponent form", "1 axis 0 0 3e4\n", "line 1: raw axis"},
      {"a port past any integer", "1 button 99999999999999999999 0\n", "line 1: port"},
      {"a negative button", "1 button 0 -1\n", "line 1: button"},
      {"an axis without its value", "1 axis 0 0\n", "line 1: axis takes"},
      {"an axis with one value too many", "1 axis 0 0 5 7\n", "line 1: axis takes"},
      {"a button without its number", "1 unbutton 0\n", "line 1: unbutton takes"},
      {"a tap without its key", "1 tap\t\r\n", "line 1: tap takes"},
      {"a lower-case key", "1 press space\n", "line 1: unknown key \"space\""},
      {"binary garbage", "\x01\xff\xfe\x80\x1b[31mred\x07\n", "line 1: frame \"\\x01\\xff\\xfe\\x80\\x1b[31mred\\x07\""},
      {"a terminal escape as a key", "1 press \x1b[2J\n", "line 1: unknown key \"\\x1b[2J\""},
      {"a NUL inside a key", "1 press SP" + nul + "ACE\n", "line 1: unknown key \"SP\\x00ACE\""},
      {"a line of NULs after good ones", "0 tap SPACE\n" + nul + nul + nul + "\n", "line 2: frame \"\\x00\\x00\\x00\""},
      {"a 100 KB key", "1 press " + std::string(100000, 'A') + "\n", "(100000 bytes)"},
      {"a 100 KB frame number", std::string(100000, '7') + " tap SPACE\n", "(100000 bytes)"},
      {"a 100 KB event name", "1 " + std::string(100000, 'x') + "\n", "line 1: unknown event"},
      {"a bad line after ten thousand good ones",
       [] {
         std::string s;
         for (int i = 0; i < 10000; ++i) s += std::to_string(i) + " axis 0 1 " + std::to_string(i % 32768) + "\n";
         return s + "10000 wiggle\n";
       }(),
       "line 10001: unknown event \"wiggle\""},
  };
  const std::string input = Dir() + "/input.txt", trace = Dir() + "/never.txt";
  for (const Caso& c : casos) {
    Escribir(input, c.bytes);
    std::filesystem::remove(trace);
    const Salida s = Correr({"--input", input, "--trace", trace, "--frames", "5"});
    Rechazo(s, 2, c.por, c.nombre);
    EXPECT_FALSE(std::filesystem::exists(trace)) << c.nombre << ": something ran";
    EXPECT_TRUE(s.out.empty()) << c.nombre;
  }
}

TEST(ReplayHostile, MalformedOptionsAreRefusedWithExitTwo) {
  const std::string dir = Dir();
  const std::string good = dir + "/good.txt";
  Escribir(good, "0 tap SPACE\n");
  struct Caso {
    const char* nombre;
    std::vector<std::string> args;
    const char* por;
  };
  const Caso casos[] = {
      {"frames past the last one", {"--frames", "1099511627777"}, "--frames takes"},
      {"frames past any integer", {"--frames", "99999999999999999999999"}, "--frames takes"},
      {"negative frames", {"--frames", "-5"}, "--frames takes"},
      {"empty frames", {"--frames", ""}, "--frames takes"},
      {"frames with a blank", {"--frames", " 5"}, "--frames takes"},
      {"frames given twice", {"--frames", "5", "--frames", "6"}, "--frames given twice"},
      {"input given twice", {"--input", good, "--input", good}, "--input given twice"},
      {"trace given twice", {"--trace", "-", "--trace", "-"}, "--trace given twice"},
      {"trace kinds given twice", {"--trace", "-", "--trace-only", "draw", "--trace-only", "state"},
       "--trace-only given twice"},
      {"joysticks given twice", {"--joysticks", "1", "--joysticks", "2"}, "--joysticks given twice"},
      {"two shots of one frame", {"--shot", "3:" + dir + "/a.png", "--shot", "3:" + dir + "/b.png"},
       "--shot given twice for frame 3"},
      {"a shot past the last frame", {"--shot", "1099511627777:" + dir + "/a.png"}, "--shot takes"},
      {"a shot without a file", {"--shot", "3:"}, "--shot takes"},
      {"a shot without a frame", {"--shot", ":" + dir + "/a.png"}, "--shot takes"},
      {"negative joysticks", {"--joysticks", "-1"}, "--joysticks takes"},
      {"joysticks past any integer", {"--joysticks", "99999999999999999999"}, "--joysticks takes"},
      {"input without its file", {"--frames", "3", "--input"}, "--input needs a value"},
      {"trace without its file", {"--trace"}, "--trace needs a value"},
      {"an empty trace file name", {"--trace", ""}, "--trace takes"},
      {"trace kinds without their list", {"--trace", "-", "--trace-only"}, "--trace-only needs a value"},
      {"trace kinds without a trace", {"--trace-only", "draw"}, "--trace-only needs --trace"},
      {"an option with its value glued on", {"--frames=5"}, "unknown option \"--frames=5\""},
      {"an empty argument", {""}, "unknown option \"\""},
      {"a stray word", {"play"}, "unknown option \"play\""},
      {"a garbage option", {"--\x1b[31m\xff"}, "unknown option \"--\\x1b[31m\\xff\""},
      {"a 100 KB option", {std::string(100000, '-')}, "(100000 bytes)"},
      {"a directory as input", {"--input", dir}, "cannot read input file"},
      {"a missing input file", {"--input", dir + "/no/such/input.txt"}, "cannot read input file"},
      {"a trace in a directory that is not there", {"--trace", dir + "/no/such/dir/trace.txt"},
       "cannot write trace file"},
      {"a directory as the trace", {"--trace", dir}, "cannot write trace file"},
  };
  for (const Caso& c : casos) {
    const Salida s = Correr(c.args);
    Rechazo(s, 2, c.por, c.nombre);
    EXPECT_TRUE(s.out.empty()) << c.nombre << ": something ran";
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "/no")) << "a refused run made a directory";
}

TEST(ReplayHostile, GarbageInCommentsAndBlankLinesIsHarmless) {
  if (!HayCatalogo()) GTEST_SKIP() << "no game assets in this build";
  const std::string input = Dir() + "/comments.txt";
  const std::string nul("\0", 1);
  Escribir(input, "# \xff\xfe\x01 garbage \x1b[2J\n\n \t\r\n0 tap SPACE # \x80" + nul + " more\n" +
                      "5 axis 0 1 -32768\n");
  const Salida s = Correr({"--input", input, "--frames", "3", "--trace", "-", "--trace-only", "end,sound"});
  ASSERT_TRUE(s.termino) << s.err;
  EXPECT_EQ(s.codigo, 0) << s.err;
  EXPECT_TRUE(s.err.empty()) << s.err;
}

TEST(ReplayHostile, OutputsThatCannotBeWrittenAreReportedNotIgnored) {
  if (!HayCatalogo()) GTEST_SKIP() << "no game assets in this build";
  const std::string dir = Dir();
  // A picture whose directory is missing: the run happens, the failure is
  // reported and the exit status says so.
  Salida s = Correr({"--frames", "3", "--shot", "1:" + dir + "/no/such/dir/shot.png"});
  Rechazo(s, 1, "cannot write", "a shot in a missing directory");
  s = Correr({"--frames", "3", "--shot", "1:" + dir});
  Rechazo(s, 1, "cannot write", "a shot over a directory");
  // A picture of a frame the run never reaches is no picture either.
  const std::string late = dir + "/late.png";
  std::filesystem::remove(late);
  s = Correr({"--frames", "3", "--shot", "2:" + dir + "/ok.png", "--shot", "50:" + late});
  Rechazo(s, 1, "frame 50 was never presented", "a shot after the last frame");
  EXPECT_FALSE(std::filesystem::exists(late));
  EXPECT_TRUE(std::filesystem::exists(dir + "/ok.png")) << "the reachable shot is still written";
  // A trace onto a full disk.
  if (std::filesystem::exists("/dev/full")) {
    s = Correr({"--frames", "3", "--trace", "/dev/full"});
    Rechazo(s, 1, "cannot write trace file \"/dev/full\"", "a trace onto a full device");
  }
  // An existing trace file is not touched by a refused run.
  const std::string kept = dir + "/kept.txt";
  Escribir(kept, "precious\n");
  s = Correr({"--trace", kept, "--frames", "0"});
  Rechazo(s, 2, "--frames takes", "a refused run with an existing trace");
  EXPECT_EQ(Leer(kept), "precious\n");
}

}  // namespace
