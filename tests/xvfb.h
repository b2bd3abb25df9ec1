// A private X server for the real-display tests: Xvfb on a display number
// it picks itself, Mesa's software OpenGL, screen capture through xwd, and
// running a program with a chosen environment.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace xvfb {

bool Installed(const char* program);

// The X screen as RGB, rows top to bottom.
struct Screen {
  int width = 0, height = 0;
  std::vector<uint8_t> rgb;
  const uint8_t* at(int x, int y) const {
    return rgb.data() + (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
  }
};

// Reads an xwd dump of a TrueColor screen (ZPixmap, 24 or 32 bits a pixel).
bool ParseXwd(const std::string& bytes, Screen& screen, std::string& error);

class Server {
 public:
  Server() = default;
  // One started by someone else, on `display`: used, never stopped.
  explicit Server(std::string display) : display_(std::move(display)) {}
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  bool start(int width, int height, std::string& error);
  void stop();
  const std::string& display() const { return display_; }
  bool owned() const { return pid_ > 0; }
  bool capture(Screen& screen, std::string& error) const;

 private:
  pid_t pid_ = -1;
  std::string display_;
};

// A child process with `env` changes (an empty value unsets the variable),
// its output collected in files.
struct Child {
  pid_t pid = -1;
  std::string outPath, errPath;
};
Child Spawn(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env);
// Waits up to `timeoutMs`; the wait status, or nullopt on a timeout (the
// child is then killed).
std::optional<int> Wait(Child& child, int timeoutMs);
std::string ReadFile(const std::string& path);

struct Run {
  int status = -1;  // wait status
  std::string out, err;
};
Run RunProgram(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env,
               int timeoutMs);

}  // namespace xvfb
