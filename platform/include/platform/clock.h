// The one clock of the platform: GetTickCount, timeGetTime, timers, double-click
// timing and the audio render position all read it. Normally it is real time; tests
// switch it to a virtual clock that moves only when they advance it.
#pragma once
#include <cstdint>
#include <functional>

#include "platform/types.h"

DWORD GetTickCount();
DWORD timeGetTime();

namespace platform {

// Milliseconds since the platform started (or since the virtual clock was reset).
std::uint64_t ClockMilliseconds();

bool ClockIsVirtual();
// Switches to the virtual clock, standing at `start` milliseconds.
void UseVirtualClock(std::uint64_t start = 0);
// Back to real time (the real clock continues from where it was at platform start).
void UseRealClock();

// For work that keeps pace with real time (an output rendering what the clock says is
// due): runs `work(now, resumed)` unless the clock is virtual, and answers whether it ran.
// `now` is the real time; `resumed` is when the clock last came back from virtual time
// (0 if it never left), so nothing before it passed in real time for this work. Switching
// the clock waits until `work` returns, so the work never overlaps virtual time; it must
// not switch the clock itself.
bool WithRealTime(const std::function<void(std::uint64_t now, std::uint64_t resumed)>& work);

// Moves the virtual clock forward. Listeners run in registration order on the calling
// thread, once per call, with the old and new time; the null audio sink renders the
// samples of exactly that span, timers fall due after it.
void AdvanceVirtualClock(std::uint64_t milliseconds);

using ClockListener = std::function<void(std::uint64_t from, std::uint64_t to)>;
int AddClockListener(ClockListener listener);
void RemoveClockListener(int id);

}  // namespace platform
