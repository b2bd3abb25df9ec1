// The replay trace: one tab-separated record per draw, sound, stop, frame
// state and program end, each led by its frame number.
#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "platform/backend.h"

namespace nr {

enum TraceKind : unsigned {
  kTraceDraw = 1,
  kTraceSound = 2,
  kTraceStop = 4,
  kTraceState = 8,
  kTraceEnd = 16,
  kTraceAll = 31,
};

// Parses "draw,state" into a mask; false on an unknown kind.
bool ParseTraceKinds(std::string_view list, unsigned& mask);

// Plain decimal with up to four decimals: 3, 0.6, -30, 1.0001.
void AppendNumber(std::string& out, double value);

// The key=value pairs of one frame's state record, in the order written.
class StateWriter {
 public:
  void put(std::string_view key, int value);
  void put(std::string_view key, float value);
  const std::string& text() const { return text_; }
  void clear() { text_.clear(); }

 private:
  void key(std::string_view key);
  std::string text_;
};

using StateReporter = std::function<void(StateWriter&)>;

class Trace {
 public:
  explicit Trace(unsigned kinds, FILE* file = nullptr) : kinds_(kinds), file_(file) {}
  ~Trace() { flush(); }
  bool wants(unsigned kind) const { return (kinds_ & kind) != 0; }

  void draw(long frame, const DrawCmd& cmd);
  void sound(long frame, std::string_view name, int channel);
  void stop(long frame, int channel);
  void state(long frame, const StateWriter& pairs);
  void end(long frame, int ms);

  // Without a file the records accumulate here.
  const std::string& text() const { return text_; }
  void flush();

 private:
  void maybeFlush();
  unsigned kinds_;
  FILE* file_;
  std::string text_;
};

}  // namespace nr
