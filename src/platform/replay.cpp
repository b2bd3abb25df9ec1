#include "platform/replay.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>

#include "platform/codec.h"
#include "platform/gl_offscreen.h"
#include "platform/platform.h"

namespace nr {
namespace {

const std::map<std::string_view, int>& KeyNames() {
  static const std::map<std::string_view, int> names = {
      {"ESC", KEY_ESCAPE}, {"SPACE", KEY_SPACE}, {"LEFT", KEY_LEFT}, {"UP", KEY_UP},
      {"RIGHT", KEY_RIGHT}, {"DOWN", KEY_DOWN}, {"A", KEY_A},       {"Q", KEY_Q}};
  return names;
}

constexpr long kLastFrame = 1L << 40;

// A word of the input or of the command line as a message shows it: bytes
// that are not printable ASCII escaped, and a long word cut short, so that
// garbage cannot flood or scramble the terminal.
std::string Quoted(std::string_view word) {
  constexpr size_t kShown = 40;
  std::string out = "\"";
  for (size_t i = 0; i < word.size() && i < kShown; ++i) {
    const unsigned char c = static_cast<unsigned char>(word[i]);
    if (c >= 0x20 && c < 0x7f && c != '"' && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02x", c);
      out += hex;
    }
  }
  out += '"';
  if (word.size() > kShown) out += "... (" + std::to_string(word.size()) + " bytes)";
  return out;
}

bool ToInt(std::string_view word, long lo, long hi, long& out) {
  long v = 0;
  auto [end, ec] = std::from_chars(word.data(), word.data() + word.size(), v);
  if (ec != std::errc() || end != word.data() + word.size() || v < lo || v > hi) return false;
  out = v;
  return true;
}

std::vector<std::string_view> Words(std::string_view line) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t' || line[i] == '\r')) ++i;
    size_t j = i;
    while (j < line.size() && line[j] != ' ' && line[j] != '\t' && line[j] != '\r') ++j;
    if (j > i) words.push_back(line.substr(i, j - i));
    i = j;
  }
  return words;
}

struct ShotState {
  std::map<long, std::string> pending;
  std::string error;
};

class Harness final : public FrameObserver {
 public:
  Harness(const ReplayOptions& o, FrameObserver* extra, HeadlessBackend* backend, OffscreenGl* gl)
      : options_(o), extra_(extra), backend_(backend), gl_(gl) {
    for (auto& [frame, path] : o.shots) shots_[frame] = path;
  }
  void beforePresent(long frame, const std::vector<DrawCmd>& commands) override {
    if (extra_) extra_->beforePresent(frame, commands);
  }
  void afterPresent(long frame) override {
    auto shot = shots_.find(frame);
    if (shot != shots_.end()) {
      std::vector<uint8_t> rgba = gl_ ? gl_->picture(backend_->picture()) : backend_->rasterize();
      if (!WritePng(shot->second, HeadlessBackend::kWidth, HeadlessBackend::kHeight, rgba.data()) &&
          error.empty())
        error = "cannot write " + shot->second;
    }
    if (extra_) extra_->afterPresent(frame);
    if (options_.frames >= 0 && frame + 1 >= options_.frames) throw Stop{};
  }
  struct Stop {};
  std::string error;

 private:
  const ReplayOptions& options_;
  FrameObserver* extra_;
  HeadlessBackend* backend_;
  OffscreenGl* gl_;
  std::map<long, std::string> shots_;
};

HeadlessBackend* gCurrent = nullptr;

}  // namespace

HeadlessBackend* ReplayBackend() { return gCurrent; }

bool ParseInputScript(std::string_view text, std::vector<InputEvent>& events, std::string& error) {
  events.clear();
  long lineNo = 0;
  while (!text.empty() || lineNo == 0) {
    ++lineNo;
    size_t nl = text.find('\n');
    std::string_view line = text.substr(0, nl);
    text = nl == std::string_view::npos ? std::string_view() : text.substr(nl + 1);
    if (size_t hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
    std::vector<std::string_view> w = Words(line);
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(lineNo) + ": " + why;
      return false;
    };
    if (w.empty()) {
      if (text.empty()) break;
      continue;
    }
    long frame = 0;
    if (!ToInt(w[0], 0, kLastFrame, frame))
      return fail("frame " + Quoted(w[0]) + " is not a frame number (0 to " + std::to_string(kLastFrame) + ")");
    if (w.size() < 2) return fail("an event is missing after the frame number");
    std::string_view ev = w[1];
    InputEvent e;
    e.frame = frame;
    auto want = [&](size_t n) { return w.size() == n + 2; };
    if (ev == "press" || ev == "release" || ev == "tap") {
      if (!want(1)) return fail(std::string(ev) + " takes one key");
      auto k = KeyNames().find(w[2]);
      if (k == KeyNames().end())
        return fail("unknown key " + Quoted(w[2]) + " (ESC SPACE LEFT UP RIGHT DOWN A Q)");
      e.key = k->second;
      e.kind = ev == "release" ? InputEvent::kRelease : InputEvent::kPress;
      events.push_back(e);
      if (ev == "tap") {
        e.kind = InputEvent::kRelease;
        e.frame = frame + 1;
        events.push_back(e);
      }
    } else if (ev == "axis") {
      long port = 0, axis = 0, raw = 0;
      if (!want(3)) return fail("axis takes PORT AXIS RAW");
      if (!ToInt(w[2], 0, 7, port)) return fail("port must be 0 to 7");
      if (!ToInt(w[3], 0, 1, axis)) return fail("axis must be 0 or 1");
      if (!ToInt(w[4], -32768, 32767, raw)) return fail("raw axis value must be -32768 to 32767");
      e.kind = InputEvent::kAxis;
      e.port = static_cast<int>(port);
      e.index = static_cast<int>(axis);
      e.value = static_cast<int>(raw);
      events.push_back(e);
    } else if (ev == "button" || ev == "unbutton") {
      long port = 0, button = 0;
      if (!want(2)) return fail(std::string(ev) + " takes PORT BUTTON");
      if (!ToInt(w[2], 0, 7, port)) return fail("port must be 0 to 7");
      if (!ToInt(w[3], 0, 31, button)) return fail("button must be 0 to 31");
      e.kind = ev == "button" ? InputEvent::kButton : InputEvent::kUnbutton;
      e.port = static_cast<int>(port);
      e.index = static_cast<int>(button);
      events.push_back(e);
    } else {
      return fail("unknown event " + Quoted(ev));
    }
    if (text.empty()) break;
  }
  return true;
}

bool ParseReplayArgs(const std::vector<std::string>& args, ReplayOptions& o, std::string& error) {
  auto value = [&](size_t& i, const std::string& opt, std::string& out) {
    if (i + 1 >= args.size()) {
      error = opt + " needs a value";
      return false;
    }
    out = args[++i];
    return true;
  };
  // Every option but --shot means one thing: said twice it is a mistake,
  // not a change of mind.
  std::set<std::string> seen;
  std::set<long> shotFrames;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::string v;
    long n = 0;
    const bool single = a == "--input" || a == "--frames" || a == "--trace" || a == "--trace-only" ||
                        a == "--joysticks" || a == "--renderer";
    if (single && !seen.insert(a).second) {
      error = a + " given twice";
      return false;
    }
    if (a == "--input") {
      if (!value(i, a, v)) return false;
      // A directory opens like a file and reads as nothing.
      std::error_code ec;
      std::ifstream in;
      if (!std::filesystem::is_directory(v, ec)) in.open(v, std::ios::binary);
      if (!in.is_open() || !in) {
        error = "cannot read input file " + Quoted(v);
        return false;
      }
      std::stringstream text;
      text << in.rdbuf();
      if (in.bad()) {
        error = "cannot read input file " + Quoted(v);
        return false;
      }
      std::string why;
      if (!ParseInputScript(text.str(), o.events, why)) {
        error = Quoted(v) + ": " + why;
        return false;
      }
    } else if (a == "--frames") {
      if (!value(i, a, v)) return false;
      if (!ToInt(v, 1, kLastFrame, n)) {
        error = "--frames takes a number of frames, 1 to " + std::to_string(kLastFrame);
        return false;
      }
      o.frames = n;
    } else if (a == "--trace") {
      if (!value(i, a, v)) return false;
      if (v.empty()) {
        error = "--trace takes a file name or -";
        return false;
      }
      o.trace = true;
      o.traceFile = v;
    } else if (a == "--trace-only") {
      if (!value(i, a, v)) return false;
      if (!ParseTraceKinds(v, o.traceKinds)) {
        error = "--trace-only takes a comma-separated list of draw, sound, stop, state, end";
        return false;
      }
    } else if (a == "--shot") {
      if (!value(i, a, v)) return false;
      size_t colon = v.find(':');
      if (colon == std::string::npos || !ToInt(std::string_view(v).substr(0, colon), 0, kLastFrame, n) ||
          colon + 1 >= v.size()) {
        error = "--shot takes FRAME:FILE.png";
        return false;
      }
      if (!shotFrames.insert(n).second) {
        error = "--shot given twice for frame " + std::to_string(n);
        return false;
      }
      o.shots.emplace_back(n, v.substr(colon + 1));
    } else if (a == "--joysticks") {
      if (!value(i, a, v)) return false;
      if (!ToInt(v, 0, 8, n)) {
        error = "--joysticks takes 0 to 8";
        return false;
      }
      o.joysticks = static_cast<int>(n);
    } else if (a == "--renderer") {
      if (!value(i, a, v)) return false;
      if (v == "soft") o.renderer = ReplayRenderer::kSoft;
      else if (v == "gl") o.renderer = ReplayRenderer::kGl;
      else {
        error = "--renderer takes gl or soft";
        return false;
      }
    } else {
      error = "unknown option " + Quoted(a);
      return false;
    }
  }
  if (seen.count("--trace-only") && !o.trace) {
    error = "--trace-only needs --trace";
    return false;
  }
  // A trace that cannot be written is refused before anything runs. Opened
  // for appending, so that the check itself destroys nothing.
  if (o.trace && o.traceFile != "-") {
    std::error_code ec;
    if (std::filesystem::is_directory(o.traceFile, ec)) {
      error = "cannot write trace file " + Quoted(o.traceFile) + ": it is a directory";
      return false;
    }
    FILE* f = std::fopen(o.traceFile.c_str(), "ab");
    if (!f) {
      error = "cannot write trace file " + Quoted(o.traceFile) + ": " + std::strerror(errno);
      return false;
    }
    std::fclose(f);
  }
  return true;
}

ReplayResult RunReplay(const ReplayOptions& o, const std::function<int()>& program,
                       FrameObserver* extra) {
  ReplayResult result;
  // The OpenGL renderer needs a display: without one, fail before the
  // program runs.
  std::unique_ptr<OffscreenGl> gl;
  if (o.renderer == ReplayRenderer::kGl) {
    gl = std::make_unique<OffscreenGl>();
    std::string why;
    if (!gl->open(HeadlessBackend::kWidth, HeadlessBackend::kHeight, why)) {
      result.error = "--renderer gl: no display: " + why;
      return result;
    }
  }
  FILE* file = nullptr;
  if (o.trace && o.traceFile == "-") file = stdout;
  else if (o.trace && !o.traceFile.empty()) file = std::fopen(o.traceFile.c_str(), "wb");
  if (o.trace && !o.traceFile.empty() && !file) {
    result.error = "cannot write trace file " + Quoted(o.traceFile);
    return result;
  }
  auto owned = std::make_unique<HeadlessBackend>(o.events, o.joysticks);
  HeadlessBackend* backend = owned.get();
  InstallBackend(std::move(owned));
  gCurrent = backend;

  Trace trace(o.trace ? o.traceKinds : 0u, file);
  Harness harness(o, extra, backend, gl.get());
  SetTrace(o.trace ? &trace : nullptr);
  SetFrameObserver(&harness);
  backend->deliver(0, Input());

  try {
    result.exitCode = program();
    result.ended = true;
  } catch (const Harness::Stop&) {
    result.ended = false;
  }
  result.frames = FramesPresented();
  result.endMs = backend->millis();
  if (result.ended) trace.end(result.frames, result.endMs);
  trace.flush();
  result.trace = trace.text();
  result.error = harness.error;
  for (const auto& [frame, path] : o.shots)
    if (frame >= result.frames && result.error.empty())
      result.error = "no picture for " + Quoted(path) + ": frame " + std::to_string(frame) +
                     " was never presented (the run presented " + std::to_string(result.frames) + ")";

  SetFrameObserver(nullptr);
  SetTrace(nullptr);
  gCurrent = nullptr;
  UninstallBackend();
  // A full disk or a closed pipe shows only here.
  bool written = true;
  if (file == stdout) written = std::fflush(stdout) == 0 && !std::ferror(stdout);
  else if (file) {
    written = !std::ferror(file);
    if (std::fclose(file) != 0) written = false;
  }
  if (!written && result.error.empty()) result.error = "cannot write trace file " + Quoted(o.traceFile);
  return result;
}

}  // namespace nr
