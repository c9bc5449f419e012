// What the built-in controls need from the window manager that hosts them, declared here and
// implemented by it: a slot in each window record for a control's state, the window's own
// scroll bars, and the registration of system classes. Everything else the controls do goes
// through the published API.
#pragma once
#include <memory>

#include "platform/win32.h"
#include "private.h"

namespace platform::controls {

// State that a built-in control, or the window's own scroll bars, keep for one window. The
// window record owns it, so it goes with the window however the window ends.
struct Extension {
  virtual ~Extension() = default;
};

// The slots of a live window (null for a stale handle).
std::shared_ptr<Extension>* ControlSlot(HWND window);
std::shared_ptr<Extension>* ScrollBarSlot(HWND window);

// Registers a class that every module sees and that survives a session reset.
ATOM RegisterSystemClass(const WNDCLASSA& windowClass);

}  // namespace platform::controls
