// The 3-D edges and the focus rectangle of the classic look.
#include "gdi/raster.h"

using namespace platform::gdi;

namespace {

void FillSolid(DcObject* dc, RECT device, COLORREF colour) {
  if (IsEmpty(device)) return;
  BrushObject brush;
  brush.colour = colour;
  FillRop3(dc, ToSurface(dc, device), BrushSampler(dc, &brush), 0xF0);
}

// One ring of an edge: the light sides (top, left) first, each the full length of the
// rectangle, then the dark sides (bottom, right) over them, so that the two corners where
// they meet (top-right, bottom-left) are dark when both are drawn.
void Ring(DcObject* dc, RECT& r, UINT flags, COLORREF light, COLORREF dark) {
  if (flags & BF_TOP) FillSolid(dc, {r.left, r.top, r.right, r.top + 1}, light);
  if (flags & BF_LEFT) FillSolid(dc, {r.left, r.top, r.left + 1, r.bottom}, light);
  if (flags & BF_BOTTOM) FillSolid(dc, {r.left, r.bottom - 1, r.right, r.bottom}, dark);
  if (flags & BF_RIGHT) FillSolid(dc, {r.right - 1, r.top, r.right, r.bottom}, dark);
  if (flags & BF_TOP) ++r.top;
  if (flags & BF_LEFT) ++r.left;
  if (flags & BF_BOTTOM) --r.bottom;
  if (flags & BF_RIGHT) --r.right;
}

}  // namespace

BOOL DrawEdge(HDC handle, LPRECT rect, UINT edge, UINT flags) {
  DcObject* dc = FindDc(handle);
  if (!dc || !rect) return FALSE;
  RECT r = Normalized(ToDevice(dc, *rect));
  RECT logicalShift{rect->left - r.left, rect->top - r.top, 0, 0};
  COLORREF outerLight, outerDark, innerLight, innerDark;
  bool hasOuter = edge & BDR_OUTER, hasInner = edge & BDR_INNER;
  if (flags & BF_MONO) {
    outerLight = outerDark = SystemColour(COLOR_WINDOWFRAME);
    innerLight = innerDark = SystemColour(COLOR_WINDOW);
  } else if (flags & BF_FLAT) {
    outerLight = outerDark = SystemColour(COLOR_BTNSHADOW);
    innerLight = innerDark = SystemColour(COLOR_BTNFACE);
  } else {
    bool raisedOuter = edge & BDR_RAISEDOUTER, raisedInner = edge & BDR_RAISEDINNER;
    outerLight = SystemColour(raisedOuter ? COLOR_3DLIGHT : COLOR_BTNSHADOW);
    outerDark = SystemColour(raisedOuter ? COLOR_3DDKSHADOW : COLOR_BTNHIGHLIGHT);
    innerLight = SystemColour(raisedInner ? COLOR_BTNHIGHLIGHT : COLOR_3DDKSHADOW);
    innerDark = SystemColour(raisedInner ? COLOR_BTNSHADOW : COLOR_3DLIGHT);
    // Soft edges swap the outer and inner light colours of a raised edge.
    if ((flags & BF_SOFT) && raisedOuter && raisedInner) std::swap(outerLight, innerLight);
  }
  if (flags & BF_DIAGONAL) {
    // Diagonal edges are drawn as a single line of the outer colour.
    HPEN pen = CreatePen(PS_SOLID, 1, outerDark);
    HGDIOBJ old = SelectObject(handle, pen);
    bool endTopRight = (flags & BF_TOP) && (flags & BF_RIGHT);
    MoveToEx(handle, rect->left, endTopRight ? rect->bottom - 1 : rect->top, nullptr);
    LineTo(handle, rect->right, endTopRight ? rect->top - 1 : rect->bottom);
    SelectObject(handle, old);
    DeleteObject(pen);
    return TRUE;
  }
  if (hasOuter) Ring(dc, r, flags, outerLight, outerDark);
  if (hasInner) Ring(dc, r, flags, innerLight, innerDark);
  if (flags & BF_MIDDLE) {
    FillSolid(dc, r, SystemColour((flags & BF_MONO) ? COLOR_WINDOW : COLOR_BTNFACE));
  }
  if (flags & BF_ADJUST) {
    *rect = {r.left + logicalShift.left, r.top + logicalShift.top, r.right + logicalShift.left,
             r.bottom + logicalShift.top};
  }
  return TRUE;
}

BOOL DrawFocusRect(HDC handle, const RECT* rect) {
  DcObject* dc = FindDc(handle);
  if (!dc || !rect) return FALSE;
  RECT s = ToSurface(dc, Normalized(ToDevice(dc, *rect)));
  if (IsEmpty(s)) return TRUE;
  dc->surface->Touch(s);
  // Every other pixel of the one-pixel frame is inverted; each frame pixel is visited once,
  // so drawing it again restores the picture.
  auto dot = [&](int x, int y) {
    if (((x + y) & 1) == 0) PlotPixel(dc, x, y, 0xFFFFFF, R2_XORPEN);
  };
  for (int x = s.left; x < s.right; ++x) {
    dot(x, s.top);
    if (s.bottom - 1 > s.top) dot(x, s.bottom - 1);
  }
  for (int y = s.top + 1; y < s.bottom - 1; ++y) {
    dot(s.left, y);
    if (s.right - 1 > s.left) dot(s.right - 1, y);
  }
  return TRUE;
}
