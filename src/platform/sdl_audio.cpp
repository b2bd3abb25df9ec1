#include "platform/sdl_audio.h"

#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>

#include "platform/sound.h"

namespace nr {
namespace {

constexpr int kStartChannels = 32;

}  // namespace

MixerAudio::MixerAudio(std::function<int64_t()> nowMs) : nowMs_(std::move(nowMs)) {}

MixerAudio::~MixerAudio() { close(); }

bool MixerAudio::open() {
  if (tried_) return open_;
  tried_ = true;
  if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) return false;
  // A small buffer: the game's sounds answer key presses.
  if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  open_ = true;
  ensureChannels(kStartChannels);
  return true;
}

void MixerAudio::close() {
  if (open_) {
    Mix_HaltChannel(-1);
    for (Chunk& c : chunks_)
      if (c.chunk) Mix_FreeChunk(c.chunk);
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
  }
  chunks_.clear();
  channelVoice_.clear();
  silent_.clear();
  open_ = false;
  tried_ = false;
  reserved_ = 0;
}

void MixerAudio::ensureChannels(int wanted) {
  if (static_cast<int>(channelVoice_.size()) >= wanted) return;
  Mix_AllocateChannels(wanted);
  channelVoice_.resize(static_cast<size_t>(wanted), -1);
}

void MixerAudio::prepare(Sound& sound) {
  if (!open()) return;
  SDL_RWops* rw = SDL_RWFromConstMem(sound.file, static_cast<int>(sound.fileSize));
  Mix_Chunk* chunk = rw ? Mix_LoadWAV_RW(rw, 1) : nullptr;
  chunks_.push_back(Chunk{&sound, chunk});
  sound.backendHandle = chunks_.size();
}

// The handle is checked against the table: the sound may have been
// prepared by an earlier backend.
Mix_Chunk* MixerAudio::chunkFor(const Sound& sound) {
  const size_t slot = sound.backendHandle;
  if (slot > 0 && slot <= chunks_.size() && chunks_[slot - 1].sound == &sound)
    return chunks_[slot - 1].chunk;
  prepare(const_cast<Sound&>(sound));
  return chunks_.empty() ? nullptr : chunks_.back().chunk;
}

int MixerAudio::channelOf(int voice) const {
  if (voice < 0) return -1;
  if (voice < kFreshBase) return voice < reserved_ ? voice : -1;
  auto at = std::find(channelVoice_.begin(), channelVoice_.end(), voice);
  return at == channelVoice_.end() ? -1 : static_cast<int>(at - channelVoice_.begin());
}

int MixerAudio::play(const Sound& sound, int voice) {
  const bool fresh = voice < 0;
  if (fresh) voice = nextFresh_++;
  Mix_Chunk* chunk = open() ? chunkFor(sound) : nullptr;
  if (!chunk) {
    // Silent: the voice sounds, inaudibly, for the sound's length.
    if (fresh && silent_.size() > 64)
      std::erase_if(silent_, [&](const auto& kv) { return kv.first >= kFreshBase && !playing(kv.first); });
    silent_[voice] = Silent{nowMs_(), sound.frames, std::max(1, sound.rate), true};
    return voice;
  }
  int channel = fresh ? Mix_PlayChannel(-1, chunk, 0) : Mix_PlayChannel(voice, chunk, 0);
  if (fresh && channel < 0) {
    // Every free channel is sounding: grow rather than drop a sound.
    ensureChannels(static_cast<int>(channelVoice_.size()) * 2);
    channel = Mix_PlayChannel(-1, chunk, 0);
  }
  if (channel >= 0 && channel < static_cast<int>(channelVoice_.size()))
    channelVoice_[static_cast<size_t>(channel)] = voice;
  return voice;
}

int MixerAudio::reserve() {
  const int voice = reserved_++;
  if (open()) {
    ensureChannels(std::max(static_cast<int>(channelVoice_.size()), reserved_ + kStartChannels));
    Mix_ReserveChannels(reserved_);
  }
  return voice;
}

void MixerAudio::stop(int voice) {
  auto s = silent_.find(voice);
  if (s != silent_.end()) s->second.active = false;
  if (!open_) return;
  const int channel = channelOf(voice);
  if (channel >= 0) Mix_HaltChannel(channel);
}

bool MixerAudio::playing(int voice) {
  auto s = silent_.find(voice);
  if (s != silent_.end() && s->second.active) {
    const Silent& v = s->second;
    if ((nowMs_() - v.start) * v.rate < v.frames * 1000) return true;
  }
  if (!open_) return false;
  const int channel = channelOf(voice);
  if (channel < 0) return false;
  if (voice < kFreshBase && channelVoice_[static_cast<size_t>(channel)] != voice) return false;
  return Mix_Playing(channel) != 0;
}

}  // namespace nr
