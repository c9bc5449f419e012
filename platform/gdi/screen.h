// The virtual screen: the desktop with the top-level windows' surfaces composed on it in
// z-order, and PNG files of any surface for tests and screenshots.
#pragma once
#include <string>
#include <vector>

#include "gdi/surface.h"
#include "private.h"

namespace platform::gdi {

// The screen surface (TD_SCREEN=WxH, else 800 x 600), filled with the desktop colour. The
// window manager sizes it to the desktop (the native desktop's is the host's work area).
Surface& Screen();
// The virtual desktop's size: TD_SCREEN when it is a sensible WxH, else 800 x 600.
POINT ScreenSetting();

struct ScreenLayer {
  const Surface* surface;  // a top-level window's backing surface
  POINT position;          // its top-left corner on the screen
};
// Repaints the desktop and composes the layers, bottom first, inside the `damage`
// rectangles (screen coordinates) only; the rest of the screen keeps what it shows.
void ComposeScreen(const std::vector<ScreenLayer>& layers, const std::vector<RECT>& damage);

// Writes an 8-bit RGB PNG; false (with nothing half-written left behind) on failure.
bool WritePng(const Surface& surface, const std::string& path);
// Reads a PNG into 0x00RRGGBB pixels (alpha dropped); false for a missing or damaged file.
bool ReadPng(const std::string& path, Surface* surface);

}  // namespace platform::gdi
