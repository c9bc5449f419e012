// MM_MCINOTIFY delivery. A device keeps at most one pending notification (the play that
// is running); a new notifying command supersedes it, stop/pause/seek/close abort it, and
// the end of the play completes it. Exactly one of these posts, whichever thread runs it.
#pragma once
#include "private.h"
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

#include "platform/types.h"

namespace platform::mci {

// Posts MM_MCINOTIFY (wParam the MCI_NOTIFY_ flag, lParam the device id) to `window`
// with PostMessageA. Safe from any thread; nothing is posted without a window.
void PostNotification(HWND window, WPARAM flag, MCIDEVICEID device);

// Replaces the delivery (tests observe notifications without a message queue); an empty
// function restores posting to the window's queue.
using NotificationHook = std::function<void(HWND window, WPARAM flag, MCIDEVICEID device)>;
void SetNotificationHook(NotificationHook hook);

class NotifySlot : public std::enable_shared_from_this<NotifySlot> {
 public:
  explicit NotifySlot(MCIDEVICEID device) : device_(device) {}

  // Makes `window` the pending notification (the previous one is superseded) and returns
  // the action that completes it with MCI_NOTIFY_SUCCESSFUL, if it is still pending then.
  std::function<void()> Arm(HWND window);
  // Ends the pending notification, if any, with `flag`.
  void Resolve(WPARAM flag);
  bool Pending();
  MCIDEVICEID Device() const { return device_; }

 private:
  void Complete(std::uint64_t ticket);

  MCIDEVICEID device_;
  std::mutex lock_;
  HWND window_ = nullptr;
  std::uint64_t ticket_ = 0;  // 0: nothing pending
  std::uint64_t nextTicket_ = 1;
};

}  // namespace platform::mci
