// Icons and cursors: building them from images, the system's own drawings, and the
// picture of a cursor for the backend that shows it.
#pragma once
#include "private.h"
#include <cstddef>
#include <cstdint>

#include "gdi/objects.h"

namespace platform::gdi {

// An icon or cursor image as stored in resources and icon files: a 40-byte header with
// the doubled height, colour table, XOR bits, AND mask. Fully checked against `size`.
bool ReadIconImage(const std::uint8_t* data, std::size_t size, Surface* colour, Surface* mask);
// A new icon object from pictures (sizes must match); returns its handle.
HICON MakeIcon(Surface colour, Surface mask, bool isIcon, POINT hotspot, bool shared);
// The system's icons and cursors, drawn by us, by their resource id (32512...).
HICON SystemIcon(unsigned id);
HCURSOR SystemCursor(unsigned id);

// A cursor's picture as 0xAARRGGBB pixels (alpha 0 where the screen shows through) and its
// hotspot, for the backend that shows the mouse pointer.
bool CursorPicture(HCURSOR cursor, Surface* argb, POINT* hotspot);

}  // namespace platform::gdi
