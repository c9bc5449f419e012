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
  std::mutex listenersLock;
  std::map<int, ClockListener> listeners;
  int nextId = 1;
};

ClockState& TheClock() {
  static auto* state = new ClockState();  // lives to the end of the process
  return *state;
}

}  // namespace

std::uint64_t ClockMilliseconds() {
  ClockState& state = TheClock();
  if (state.isVirtual) return state.virtualNow;
  return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                        std::chrono::steady_clock::now() - state.start)
                                        .count());
}

bool ClockIsVirtual() { return TheClock().isVirtual; }

void UseVirtualClock(std::uint64_t start) {
  TheClock().virtualNow = start;
  TheClock().isVirtual = true;
}

void UseRealClock() { TheClock().isVirtual = false; }

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
