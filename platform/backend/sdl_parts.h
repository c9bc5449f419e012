// The parts of the sdl backend that do not depend on its windows: the host keyboard's keys
// as virtual keys, and our pixels shown on host surfaces, every one as scale x scale.
#pragma once
#include <SDL.h>

#include "gdi/surface.h"
#include "private.h"

namespace platform::backend {

// The virtual key of a host key, 0 for a key the classic layout has no name for.
UINT VirtualKeyOf(SDL_Keycode key);

// Rounds towards minus infinity, so that host points left of or above a window (a drag
// outside it) map to our points left of or above it.
int FloorDivide(int value, int divisor);

// Copies `area` of `from` onto `to`, each pixel as a scale x scale block, our (0,0) at the
// host's (0,0); returns the host rectangle written (empty when nothing of it fits).
SDL_Rect CopyScaled(const Surface& from, RECT area, SDL_Surface* to, int scale);

// A host surface's pixels as 0x00RRGGBB (tests); false for a format we do not read.
bool ReadSurface(SDL_Surface* shown, Surface* out);

// An icon or cursor as an ARGB host surface enlarged by `scale` (the caller frees it), with
// its hotspot; null for no picture.
SDL_Surface* PictureOf(HICON icon, int scale, POINT* hotspot);

}  // namespace platform::backend
