#include "xvfb.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace xvfb {
namespace {

uint32_t Card32(const std::string& b, size_t at) {
  return static_cast<uint32_t>(static_cast<uint8_t>(b[at])) << 24 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 1])) << 16 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 2])) << 8 |
         static_cast<uint32_t>(static_cast<uint8_t>(b[at + 3]));
}

int Shift(uint32_t mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> p;
  for (std::string& s : strings) p.push_back(s.data());
  p.push_back(nullptr);
  return p;
}

std::string TempPath(const char* tag) {
  static int serial = 0;
  return "/tmp/nr-xvfb-" + std::to_string(getpid()) + "-" + std::to_string(++serial) + "-" + tag;
}

}  // namespace

bool Installed(const char* program) {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':'))
    if (!dir.empty() && access((dir + "/" + program).c_str(), X_OK) == 0) return true;
  return false;
}

bool ParseXwd(const std::string& b, Screen& screen, std::string& error) {
  if (b.size() < 100) {
    error = "xwd output too short";
    return false;
  }
  const uint32_t headerSize = Card32(b, 0), version = Card32(b, 4), format = Card32(b, 8);
  const uint32_t width = Card32(b, 16), height = Card32(b, 20), byteOrder = Card32(b, 28);
  const uint32_t bitsPerPixel = Card32(b, 44), bytesPerLine = Card32(b, 48);
  const uint32_t masks[3] = {Card32(b, 56), Card32(b, 60), Card32(b, 64)};
  const uint32_t ncolors = Card32(b, 76);
  if (version != 7 || format != 2 || (bitsPerPixel != 32 && bitsPerPixel != 24)) {
    error = "unexpected xwd format";
    return false;
  }
  const size_t data = headerSize + static_cast<size_t>(ncolors) * 12;
  if (b.size() < data + static_cast<size_t>(bytesPerLine) * height) {
    error = "xwd pixels cut short";
    return false;
  }
  screen.width = static_cast<int>(width);
  screen.height = static_cast<int>(height);
  screen.rgb.assign(static_cast<size_t>(width) * height * 3, 0);
  const size_t bpp = bitsPerPixel / 8;
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const size_t at = data + static_cast<size_t>(y) * bytesPerLine + x * bpp;
      uint32_t v = 0;
      for (size_t i = 0; i < bpp; ++i) {
        const uint32_t byte = static_cast<uint8_t>(b[at + i]);
        v |= byteOrder == 0 ? byte << (8 * i) : byte << (8 * (bpp - 1 - i));
      }
      uint8_t* out = screen.rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
      for (int c = 0; c < 3; ++c) out[c] = static_cast<uint8_t>((v & masks[c]) >> Shift(masks[c]));
    }
  }
  return true;
}

Server::~Server() { stop(); }

bool Server::start(int width, int height, std::string& error) {
  int fds[2];
  if (pipe(fds) != 0) {
    error = "pipe failed";
    return false;
  }
  // Xvfb picks a free display itself and writes its number on the pipe
  // once it accepts connections.
  std::vector<std::string> args = {"Xvfb",        "-displayfd", "3",
                                   "-screen",     "0",          std::to_string(width) + "x" + std::to_string(height) + "x24",
                                   "-nolisten",   "tcp",        "-noreset"};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // Only the pipe goes to the server: an inherited descriptor (a test
  // runner's output pipe, say) would be held open for as long as it runs.
  posix_spawn_file_actions_adddup2(&actions, fds[1], 3);
  posix_spawn_file_actions_addclosefrom_np(&actions, 4);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  std::vector<char*> argv = Pointers(args);
  const int rc = posix_spawnp(&pid_, "Xvfb", &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    pid_ = -1;
    error = "cannot start Xvfb";
    return false;
  }
  std::string number;
  pollfd p{fds[0], POLLIN, 0};
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  while (std::chrono::steady_clock::now() < until) {
    if (poll(&p, 1, 200) <= 0) continue;
    char c;
    const ssize_t n = read(fds[0], &c, 1);
    if (n <= 0 || c == '\n') break;
    number += c;
  }
  close(fds[0]);
  if (number.empty()) {
    error = "Xvfb did not report its display";
    stop();
    return false;
  }
  display_ = ":" + number;
  return true;
}

void Server::stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status = 0;
  waitpid(pid_, &status, 0);
  pid_ = -1;
}

bool Server::capture(Screen& screen, std::string& error) const {
  Run r = RunProgram({"xwd", "-root", "-silent", "-display", display_}, {}, 20000);
  if (!WIFEXITED(r.status) || WEXITSTATUS(r.status) != 0) {
    error = "xwd failed: " + r.err;
    return false;
  }
  return ParseXwd(r.out, screen, error);
}

Child Spawn(const std::vector<std::string>& argvIn, const std::map<std::string, std::string>& env) {
  Child child;
  child.outPath = TempPath("out");
  child.errPath = TempPath("err");
  std::vector<std::string> envs;
  for (char** e = environ; *e; ++e) {
    const std::string kv = *e;
    const std::string key = kv.substr(0, kv.find('='));
    if (!env.count(key)) envs.push_back(kv);
  }
  for (const auto& [k, v] : env)
    if (!v.empty()) envs.push_back(k + "=" + v);
  // The X and OpenGL libraries leave a few bytes behind in modules they
  // unload again, where a suppression cannot name them: a sanitized child
  // is not checked for leaks (the in-process tests are).
  if (!env.count("LSAN_OPTIONS") && !std::getenv("LSAN_OPTIONS")) envs.push_back("LSAN_OPTIONS=detect_leaks=0");
  std::vector<std::string> args = argvIn;
  std::vector<char*> argv = Pointers(args), envp = Pointers(envs);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, child.outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addopen(&actions, 2, child.errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  if (posix_spawnp(&child.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) child.pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return child;
}

std::optional<int> Wait(Child& child, int timeoutMs) {
  if (child.pid <= 0) return std::nullopt;
  const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  int status = 0;
  while (true) {
    const pid_t r = waitpid(child.pid, &status, WNOHANG);
    if (r == child.pid) {
      child.pid = -1;
      return status;
    }
    if (std::chrono::steady_clock::now() >= until) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  kill(child.pid, SIGKILL);
  waitpid(child.pid, &status, 0);
  child.pid = -1;
  return std::nullopt;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

Run RunProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               int timeoutMs) {
  Child c = Spawn(argv, env);
  Run r;
  const std::optional<int> status = Wait(c, timeoutMs);
  r.status = status ? *status : -1;
  r.out = ReadFile(c.outPath);
  r.err = ReadFile(c.errPath);
  unlink(c.outPath.c_str());
  unlink(c.errPath.c_str());
  return r;
}

}  // namespace xvfb
