// Keyboard translation and joystick ports of the real backend.
#include <SDL_keycode.h>

#include <algorithm>

#include "platform/platform.h"
#include "platform/sdl_backend.h"

namespace nr {

int TranslateKey(int32_t sdlKeycode) {
  switch (sdlKeycode) {
    case SDLK_ESCAPE: return KEY_ESCAPE;
    case SDLK_SPACE: return KEY_SPACE;
    case SDLK_LEFT: return KEY_LEFT;
    case SDLK_UP: return KEY_UP;
    case SDLK_RIGHT: return KEY_RIGHT;
    case SDLK_DOWN: return KEY_DOWN;
    case SDLK_RETURN: return 13;
    default: break;
  }
  // SDL's keycodes of letters are the lower-case characters; the game's
  // are the capitals, digits are themselves.
  if (sdlKeycode >= SDLK_a && sdlKeycode <= SDLK_z) return KEY_A + (sdlKeycode - SDLK_a);
  if (sdlKeycode >= SDLK_0 && sdlKeycode <= SDLK_9) return sdlKeycode;
  return -1;
}

PadPorts::Port* PadPorts::find(int32_t device) {
  for (Port& p : ports_)
    if (p.device == device) return &p;
  return nullptr;
}

const PadPorts::Port* PadPorts::find(int32_t device) const {
  for (const Port& p : ports_)
    if (p.device == device) return &p;
  return nullptr;
}

int PadPorts::portOf(int32_t device) const {
  const Port* p = device < 0 ? nullptr : find(device);
  return p ? static_cast<int>(p - ports_.data()) : -1;
}

bool PadPorts::isController(int32_t device) const {
  const Port* p = device < 0 ? nullptr : find(device);
  return p && p->controller;
}

int PadPorts::attach(int32_t device, bool controller, InputSink& input) {
  if (device < 0 || find(device)) return -1;
  Port* free = find(-1);
  if (!free) return -1;
  *free = Port{};
  free->device = device;
  free->controller = controller;
  const int port = static_cast<int>(free - ports_.data());
  input.joyAttached(port, true);
  return port;
}

int PadPorts::detach(int32_t device, InputSink& input) {
  const int port = portOf(device);
  if (port < 0) return -1;
  ports_[static_cast<size_t>(port)] = Port{};
  input.joyAttached(port, false);
  return port;
}

void PadPorts::deliverAxes(int port, InputSink& input) {
  const Port& p = ports_[static_cast<size_t>(port)];
  for (size_t a = 0; a < 2; ++a) {
    const int raw = p.pad[a] < 0 ? -32768 : p.pad[a] > 0 ? 32767 : p.stick[a];
    input.joyAxis(port, static_cast<int>(a), raw);
  }
}

void PadPorts::stick(int32_t device, int axis, int raw, InputSink& input) {
  const int port = portOf(device);
  if (port < 0 || axis < 0 || axis > 1) return;
  ports_[static_cast<size_t>(port)].stick[static_cast<size_t>(axis)] = std::clamp(raw, -32768, 32767);
  deliverAxes(port, input);
}

void PadPorts::button(int32_t device, int button, bool down, InputSink& input) {
  const int port = portOf(device);
  if (port >= 0 && button >= 0) input.joyButton(port, button, down);
}

void PadPorts::dpad(int32_t device, bool left, bool right, bool up, bool down, InputSink& input) {
  const int port = portOf(device);
  if (port < 0) return;
  Port& p = ports_[static_cast<size_t>(port)];
  p.pad = {(right ? 1 : 0) - (left ? 1 : 0), (down ? 1 : 0) - (up ? 1 : 0)};
  deliverAxes(port, input);
}

int PadPorts::attached() const {
  return static_cast<int>(std::count_if(ports_.begin(), ports_.end(),
                                        [](const Port& p) { return p.device >= 0; }));
}

}  // namespace nr
