// A gain that follows the mixer's volume of a line: every change glides over a few
// milliseconds, so a fader moved or a line muted while playing makes no click. Render side
// only; it never allocates.
#pragma once
#include "mixer/state.h"
#include "private.h"

namespace platform::audio {

// About 6 ms at 44.1 kHz: short enough to follow a fader at once, long enough that a jump
// from full volume to silence is no audible step.
inline constexpr int kRampFrames = 256;

class Volume {
 public:
  // The gains to reach from now on; a new aim starts a new glide from where the gain stands.
  void Aim(mixer::Gain target);
  // Jumps to the aim (nothing sounds through the line, so there is nothing to glide).
  void Settle();
  // Multiplies interleaved stereo frames by the gain in place.
  void Scale(float* frames, int count);
  // Adds `from` times the gain to `to`.
  void MixInto(float* to, const float* from, int count);

  float Left() const { return current_[0]; }
  float Right() const { return current_[1]; }
  bool Gliding() const { return left_ > 0; }

 private:
  // Runs the glide over the first frames of a block; returns how many it took.
  template <class Apply>
  int Glide(int count, Apply apply);

  float current_[2] = {1.0f, 1.0f};
  float target_[2] = {1.0f, 1.0f};
  float step_[2] = {0.0f, 0.0f};
  int left_ = 0;  // frames of the glide still to go
};

}  // namespace platform::audio
