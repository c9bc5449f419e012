// Text output shared by TextOutA, ExtTextOutA and DrawTextA.
#pragma once
#include "private.h"
#include <string_view>

#include "gdi/font.h"
#include "gdi/objects.h"

namespace platform::gdi {

RealizedFont* DcFont(DcObject* dc);
// Draws glyphs with the cell's top-left at (x, y) in device coordinates, in the text colour
// (no background), clipped also to `limit` (device coordinates) when given.
void PaintGlyphs(DcObject* dc, int x, int y, std::u32string_view text, const INT* advances,
                 const RECT* limit);
// A horizontal line under or through text: [x0, x1) at row `y` (device), text colour.
void PaintTextLine(DcObject* dc, int x0, int x1, int y, int thickness, const RECT* limit);

}  // namespace platform::gdi
