// What a program entry (the game's main, the replay harness, a test) uses to
// put a backend under the platform API and to watch frames go by.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/backend.h"
#include "platform/image.h"
#include "platform/platform.h"
#include "platform/trace.h"

namespace nr {

// Watches every presentation; installed by the harness and by tests.
class FrameObserver {
 public:
  virtual ~FrameObserver() = default;
  // Just before frame `frame` is presented, with its commands.
  virtual void beforePresent(long frame, const std::vector<DrawCmd>& commands) = 0;
  // Just after it was presented and the next frame's input delivered.
  virtual void afterPresent(long frame) = 0;
};

// Puts `backend` under the API and resets every platform state to how a
// program start finds it: drawing state, input, random generator, frames.
void InstallBackend(std::unique_ptr<Backend> backend);
Backend& CurrentBackend();
// Drops the backend (closing nothing: EndGraphics does that).
void UninstallBackend();

void SetFrameObserver(FrameObserver* observer);
void SetTrace(Trace* trace);
void SetStateReporter(StateReporter reporter);

long FramesPresented();

// A picture made in memory rather than decoded (for tests), cut into cells
// like LoadAnimImage would cut it.
TImage ImageFromPixels(const std::string& name, std::shared_ptr<const PixelBuffer> pixels,
                       int cellWidth, int cellHeight, int cellCount = 1, int flags = -1);

// Drops the decoded pictures kept for the process, so that the next load
// decodes again (for measuring start-up).
void ForgetDecodedPictures();

// The front end's input counters, for a backend that delivers events itself
// outside present().
InputSink& Input();

}  // namespace nr
