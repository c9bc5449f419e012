// The seam between the window manager and the GDI. A surface is a 32-bit pixel
// buffer (0x00RRGGBB per pixel, rows top to bottom): the screen, the backing store of
// each top-level window, and the bits of every device-dependent colour bitmap.
#pragma once
#include "private.h"
#include <cstdint>
#include <vector>

#include "platform/types.h"

namespace platform {

struct Surface {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // width * height

  void Resize(int newWidth, int newHeight, std::uint32_t fill = 0);
  std::uint32_t* Row(int y) { return pixels.data() + static_cast<std::size_t>(y) * width; }
};

namespace gdi {

// A device context that draws into `surface` (owned by the caller, which keeps it alive
// until the DC is released). `origin` is the surface point of the DC's logical (0,0) before
// any window or viewport origin is set; drawing is clipped to `visible`, a set of
// non-overlapping rectangles in surface coordinates (the window's visible region; for
// BeginPaint, intersected with the update region). `window` is what WindowFromDC answers.
HDC CreateSurfaceDC(Surface* surface, POINT origin, const std::vector<RECT>& visible, HWND window);
// Frees a DC made by CreateSurfaceDC and the objects it created for itself; the
// objects selected into it are not deleted.
void ReleaseSurfaceDC(HDC dc);

}  // namespace gdi
}  // namespace platform
