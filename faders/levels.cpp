#include "faders/levels.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr std::int64_t kFull = 0xFFFF;

// a * b / c rounded to the nearest, for non-negative values.
std::int64_t Scale(std::int64_t a, std::int64_t b, std::int64_t c) { return (a * b + c / 2) / c; }

}  // namespace

int FaderOfVolume(std::uint32_t volume) {
  std::int64_t louder = std::max(LeftOf(volume), RightOf(volume));
  return static_cast<int>(Scale(louder, kVolumeSteps, kFull));
}

int BalanceOfVolume(std::uint32_t volume, int current) {
  std::int64_t left = LeftOf(volume), right = RightOf(volume);
  if (left == right) return left == 0 ? current : 0;
  if (left > right) return -static_cast<int>(Scale(left - right, kBalanceSteps, left));
  return static_cast<int>(Scale(right - left, kBalanceSteps, right));
}

std::uint32_t VolumeOfFaders(int fader, int balance) {
  fader = std::clamp(fader, 0, kVolumeSteps);
  balance = std::clamp(balance, -kBalanceSteps, kBalanceSteps);
  std::int64_t louder = Scale(fader, kFull, kVolumeSteps);
  std::int64_t quieter = Scale(louder, kBalanceSteps - std::abs(balance), kBalanceSteps);
  auto left = static_cast<std::uint16_t>(balance > 0 ? quieter : louder);
  auto right = static_cast<std::uint16_t>(balance < 0 ? quieter : louder);
  return PackVolume(left, right);
}
