// Between the mixer's volumes and the faders. A volume is 0 to 0xFFFF a channel, linear in
// amplitude, packed as the volume calls pack it: the left channel in the low word, the right
// in the high word. A column shows it as a volume fader (the louder channel, 0 to
// kVolumeSteps) and a balance fader (-kBalanceSteps: left alone, 0: both the same,
// kBalanceSteps: right alone), the quieter channel being the louder one scaled down.
#pragma once
#include <cstdint>

inline constexpr int kVolumeSteps = 100;
inline constexpr int kBalanceSteps = 32;

constexpr std::uint32_t PackVolume(std::uint16_t left, std::uint16_t right) {
  return left | (static_cast<std::uint32_t>(right) << 16);
}
constexpr std::uint16_t LeftOf(std::uint32_t volume) { return volume & 0xFFFF; }
constexpr std::uint16_t RightOf(std::uint32_t volume) { return volume >> 16; }

// The volume fader's step for the louder channel.
int FaderOfVolume(std::uint32_t volume);
// The balance of the two channels; a silent volume has none and keeps `current`.
int BalanceOfVolume(std::uint32_t volume, int current);
// The volume the two faders make (out-of-range steps are clamped).
std::uint32_t VolumeOfFaders(int fader, int balance);
