// The seam between the window manager and the GDI. A surface is a 32-bit pixel
// buffer (0x00RRGGBB per pixel, rows top to bottom): the screen, the backing store of
// each top-level window, and the bits of every device-dependent colour bitmap.
#pragma once
#include <cstdint>
#include <memory>
#include <vector>

#include "gdi/region.h"
#include "platform/types.h"
#include "private.h"

namespace platform {

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height
  // The bounds of what drawing changed since the window manager last took it (Touch), so
  // that the screen is composed and shown only where something changed.
  RECT damage{0, 0, 0, 0};

  void Resize(int newWidth, int newHeight, std::uint32_t fill = 0);
  std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
  // Adds to the damage; `changed` may reach past the edges (only what lies inside counts).
  void Touch(RECT changed) {
    changed = Intersection(changed, RECT{0, 0, width, height});
    if (IsEmpty(changed)) return;
    if (IsEmpty(damage)) {
      damage = changed;
      return;
    }
    if (changed.left < damage.left) damage.left = changed.left;
    if (changed.top < damage.top) damage.top = changed.top;
    if (changed.right > damage.right) damage.right = changed.right;
    if (changed.bottom > damage.bottom) damage.bottom = changed.bottom;
  }
};

namespace gdi {

// A device context that draws into `surface` (owned by the caller, which keeps it alive
// until the DC is released). `origin` is the surface point of the DC's logical (0,0) before
// any window or viewport origin is set; drawing is clipped to `visible`, a set of
// non-overlapping rectangles in surface coordinates. `window` is what WindowFromDC answers.
HDC CreateSurfaceDC(Surface* surface, POINT origin, const std::vector<RECT>& visible, HWND window);
// Frees a DC made by CreateSurfaceDC or CreateWindowDC and the objects it created for
// itself; the objects selected into it are not deleted.
void ReleaseSurfaceDC(HDC dc);

// Window DCs. A window DC asks the window manager where it draws when it is made and again
// whenever windows have changed since (WindowsChanged), so it follows its window when it
// moves, is restacked or changes parent, and it shares the surface it draws on, which
// therefore outlives the window as long as the DC does. Once its window is destroyed the
// DC draws nothing and every call on it fails with ERROR_INVALID_HANDLE, until it is
// released.
struct WindowDcRequest {
  HWND window = nullptr;  // null: the screen
  bool wholeWindow = false;
  DWORD dcxFlags = 0;  // DCX_CLIPCHILDREN, DCX_CLIPSIBLINGS
  // When set, drawing is also kept inside this region, in the DC's own coordinates (the
  // update region for BeginPaint, the region of GetDCEx).
  bool limited = false;
  Region within;
};
struct WindowTarget {
  std::shared_ptr<Surface> surface;
  POINT origin{0, 0};         // surface point of the DC's (0,0)
  std::vector<RECT> visible;  // surface coordinates, non-overlapping
};
// Installed by the window manager; false when the window no longer exists.
using WindowTargetSource = bool (*)(const WindowDcRequest& request, WindowTarget* out);
void SetWindowTargetSource(WindowTargetSource source);
// Null (with the window manager's error) when the window does not exist.
HDC CreateWindowDC(const WindowDcRequest& request);
// Every window DC asks again before it next draws.
void WindowsChanged();

// Called before a DC on the screen surface draws or reads, so that the screen shows what
// the windows hold there first (installed by the window manager).
void SetScreenPreparer(void (*prepare)());

// Scrolling what is already drawn (surface coordinates): the pixels of `source` that lie in
// `readable` move by (dx, dy) to where they land inside both `limit` and `readable`. Answers
// that destination: the rest of `limit` is what the scroll uncovered.
Region MoveBits(Surface& surface, const Region& readable, const RECT& source, const RECT& limit,
                int dx, int dy);

}  // namespace gdi
}  // namespace platform
