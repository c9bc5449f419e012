// The native desktop: every visible top-level window shown by the backend as a host window
// of its own, and what the host does to those windows (moves, sizes, focus, minimising,
// closing) turned into the platform's own calls and messages.
#pragma once
#include <cstdint>

#include "backend/backend.h"
#include "private.h"

namespace platform::user {

// Sizes the desktop for the backend in use: the host's work area for native windows, else
// the virtual screen's setting.
void AdoptDesktopSize();

// Hands the backend the visible top-level windows with what they drew since the last time
// (the queue calls this when it goes idle).
void PresentNativeWindows(backend::Backend& backend);

// The window's own WM_NCHITTEST answer as the host's moving and sizing.
backend::HostHit HostHitTest(std::uintptr_t window, POINT screen);

// Host events wait here in arrival order and are acted on when a message is next asked for,
// outside the backend's event handling, as another program's messages would be.
enum class HostChange { Moved, Focus, Minimized, Restored, Close };
void QueueHostChange(HostChange change, std::uintptr_t window, RECT rect = RECT{0, 0, 0, 0});
bool HostChangesPending();
void RunHostChanges();
void ResetHostChanges();

}  // namespace platform::user
