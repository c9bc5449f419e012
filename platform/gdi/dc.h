// Device-context helpers shared by the drawing files: coordinate mapping and the
// selected objects, looked up through their handles on every use.
#pragma once
#include "private.h"
#include "gdi/objects.h"

namespace platform::gdi {

// Logical to device coordinates (device = the DC's own pixels, before its surface origin).
inline POINT ToDevice(const DcObject* dc, int x, int y) {
  return {x - dc->state.windowOrigin.x + dc->state.viewportOrigin.x,
          y - dc->state.windowOrigin.y + dc->state.viewportOrigin.y};
}
inline RECT ToDevice(const DcObject* dc, const RECT& r) {
  POINT a = ToDevice(dc, r.left, r.top), b = ToDevice(dc, r.right, r.bottom);
  return {a.x, a.y, b.x, b.y};
}
// Device to surface coordinates.
inline RECT ToSurface(const DcObject* dc, const RECT& r) {
  return {r.left + dc->origin.x, r.top + dc->origin.y, r.right + dc->origin.x,
          r.bottom + dc->origin.y};
}
inline RECT Normalized(RECT r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

PenObject* SelectedPen(DcObject* dc);      // never null (falls back to the black pen)
BrushObject* SelectedBrush(DcObject* dc);  // never null (falls back to the white brush)
FontObject* SelectedFont(DcObject* dc);    // never null (falls back to the system font)
// A brush handle as FillRect takes it: a real brush or a system colour index + 1.
BrushObject* BrushFromHandle(HBRUSH brush, BrushObject& scratch);

}  // namespace platform::gdi
