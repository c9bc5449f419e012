// What the drawing side needs from the window manager: where a window draws and what it
// may touch. Each top-level window has a backing surface; its children draw into it at
// their offset, clipped to their visible region. The screen is composed from the
// backing surfaces in z-order when it is shown or read.
#pragma once
#include <vector>

#include "gdi/surface.h"
#include "platform/user.h"
#include "private.h"

namespace platform::user {

enum class DrawArea { Client, Window };

struct DrawTarget {
  Surface* surface = nullptr;
  POINT origin{0, 0};         // surface point of the client (or window) area's (0,0)
  std::vector<RECT> visible;  // surface coordinates, non-overlapping
};

// The target for a window DC. `dcxFlags` are GetDCEx's DCX_CLIPCHILDREN and
// DCX_CLIPSIBLINGS, added to what the window's own styles ask for. A null window is
// the screen. False for a stale handle.
bool GetDrawTarget(HWND window, DrawArea area, DWORD dcxFlags, DrawTarget* out);

// The window's update region in client coordinates (empty when it needs no painting).
std::vector<RECT> UpdateRegion(HWND window);

// The screen: desktop background and the visible top-level windows, bottom to top.
Surface& ScreenSurface();
void ComposeScreen();
// Marks the screen as needing composition (after drawing into a backing surface).
void ScreenChanged();

// Forgets the DCs handed out by GetDC and BeginPaint (a test session frees every DC).
void ForgetIssuedDcs();

}  // namespace platform::user
