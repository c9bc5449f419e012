#include "platform/clock.h"

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>

namespace platform {
namespace {

struct ClockState {
  std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
  std::atomic<bool> isVirtual{false};
  std::atomic<std::uint64_t> virtualNow{0};
  // Held while switching and while real-time work runs (WithRealTime).
  std::mutex modeLock;
  std::uint64_t resumed = 0;  // real time of the last return from virtual time
  std::mutex listenersLock;
  std::map<int, ClockListener> listeners;
  int nextId = 1;
};

ClockState& TheClock() {
  static auto* state = new ClockState();  // lives to the end of the process
  return *state;
}

std::uint64_t RealMilliseconds(const ClockState& state) {
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - state.start)
                                        .count());
}

}  // namespace

std::uint64_t ClockMilliseconds() {
  ClockState& state = TheClock();
  if (state.isVirtual) return state.virtualNow;
  return RealMilliseconds(state);
}

bool ClockIsVirtual() { return TheClock().isVirtual; }

void UseVirtualClock(std::uint64_t start) {
  ClockState& state = TheClock();
  std::lock_guard<std::mutex> guard(state.modeLock);
  state.virtualNow = start;
  state.isVirtual = true;
}

void UseRealClock() {
  ClockState& state = TheClock();
  std::lock_guard<std::mutex> guard(state.modeLock);
  if (state.isVirtual) state.resumed = RealMilliseconds(state);
  state.isVirtual = false;
}

bool WithRealTime(const std::function<void(std::uint64_t now, std::uint64_t resumed)>& work) {
  ClockState& state = TheClock();
  std::lock_guard<std::mutex> guard(state.modeLock);
  if (state.isVirtual) return false;
  work(RealMilliseconds(state), state.resumed);
  return true;
}

void AdvanceVirtualClock(std::uint64_t milliseconds) {
  ClockState& state = TheClock();
  if (!state.isVirtual || milliseconds == 0) return;
  std::uint64_t from = state.virtualNow;
  std::uint64_t to = from + milliseconds;
  state.virtualNow = to;
  std::map<int, ClockListener> listeners;
  {
    std::lock_guard<std::mutex> guard(state.listenersLock);
    listeners = state.listeners;
  }
  for (auto& [id, listener] : listeners) listener(from, to);
}

int AddClockListener(ClockListener listener) {
  ClockState& state = TheClock();
  std::lock_guard<std::mutex> guard(state.listenersLock);
  int id = state.nextId++;
  state.listeners.emplace(id, std::move(listener));
  return id;
}

void RemoveClockListener(int id) {
  ClockState& state = TheClock();
  std::lock_guard<std::mutex> guard(state.listenersLock);
  state.listeners.erase(id);
}

}  // namespace platform

DWORD GetTickCount() { return static_cast<DWORD>(platform::ClockMilliseconds()); }
DWORD timeGetTime() { return static_cast<DWORD>(platform::ClockMilliseconds()); }
