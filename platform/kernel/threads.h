// The state a platform thread shares with its handles.
#pragma once
#include "private.h"
#include <condition_variable>
#include <memory>
#include <mutex>

#include "kernel/objects.h"

namespace platform::kernel {

struct ThreadState {
  std::mutex mutex;
  std::condition_variable changed;
  DWORD id = 0;
  DWORD suspended = 0;
  bool stopRequested = false;
  DWORD stopCode = 0;
  bool finished = false;
  DWORD exitCode = 0;

  // True when the thread ended within the time.
  bool WaitFinished(DWORD milliseconds);
};

class ThreadObject : public KernelObject {
 public:
  explicit ThreadObject(std::shared_ptr<ThreadState> threadState)
      : KernelObject(ObjectKind::Thread), state(std::move(threadState)) {}
  std::shared_ptr<ThreadState> state;
};

}  // namespace platform::kernel
