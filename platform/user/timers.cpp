// Timers on the platform clock. A timer never has a WM_TIMER waiting in the queue: the
// message is made when the queue is asked and the timer is due, and the next tick is
// counted from that moment, so a slow handler delays the timer instead of piling up ticks.
#include <algorithm>
#include <vector>

#include "platform/clock.h"
#include "platform/kernel.h"
#include "user/state.h"

namespace platform::user {
namespace {

struct Timer {
  HWND window;
  UINT_PTR id;
  UINT interval;
  TIMERPROC procedure;
  std::uint64_t due;
};

std::vector<Timer>& Timers() {
  static auto* timers = new std::vector<Timer>();
  return *timers;
}

UINT_PTR nextThreadTimerId = 0x7FF0;

Timer* Find(HWND window, UINT_PTR id) {
  for (Timer& t : Timers())
    if (t.window == window && t.id == id) return &t;
  return nullptr;
}

}  // namespace

void KillTimersOf(HWND window) {
  std::erase_if(Timers(), [window](const Timer& t) { return t.window == window; });
}

void ResetTimers() { Timers().clear(); }

bool NextTimerDue(std::uint64_t* due) {
  bool any = false;
  for (const Timer& t : Timers()) {
    if (!any || t.due < *due) *due = t.due;
    any = true;
  }
  return any;
}

bool TakeDueTimer(HWND filter, bool remove, MSG* out) {
  std::uint64_t now = ClockMilliseconds();
  Timer* best = nullptr;
  for (Timer& t : Timers()) {
    if (t.due > now) continue;
    if (filter == kThreadMessagesOnly ? t.window != nullptr : (filter && t.window != filter))
      continue;
    if (!best || t.due < best->due) best = &t;
  }
  if (!best) return false;
  *out = MSG{best->window,
             WM_TIMER,
             best->id,
             reinterpret_cast<LPARAM>(best->procedure),
             static_cast<DWORD>(now),
             POINT{0, 0}};
  GetCursorPos(&out->pt);
  if (remove) best->due = now + best->interval;
  return true;
}

bool TimerProcedureIsLive(HWND window, UINT_PTR id, LPARAM procedure) {
  Timer* t = Find(window, id);
  return t && reinterpret_cast<LPARAM>(t->procedure) == procedure;
}

}  // namespace platform::user

using namespace platform::user;

UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC procedure) {
  EnsureStarted();
  if (window && !Lookup(window)) return 0;
  if (elapse < static_cast<UINT>(USER_TIMER_MINIMUM)) elapse = USER_TIMER_MINIMUM;
  if (elapse > static_cast<UINT>(USER_TIMER_MAXIMUM)) elapse = USER_TIMER_MAXIMUM;
  std::uint64_t due = platform::ClockMilliseconds() + elapse;
  if (!window) {
    // A thread timer gets an id of its own unless the caller names one it already has.
    if (!id || !Find(nullptr, id)) {
      do {
        id = nextThreadTimerId++;
        if (nextThreadTimerId > 0xFFFF) nextThreadTimerId = 0x7FF0;
      } while (Find(nullptr, id));
    }
  }
  if (Timer* existing = Find(window, id)) {
    existing->interval = elapse;
    existing->procedure = procedure;
    existing->due = due;
  } else {
    Timers().push_back(Timer{window, id, elapse, procedure, due});
  }
  WakeQueue();
  return window ? (id ? id : 1) : id;
}

BOOL KillTimer(HWND window, UINT_PTR id) {
  auto& timers = Timers();
  auto it = std::find_if(timers.begin(), timers.end(),
                         [&](const Timer& t) { return t.window == window && t.id == id; });
  if (it == timers.end()) {
    SetLastError(window && !IsWindow(window) ? ERROR_INVALID_WINDOW_HANDLE
                                             : ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  timers.erase(it);
  return TRUE;
}
