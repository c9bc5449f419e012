// Scrolling pixels in place: the moving half of ScrollDC and of scrolling a window.
#include <algorithm>
#include <cstring>

#include "gdi/dc.h"

namespace platform::gdi {

Region MoveBits(Surface& surface, const Region& readable, const RECT& source, const RECT& limit,
                int dx, int dy) {
  Region from(Intersection(source, RECT{0, 0, surface.width, surface.height}));
  from.Intersect(readable);
  Region to = from;
  to.Offset(dx, dy);
  to.Intersect(limit);
  to.Intersect(readable);
  to.Intersect(RECT{0, 0, surface.width, surface.height});
  if (to.Empty() || (dx == 0 && dy == 0)) return to;
  // The pixels are read from a copy, so overlapping source and destination bands never
  // read what this scroll has already written.
  RECT box = to.Bounds();
  int width = box.right - box.left, height = box.bottom - box.top;
  std::vector<std::uint32_t> copy(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y)
    std::memcpy(copy.data() + static_cast<std::size_t>(y) * width,
                surface.Row(box.top + y - dy) + box.left - dx, sizeof(std::uint32_t) * width);
  for (const RECT& r : to.Rects())
    for (int y = r.top; y < r.bottom; ++y)
      std::memcpy(surface.Row(y) + r.left,
                  copy.data() + static_cast<std::size_t>(y - box.top) * width + (r.left - box.left),
                  sizeof(std::uint32_t) * (r.right - r.left));
  surface.Touch(box);
  return to;
}

}  // namespace platform::gdi

using namespace platform::gdi;

BOOL ScrollDC(HDC handle, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
              LPRECT updateRect) {
  DcObject* dc = FindDc(handle);
  if (!dc || !dc->surface) return FALSE;
  RegionObject* out = nullptr;
  if (update && !(out = FindRegion(update))) return FALSE;
  Region readable = Region::FromRects(dc->Clip());
  // Logical coordinates are the surface's moved by the origins (no scaling here).
  int toSurfaceX = dc->origin.x + dc->state.viewportOrigin.x - dc->state.windowOrigin.x;
  int toSurfaceY = dc->origin.y + dc->state.viewportOrigin.y - dc->state.windowOrigin.y;
  RECT source = scroll ? Offset(Normalized(*scroll), toSurfaceX, toSurfaceY) : readable.Bounds();
  RECT limit =
      clip ? Intersection(source, Offset(Normalized(*clip), toSurfaceX, toSurfaceY)) : source;
  Region moved = MoveBits(*dc->surface, readable, source, limit, dx, dy);
  Region uncovered(limit);
  uncovered = Region::Combine(uncovered, moved, Region::Op::Diff);
  uncovered.Offset(-toSurfaceX, -toSurfaceY);
  if (out) out->region = uncovered;
  if (updateRect) *updateRect = uncovered.Empty() ? RECT{0, 0, 0, 0} : uncovered.Bounds();
  return TRUE;
}
