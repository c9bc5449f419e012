// What the drawing side needs from the window manager: where a window draws and what it
// may touch. Each top-level window has a backing surface; its children draw into it at
// their offset, clipped to their visible region. The screen is composed from the
// backing surfaces in z-order when it is shown or read.
#pragma once
#include <memory>
#include <vector>

#include "gdi/surface.h"
#include "platform/user.h"
#include "private.h"

namespace platform::user {

enum class DrawArea { Client, Window };

struct DrawTarget {
  std::shared_ptr<Surface> surface;
  POINT origin{0, 0};         // surface point of the client (or window) area's (0,0)
  std::vector<RECT> visible;  // surface coordinates, non-overlapping
};

// The target for a window DC. `dcxFlags` are GetDCEx's DCX_CLIPCHILDREN and
// DCX_CLIPSIBLINGS, added to what the window's own styles ask for. A null window is
// the screen. False for a stale handle.
bool GetDrawTarget(HWND window, DrawArea area, DWORD dcxFlags, DrawTarget* out);

// The window's update region in client coordinates (empty when it needs no painting).
std::vector<RECT> UpdateRegion(HWND window);

// The screen: desktop background and the visible top-level windows, bottom to top. It is
// composed only where something changed: where windows drew (their surfaces' damage) and
// where top-level windows appeared, moved, were restacked or went (ScreenDamaged). What
// was drawn on the screen itself (a screen DC) stays until something is composed over it.
Surface& ScreenSurface();
void ComposeScreen();
// A screen area (screen coordinates) to compose again.
void ScreenDamaged(const RECT& area);
// Composes the whole screen again (a new session, an uncovered host window).
void ScreenChanged();
// What changed on the screen since the last call (composed areas and screen DC drawing),
// for the backend to show.
std::vector<RECT> TakePresentDamage();

// Forgets the DCs handed out by GetDC and BeginPaint (a test session frees every DC).
void ForgetIssuedDcs();
// Where a window DC draws now (the GDI's WindowTargetSource); false once the window is gone.
bool FollowWindow(const gdi::WindowDcRequest& request, gdi::WindowTarget* out);

}  // namespace platform::user
