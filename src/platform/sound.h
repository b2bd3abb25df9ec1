// The decoded sound behind a TSound, and the voice behind a TChannel.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class Sound {
 public:
  std::string name;  // embedded name, used by the trace
  int channels = 0;
  int rate = 0;
  int bits = 0;
  int64_t frames = 0;     // sample frames
  int lengthMs = 0;       // decoded length, rounded up to whole milliseconds
  const uint8_t* file = nullptr;  // the embedded RIFF bytes
  size_t fileSize = 0;
  uintptr_t backendHandle = 0;
};

class Channel {
 public:
  int number = -1;  // allocated channels count from 1; -1 is a fresh voice
  int voice = -1;   // the backend's voice playing on it, -1 when none
};
