// Threads with a safe stop: TerminateThread asks, the thread's waits end early, and
// the thread leaves by itself. Also the process and thread identities and Sleep.
#include "kernel/threads.h"

#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <thread>

#include "kernel/internal.h"
#include "kernel/objects.h"
#include "platform/win32.h"

namespace platform::kernel {
namespace {

thread_local std::shared_ptr<ThreadState> currentThread;

}  // namespace

bool ThreadState::WaitFinished(DWORD milliseconds) {
  std::unique_lock lock(mutex);
  auto done = [&] { return finished; };
  if (milliseconds == INFINITE) {
    changed.wait(lock, done);
    return true;
  }
  return changed.wait_for(lock, std::chrono::milliseconds(milliseconds), done);
}

bool InterruptibleSleep(DWORD milliseconds) {
  std::shared_ptr<ThreadState> self = currentThread;
  if (self == nullptr) {
    if (milliseconds == INFINITE) {
      for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    return true;
  }
  std::unique_lock lock(self->mutex);
  auto stop = [&] { return self->stopRequested; };
  if (milliseconds == INFINITE) {
    self->changed.wait(lock, stop);
    return false;
  }
  return !self->changed.wait_for(lock, std::chrono::milliseconds(milliseconds), stop);
}

}  // namespace platform::kernel

using namespace platform::kernel;

HANDLE CreateThread(LPSECURITY_ATTRIBUTES, SIZE_T, LPTHREAD_START_ROUTINE startAddress,
                    LPVOID parameter, DWORD creationFlags, LPDWORD threadId) {
  if (startAddress == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto state = std::make_shared<ThreadState>();
  state->suspended = (creationFlags & CREATE_SUSPENDED) != 0 ? 1 : 0;
  try {
    std::thread([state, startAddress, parameter] {
      {
        std::unique_lock lock(state->mutex);
        state->id = static_cast<DWORD>(syscall(SYS_gettid));
        state->changed.notify_all();
        state->changed.wait(lock, [&] { return state->suspended == 0 || state->stopRequested; });
      }
      currentThread = state;
      DWORD code = 0;
      bool run;
      {
        std::lock_guard lock(state->mutex);
        run = !state->stopRequested;
      }
      if (run) {
        try {
          code = startAddress(parameter);
        } catch (...) {
          // Exceptions never cross the thread boundary; the exit code tells.
          code = ERROR_GEN_FAILURE;
        }
      }
      std::lock_guard lock(state->mutex);
      state->exitCode = state->stopRequested ? state->stopCode : code;
      state->finished = true;
      state->changed.notify_all();
      currentThread = nullptr;
    }).detach();
  } catch (const std::system_error&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  {
    std::unique_lock lock(state->mutex);
    state->changed.wait(lock, [&] { return state->id != 0; });
  }
  if (threadId != nullptr) *threadId = state->id;
  return AddObject(std::make_shared<ThreadObject>(state));
}

DWORD ResumeThread(HANDLE thread) {
  auto object = Find<ThreadObject>(thread, ObjectKind::Thread);
  if (object == nullptr) return static_cast<DWORD>(-1);
  ThreadState& state = *object->state;
  std::lock_guard lock(state.mutex);
  DWORD previous = state.suspended;
  if (state.suspended > 0 && --state.suspended == 0) state.changed.notify_all();
  return previous;
}

BOOL TerminateThread(HANDLE thread, DWORD exitCode) {
  auto object = Find<ThreadObject>(thread, ObjectKind::Thread);
  if (object == nullptr) return FALSE;
  ThreadState& state = *object->state;
  std::lock_guard lock(state.mutex);
  if (!state.finished && !state.stopRequested) {
    state.stopRequested = true;
    state.stopCode = exitCode;
    state.changed.notify_all();
  }
  return TRUE;
}

BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode) {
  auto object = Find<ThreadObject>(thread, ObjectKind::Thread);
  if (object == nullptr) return FALSE;
  if (exitCode == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  ThreadState& state = *object->state;
  std::lock_guard lock(state.mutex);
  *exitCode = state.finished ? state.exitCode : STILL_ACTIVE;
  return TRUE;
}

void Sleep(DWORD milliseconds) { InterruptibleSleep(milliseconds); }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

DWORD GetCurrentThreadId() { return static_cast<DWORD>(syscall(SYS_gettid)); }

HANDLE GetCurrentProcess() { return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1)); }

namespace platform {

bool ThreadStopRequested() {
  std::shared_ptr<kernel::ThreadState> self = kernel::currentThread;
  if (self == nullptr) return false;
  std::lock_guard lock(self->mutex);
  return self->stopRequested;
}

}  // namespace platform
