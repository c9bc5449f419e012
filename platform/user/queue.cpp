// The message queue of the GUI thread. Messages come out in this order: posted messages,
// input, the quit message, WM_PAINT for a window with an update region, then a due
// WM_TIMER; WM_PAINT and WM_TIMER are made when asked for, never stored.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <string>

#include "backend/backend.h"
#include "platform/clock.h"
#include "platform/kernel.h"
#include "user/hooks.h"
#include "user/native.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

struct Queue {
  std::mutex lock;
  std::deque<MSG> posted;
  bool quit = false;
  int quitCode = 0;
  std::uint64_t lastPoll = 0;
  int clockListener = 0;
};

Queue& TheQueue() {
  static auto* queue = new Queue();
  return *queue;
}

bool Admits(UINT message, UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  if (first > last) return message >= first || message <= last;
  return message >= first && message <= last;
}

bool MatchesWindow(HWND target, HWND filter) {
  if (!filter) return true;
  if (filter == kThreadMessagesOnly) return target == nullptr;
  return target == filter;
}

bool AdmitsAnyInput(UINT first, UINT last) {
  if (first == 0 && last == 0) return true;
  // Key, mouse and non-client mouse messages.
  const UINT ranges[][2] = {{0x0100, 0x0109}, {0x0200, 0x020E}, {0x00A0, 0x00AD}};
  for (const auto& r : ranges)
    for (UINT m = r[0]; m <= r[1]; ++m)
      if (Admits(m, first, last)) return true;
  return false;
}

void PollBackendNow() {
  Queue& queue = TheQueue();
  std::uint64_t now = ClockMilliseconds();
  // Asking the host for events costs; a busy loop asks at most every few milliseconds.
  if (now - queue.lastPoll < 5 && queue.lastPoll != 0) return;
  queue.lastPoll = now;
  backend::Current().Poll();
}

MSG Stamp(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{window, message, wParam, lParam, GetTickCount(), POINT{0, 0}};
  GetCursorPos(&msg.pt);
  return msg;
}

bool Peek(MSG* out, HWND filter, UINT first, UINT last, UINT flags) {
  EnsureStarted();
  Queue& queue = TheQueue();
  bool remove = (flags & PM_REMOVE) != 0;
  if (filter && filter != kThreadMessagesOnly && !Lookup(filter)) return false;
  PollBackendNow();
  RunHostChanges();
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    for (auto it = queue.posted.begin(); it != queue.posted.end(); ++it) {
      if (!Admits(it->message, first, last) || !MatchesWindow(it->hwnd, filter)) continue;
      *out = *it;
      if (remove) queue.posted.erase(it);
      return true;
    }
  }
  if (AdmitsAnyInput(first, last) && TakeInputMessage(filter, first, last, remove, out))
    return true;
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    if (queue.quit && (!filter || filter == kThreadMessagesOnly)) {
      *out = Stamp(nullptr, WM_QUIT, static_cast<WPARAM>(queue.quitCode), 0);
      if (remove) queue.quit = false;
      return true;
    }
  }
  State& state = Global();
  if (state.windowsNeedingPaint > 0 && Admits(WM_PAINT, first, last) &&
      filter != kThreadMessagesOnly) {
    Window* root = filter ? LookupQuiet(filter) : state.desktop;
    if (Window* w = root ? FindWindowToPaint(root) : nullptr) {
      if (!filter || w == root) {
        *out = Stamp(w->handle, WM_PAINT, 0, 0);
        return true;
      }
    }
  }
  if (Admits(WM_TIMER, first, last) && TakeDueTimer(filter, remove, out)) return true;
  return false;
}

bool HasWork() {
  Queue& queue = TheQueue();
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    if (!queue.posted.empty() || queue.quit) return true;
  }
  if (InputPending() || HostChangesPending() || Global().windowsNeedingPaint > 0) return true;
  std::uint64_t due;
  return NextTimerDue(&due) && due <= ClockMilliseconds();
}

// Sleeps until something may have arrived, or `limit` milliseconds (negative: no limit).
void WaitForWork(int limit) {
  std::uint64_t due;
  int timeout = limit;
  if (NextTimerDue(&due)) {
    std::uint64_t now = ClockMilliseconds();
    // On the virtual clock a timer falls due only when the clock is advanced, which wakes us.
    if (!ClockIsVirtual()) {
      int untilDue = due > now ? static_cast<int>(std::min<std::uint64_t>(due - now, 1 << 30)) : 0;
      timeout = timeout < 0 ? untilDue : std::min(timeout, untilDue);
    } else if (due <= now) {
      timeout = 0;
    }
  }
  backend::Backend& backend = backend::Current();
  // Idle is when the screen is shown: after the queue has been drained, and only where it
  // changed (or when only the cursor did).
  if (backend.NativeWindows()) {
    PresentNativeWindows(backend);
  } else if (backend.ShowsScreen()) {
    ComposeScreen();
    std::vector<RECT> damage = TakePresentDamage();
    HCURSOR cursor = GetCursor();
    State& state = Global();
    if (!damage.empty() || cursor != state.presentedCursor) {
      state.presentedCursor = cursor;
      backend.Present(ScreenSurface(), damage, cursor);
    }
  }
  backend.Wait(timeout);
}

void EnsureClockListener() {
  Queue& queue = TheQueue();
  if (queue.clockListener) return;
  queue.clockListener = AddClockListener([](std::uint64_t, std::uint64_t) { WakeQueue(); });
}

std::map<std::string, UINT>& RegisteredMessages() {
  static auto* messages = new std::map<std::string, UINT>();
  return *messages;
}

}  // namespace

void WakeQueue() {
  // Before start-up nobody can be waiting, and the backend must be made on the GUI thread.
  if (Started()) backend::Current().Wake();
}

void RemoveMessagesFor(HWND window) {
  Queue& queue = TheQueue();
  std::lock_guard<std::mutex> guard(queue.lock);
  std::erase_if(queue.posted, [window](const MSG& m) { return m.hwnd == window; });
}

void ResetQueue() {
  Queue& queue = TheQueue();
  std::lock_guard<std::mutex> guard(queue.lock);
  queue.posted.clear();
  queue.quit = false;
  queue.quitCode = 0;
}

}  // namespace platform::user

using namespace platform::user;

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Queue& queue = TheQueue();
  if (window == HWND_BROADCAST) {
    if (CurrentThreadId() != Global().guiThread) {
      SetLastError(ERROR_ACCESS_DENIED);
      return FALSE;
    }
    std::vector<HWND> targets;
    for (Window* w : Global().desktop->children) targets.push_back(w->handle);
    for (HWND h : targets) PostMessageA(h, message, wParam, lParam);
    return TRUE;
  }
  if (window && !HandleIsLive(window)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  MSG msg{window, message, wParam, lParam, GetTickCount(), POINT{0, 0}};
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.posted.push_back(msg);
  }
  WakeQueue();
  return TRUE;
}

BOOL PostThreadMessageA(DWORD threadId, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD gui = Global().guiThread;
  if (threadId != (gui ? gui : CurrentThreadId())) {
    SetLastError(ERROR_INVALID_THREAD_ID);
    return FALSE;
  }
  return PostMessageA(nullptr, message, wParam, lParam);
}

void PostQuitMessage(int exitCode) {
  Queue& queue = TheQueue();
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    queue.quit = true;
    queue.quitCode = exitCode;
  }
  WakeQueue();
}

BOOL PeekMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax, UINT removeFlags) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (;;) {
    if (!Peek(msg, window, filterMin, filterMax, removeFlags)) return FALSE;
    if (!(removeFlags & PM_REMOVE)) return TRUE;
    if (PassMessageHooks(msg)) break;
  }
  SetMessageInfo(*msg);
  return TRUE;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
  if (!msg || (window && window != kThreadMessagesOnly && !Lookup(window))) {
    if (!msg) SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  EnsureStarted();
  EnsureClockListener();
  for (;;) {
    if (Peek(msg, window, filterMin, filterMax, PM_REMOVE)) {
      if (!PassMessageHooks(msg)) continue;
      SetMessageInfo(*msg);
      return msg->message == WM_QUIT ? FALSE : TRUE;
    }
    if (window && window != kThreadMessagesOnly && !LookupQuiet(window)) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return -1;
    }
    WaitForWork(-1);
  }
}

BOOL WaitMessage() {
  EnsureStarted();
  EnsureClockListener();
  if (!HasWork()) WaitForWork(-1);
  return TRUE;
}

DWORD MsgWaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll,
                                DWORD milliseconds, DWORD wakeMask) {
  (void)handles;
  (void)waitAll;
  (void)wakeMask;
  // Only the form that waits for messages alone is supported: kernel objects live elsewhere.
  if (count != 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return WAIT_FAILED;
  }
  EnsureStarted();
  EnsureClockListener();
  std::uint64_t start = platform::ClockMilliseconds();
  for (;;) {
    if (HasWork()) return WAIT_OBJECT_0;
    if (milliseconds == 0) return WAIT_TIMEOUT;
    if (milliseconds == INFINITE) {
      WaitForWork(-1);
      continue;
    }
    std::uint64_t now = platform::ClockMilliseconds();
    if (now - start >= milliseconds) return WAIT_TIMEOUT;
    if (platform::ClockIsVirtual()) {
      // Virtual time moves only when the test advances it; do not wait on it for ever.
      WaitForWork(static_cast<int>(milliseconds));
      return HasWork() ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    }
    WaitForWork(static_cast<int>(milliseconds - (now - start)));
  }
}

DWORD GetQueueStatus(UINT flags) {
  EnsureStarted();
  Queue& queue = TheQueue();
  DWORD status = 0;
  {
    std::lock_guard<std::mutex> guard(queue.lock);
    if (!queue.posted.empty()) status |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
  }
  status |= PendingInputKinds();
  if (Global().windowsNeedingPaint > 0) status |= QS_PAINT;
  std::uint64_t due;
  if (NextTimerDue(&due) && due <= platform::ClockMilliseconds()) status |= QS_TIMER;
  status &= flags;
  return (status << 16) | status;
}

namespace platform::user {
namespace {

// What a window procedure lets escape (an exception thrown while another one was being
// shown, say) has no caller to go to: it is told on standard error and the loop goes on.
template <class F>
LRESULT Contained(const MSG* msg, F&& call) {
  try {
    return call();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception in the procedure of message 0x%04X: %s\n", msg->message,
                 e.what());
  } catch (...) {
    std::fprintf(stderr, "exception in the procedure of message 0x%04X\n", msg->message);
  }
  return 0;
}

}  // namespace
}  // namespace platform::user

LRESULT DispatchMessageA(const MSG* msg) {
  if (!msg) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (msg->message == WM_TIMER && msg->lParam) {
    // Only a live timer's own procedure is called, so a forged WM_TIMER calls nothing.
    if (!TimerProcedureIsLive(msg->hwnd, msg->wParam, msg->lParam)) return 0;
    auto procedure = reinterpret_cast<TIMERPROC>(msg->lParam);
    return Contained(msg, [&] {
      procedure(msg->hwnd, WM_TIMER, msg->wParam, GetTickCount());
      return LRESULT{0};
    });
  }
  if (!msg->hwnd) return 0;
  Window* w = Lookup(msg->hwnd);
  if (!w) return 0;
  return Contained(msg, [&] { return Send(w, msg->message, msg->wParam, msg->lParam); });
}

LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam,
                        LPARAM lParam) {
  if (!procedure) return 0;
  return procedure(window, message, wParam, lParam);
}

BOOL InSendMessage() { return FALSE; }

UINT RegisterWindowMessageA(LPCSTR name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  static std::mutex lock;
  std::lock_guard<std::mutex> guard(lock);
  std::string key(name);
  for (char& c : key)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  auto& messages = RegisteredMessages();
  auto it = messages.find(key);
  if (it != messages.end()) return it->second;
  UINT id = 0xC000 + static_cast<UINT>(messages.size());
  if (id > 0xFFFF) return 0;
  messages.emplace(key, id);
  return id;
}
