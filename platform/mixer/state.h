// The mixer's settings, shared by every process of the user: a small memory-mapped file
// (the TD_MIXER setting, else under the user's runtime folder) with a header and one 32-bit
// word per value. Each change is one atomic store followed by a bump of a change counter,
// which is also a futex word: a process that wants to hear of other processes' changes
// sleeps on it, so nothing polls and an idle process stays at 0 CPU. The render reads the
// values straight from the mapping, without a lock, at every block.
//
// A missing, short or damaged file starts afresh at full volume, unmuted (under an flock,
// so two processes starting together agree). A file that cannot be used at all leaves the
// process with a state of its own, and says so once on stderr.
#pragma once
#include <cstdint>
#include <string>

#include "private.h"

namespace platform::mixer {

// The lines of the one mixer device: the destination and its two sources.
enum class Line : int { kMaster = 0, kWave = 1, kSynth = 2 };
inline constexpr int kLines = 3;

// 0 to 0xFFFF per channel, the low word left and the high word right.
inline constexpr std::uint32_t kFullVolume = 0xFFFFFFFFu;

struct Snapshot {
  // Changes whenever the state as a whole was replaced (reset, started afresh, another file).
  std::uint64_t epoch = 0;
  std::uint32_t volume[kLines] = {kFullVolume, kFullVolume, kFullVolume};
  bool mute[kLines] = {false, false, false};
};

// Makes the state named by the settings the one in use, switching when the setting changed
// since the last call; true when it switched. Every call of the GUI side begins with it.
bool Attach();
// The values of the state in use (attached on first need).
Snapshot Read();
// One value; false (and no change counted) when it already had that value.
bool SetVolume(Line line, std::uint32_t volume);
bool SetMute(Line line, bool mute);
// Full volume and unmuted everywhere, as a new state.
void Reset();
// While on, a process without the TD_MIXER setting keeps a state of its own instead of the
// user's: headless test sessions never touch what the user hears.
void UsePrivateState(bool on);
// The file in use; empty for a state of the process's own.
std::string Path();

// Where the changes stand; WaitForChange sleeps (without polling) until they move on from
// `mark`, which a change in any process, or a switch to another state, brings about.
struct Mark {
  const void* state = nullptr;
  std::uint32_t changes = 0;
};
Mark Changes();
void WaitForChange(const Mark& mark);

// The render's view: a line's gains, 0 when muted. Never allocates, locks or waits.
struct Gain {
  float left = 1.0f;
  float right = 1.0f;
};
Gain LineGain(Line line);

}  // namespace platform::mixer
