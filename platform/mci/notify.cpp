#include "mci/notify.h"

#include "platform/constants.h"
#include "platform/user.h"

namespace platform::mci {
namespace {

std::mutex& HookLock() {
  static auto* lock = new std::mutex();
  return *lock;
}
NotificationHook& Hook() {
  static auto* hook = new NotificationHook();
  return *hook;
}

}  // namespace

void SetNotificationHook(NotificationHook hook) {
  std::lock_guard<std::mutex> guard(HookLock());
  Hook() = std::move(hook);
}

void PostNotification(HWND window, WPARAM flag, MCIDEVICEID device) {
  NotificationHook hook;
  {
    std::lock_guard<std::mutex> guard(HookLock());
    hook = Hook();
  }
  if (hook) {
    hook(window, flag, device);
    return;
  }
  // Without a window there is nobody to tell (a null window would mean the calling
  // thread's queue, which from the audio side is the wrong one).
  if (window) PostMessageA(window, MM_MCINOTIFY, flag, static_cast<LPARAM>(device));
}

std::function<void()> NotifySlot::Arm(HWND window) {
  bool superseding;
  HWND previous;
  std::uint64_t ticket;
  {
    std::lock_guard<std::mutex> guard(lock_);
    superseding = ticket_ != 0;
    previous = window_;
    ticket = ticket_ = nextTicket_++;
    window_ = window;
  }
  if (superseding) PostNotification(previous, MCI_NOTIFY_SUPERSEDED, device_);
  auto self = shared_from_this();
  return [self, ticket] { self->Complete(ticket); };
}

void NotifySlot::Complete(std::uint64_t ticket) {
  HWND window;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (ticket_ != ticket) return;
    ticket_ = 0;
    window = window_;
  }
  PostNotification(window, MCI_NOTIFY_SUCCESSFUL, device_);
}

void NotifySlot::Resolve(WPARAM flag) {
  HWND window;
  {
    std::lock_guard<std::mutex> guard(lock_);
    if (ticket_ == 0) return;
    ticket_ = 0;
    window = window_;
  }
  PostNotification(window, flag, device_);
}

bool NotifySlot::Pending() {
  std::lock_guard<std::mutex> guard(lock_);
  return ticket_ != 0;
}

}  // namespace platform::mci
