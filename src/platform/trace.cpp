#include "platform/trace.h"

#include <cmath>
#include <cstdio>

#include "platform/image.h"

namespace nr {

bool ParseTraceKinds(std::string_view list, unsigned& mask) {
  mask = 0;
  while (!list.empty()) {
    size_t comma = list.find(',');
    std::string_view word = list.substr(0, comma);
    if (word == "draw") mask |= kTraceDraw;
    else if (word == "sound") mask |= kTraceSound;
    else if (word == "stop") mask |= kTraceStop;
    else if (word == "state") mask |= kTraceState;
    else if (word == "end") mask |= kTraceEnd;
    else return false;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
    if (list.empty()) return false;  // a trailing comma names nothing
  }
  return mask != 0;
}

void AppendNumber(std::string& out, double value) {
  char buf[64];
  if (!std::isfinite(value)) {
    out += std::isnan(value) ? "nan" : (value > 0 ? "inf" : "-inf");
    return;
  }
  int n = std::snprintf(buf, sizeof buf, "%.4f", value);
  while (n > 0 && buf[n - 1] == '0') --n;
  if (n > 0 && buf[n - 1] == '.') --n;
  buf[n] = '\0';
  if (std::string_view(buf) == "-0") {
    out += '0';
    return;
  }
  out.append(buf, static_cast<size_t>(n));
}

void StateWriter::key(std::string_view key) {
  if (!text_.empty()) text_ += ' ';
  text_ += key;
  text_ += '=';
}

void StateWriter::put(std::string_view k, int value) {
  key(k);
  text_ += std::to_string(value);
}

void StateWriter::put(std::string_view k, float value) {
  key(k);
  AppendNumber(text_, value);
}

void Trace::draw(long frame, const DrawCmd& c) {
  if (!wants(kTraceDraw)) return;
  text_ += std::to_string(frame);
  text_ += "\tdraw\t";
  text_ += c.image->name;
  text_ += '\t';
  text_ += std::to_string(c.frame);
  for (double v : {static_cast<double>(c.x), static_cast<double>(c.y)}) {
    text_ += '\t';
    AppendNumber(text_, v);
  }
  text_ += '\t';
  text_ += std::to_string(c.blend);
  for (float v : {c.alpha, c.scaleX, c.scaleY, c.handleX, c.handleY}) {
    text_ += '\t';
    AppendNumber(text_, v);
  }
  text_ += '\n';
  maybeFlush();
}

void Trace::sound(long frame, std::string_view name, int channel) {
  if (!wants(kTraceSound)) return;
  text_ += std::to_string(frame) + "\tsound\t";
  text_ += name;
  text_ += '\t' + std::to_string(channel) + '\n';
  maybeFlush();
}

void Trace::stop(long frame, int channel) {
  if (!wants(kTraceStop)) return;
  text_ += std::to_string(frame) + "\tstop\t" + std::to_string(channel) + '\n';
  maybeFlush();
}

void Trace::state(long frame, const StateWriter& pairs) {
  if (!wants(kTraceState)) return;
  text_ += std::to_string(frame) + "\tstate\t";
  text_ += pairs.text();
  text_ += '\n';
  maybeFlush();
}

void Trace::end(long frame, int ms) {
  if (!wants(kTraceEnd)) return;
  text_ += std::to_string(frame) + "\tend\tms=" + std::to_string(ms) + '\n';
  flush();
}

void Trace::maybeFlush() {
  if (file_ && text_.size() > (1u << 16)) flush();
}

void Trace::flush() {
  if (!file_ || text_.empty()) return;
  std::fwrite(text_.data(), 1, text_.size(), file_);
  std::fflush(file_);
  text_.clear();
}

}  // namespace nr
