#include "audio/volume.h"

#include <cstddef>

namespace platform::audio {

void Volume::Aim(mixer::Gain target) {
  if (target.left == target_[0] && target.right == target_[1]) return;
  target_[0] = target.left;
  target_[1] = target.right;
  step_[0] = (target_[0] - current_[0]) / kRampFrames;
  step_[1] = (target_[1] - current_[1]) / kRampFrames;
  left_ = kRampFrames;
}

void Volume::Settle() {
  current_[0] = target_[0];
  current_[1] = target_[1];
  left_ = 0;
}

template <class Apply>
int Volume::Glide(int count, Apply apply) {
  int n = count < left_ ? count : left_;
  for (int i = 0; i < n; ++i) {
    current_[0] += step_[0];
    current_[1] += step_[1];
    apply(i, current_[0], current_[1]);
  }
  left_ -= n;
  // The end of a glide lands on the aim exactly: silence is silence, full is unchanged.
  if (n > 0 && left_ == 0) Settle();
  return n;
}

void Volume::Scale(float* frames, int count) {
  int done = Glide(count, [frames](int i, float l, float r) {
    frames[2 * i] *= l;
    frames[2 * i + 1] *= r;
  });
  float l = current_[0], r = current_[1];
  if (l == 1.0f && r == 1.0f) return;  // the usual case costs nothing
  for (std::size_t i = 2 * static_cast<std::size_t>(done); i < 2 * static_cast<std::size_t>(count);
       i += 2) {
    frames[i] *= l;
    frames[i + 1] *= r;
  }
}

void Volume::MixInto(float* to, const float* from, int count) {
  int done = Glide(count, [to, from](int i, float l, float r) {
    to[2 * i] += from[2 * i] * l;
    to[2 * i + 1] += from[2 * i + 1] * r;
  });
  float l = current_[0], r = current_[1];
  for (std::size_t i = 2 * static_cast<std::size_t>(done); i < 2 * static_cast<std::size_t>(count);
       i += 2) {
    to[i] += from[i] * l;
    to[i + 1] += from[i + 1] * r;
  }
}

}  // namespace platform::audio
