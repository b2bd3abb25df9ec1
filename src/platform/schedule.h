// The 60 Hz frame schedule: slot k lies k/60 s after the anchor, rounded
// down to the clock's unit, so at a millisecond clock frames are 16 or 17 ms
// apart and 60 of them take exactly 1000 ms. A late frame does not make the
// next ones hurry: presentation moves on to the first slot still ahead.
#pragma once

#include <cstdint>

namespace nr {

class FrameSchedule {
 public:
  FrameSchedule(int64_t anchor, int64_t unitsPerSecond) : anchor_(anchor), ups_(unitsPerSecond) {}

  int64_t slot(int64_t k) const { return anchor_ + k * ups_ / 60; }

  // The first slot strictly after `now`.
  int64_t nextAfter(int64_t now) const {
    int64_t k = now >= anchor_ ? (now - anchor_) * 60 / ups_ : 0;
    while (slot(k) <= now) ++k;
    while (k > 0 && slot(k - 1) > now) --k;
    return slot(k);
  }

  void reanchor(int64_t anchor) { anchor_ = anchor; }

 private:
  int64_t anchor_;
  int64_t ups_;
};

}  // namespace nr
