// Regions and the clipping of device contexts.
#include "gdi/dc.h"

using namespace platform::gdi;

namespace {

Region::Op ToOp(int mode) {
  switch (mode) {
    case RGN_AND:
      return Region::Op::And;
    case RGN_XOR:
      return Region::Op::Xor;
    case RGN_DIFF:
      return Region::Op::Diff;
    default:
      return Region::Op::Or;
  }
}

// The DC's whole drawable area in its device coordinates: where no clip region means "all".
Region DeviceArea(DcObject* dc) {
  std::vector<RECT> rects;
  for (RECT v : dc->visible) {
    v.left -= dc->origin.x;
    v.right -= dc->origin.x;
    v.top -= dc->origin.y;
    v.bottom -= dc->origin.y;
    rects.push_back(v);
  }
  return Region::FromRects(rects);
}

int ClipComplexity(DcObject* dc) {
  const auto& clip = dc->Clip();
  if (clip.empty()) return NULLREGION;
  return clip.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

int ChangeClip(DcObject* dc, const Region& region, Region::Op op) {
  Region current = dc->state.clip ? *dc->state.clip : DeviceArea(dc);
  dc->state.clip = Region::Combine(current, region, op);
  dc->ClipChanged();
  return ClipComplexity(dc);
}

}  // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom) {
  auto region = std::make_unique<RegionObject>();
  region->region = Region(Normalized(RECT{left, top, right, bottom}));
  return static_cast<HRGN>(AddObject(std::move(region)));
}

HRGN CreateRectRgnIndirect(const RECT* rect) {
  if (!rect) return nullptr;
  return CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom);
}

BOOL SetRectRgn(HRGN handle, int left, int top, int right, int bottom) {
  RegionObject* region = FindRegion(handle);
  if (!region) return FALSE;
  region->region = Region(Normalized(RECT{left, top, right, bottom}));
  return TRUE;
}

int CombineRgn(HRGN destination, HRGN source1, HRGN source2, int mode) {
  RegionObject* target = FindRegion(destination);
  RegionObject* a = FindRegion(source1);
  if (!target || !a || mode < RGN_AND || mode > RGN_COPY) return ERROR;
  if (mode == RGN_COPY) {
    target->region = a->region;
  } else {
    RegionObject* b = FindRegion(source2);
    if (!b) return ERROR;
    target->region = Region::Combine(a->region, b->region, ToOp(mode));
  }
  return target->region.Complexity();
}

int OffsetRgn(HRGN handle, int x, int y) {
  RegionObject* region = FindRegion(handle);
  if (!region) return ERROR;
  region->region.Offset(x, y);
  return region->region.Complexity();
}

int GetRgnBox(HRGN handle, LPRECT rect) {
  RegionObject* region = FindRegion(handle);
  if (!region || !rect) return ERROR;
  *rect = region->region.Bounds();
  return region->region.Complexity();
}

BOOL PtInRegion(HRGN handle, int x, int y) {
  RegionObject* region = FindRegion(handle);
  return region && region->region.Contains(x, y);
}

BOOL RectInRegion(HRGN handle, const RECT* rect) {
  RegionObject* region = FindRegion(handle);
  return region && rect && region->region.Intersects(Normalized(*rect));
}

BOOL EqualRgn(HRGN handle1, HRGN handle2) {
  RegionObject* a = FindRegion(handle1);
  RegionObject* b = FindRegion(handle2);
  return a && b && a->region == b->region;
}

int ExtSelectClipRgn(HDC handle, HRGN regionHandle, int mode) {
  DcObject* dc = FindDc(handle);
  if (!dc) return ERROR;
  if (!regionHandle) {
    if (mode != RGN_COPY) return ERROR;
    dc->state.clip.reset();
    dc->ClipChanged();
    return ClipComplexity(dc);
  }
  RegionObject* region = FindRegion(regionHandle);
  if (!region) return ERROR;
  // The region is in device units and is copied: the caller keeps and may delete it.
  if (mode == RGN_COPY) {
    dc->state.clip = region->region;
    dc->ClipChanged();
    return ClipComplexity(dc);
  }
  return ChangeClip(dc, region->region, ToOp(mode));
}

int SelectClipRgn(HDC dc, HRGN region) { return ExtSelectClipRgn(dc, region, RGN_COPY); }

int GetClipRgn(HDC handle, HRGN regionHandle) {
  DcObject* dc = FindDc(handle);
  RegionObject* region = FindRegion(regionHandle);
  if (!dc || !region) return -1;
  if (!dc->state.clip) return 0;
  region->region = *dc->state.clip;
  return 1;
}

int IntersectClipRect(HDC handle, int left, int top, int right, int bottom) {
  DcObject* dc = FindDc(handle);
  if (!dc) return ERROR;
  return ChangeClip(dc, Region(Normalized(ToDevice(dc, RECT{left, top, right, bottom}))),
                    Region::Op::And);
}

int ExcludeClipRect(HDC handle, int left, int top, int right, int bottom) {
  DcObject* dc = FindDc(handle);
  if (!dc) return ERROR;
  return ChangeClip(dc, Region(Normalized(ToDevice(dc, RECT{left, top, right, bottom}))),
                    Region::Op::Diff);
}

int OffsetClipRgn(HDC handle, int x, int y) {
  DcObject* dc = FindDc(handle);
  if (!dc) return ERROR;
  if (dc->state.clip) {
    dc->state.clip->Offset(x, y);
    dc->ClipChanged();
  }
  return ClipComplexity(dc);
}

int GetClipBox(HDC handle, LPRECT rect) {
  DcObject* dc = FindDc(handle);
  if (!dc || !rect) return ERROR;
  const auto& clip = dc->Clip();
  RECT box = Region::FromRects(clip).Bounds();
  // Back from surface to logical coordinates.
  int dx = dc->origin.x + dc->state.viewportOrigin.x - dc->state.windowOrigin.x;
  int dy = dc->origin.y + dc->state.viewportOrigin.y - dc->state.windowOrigin.y;
  if (clip.empty()) {
    *rect = {0, 0, 0, 0};
    return NULLREGION;
  }
  *rect = {box.left - dx, box.top - dy, box.right - dx, box.bottom - dy};
  return clip.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

BOOL RectVisible(HDC handle, const RECT* rect) {
  DcObject* dc = FindDc(handle);
  if (!dc || !rect) return FALSE;
  RECT r = ToSurface(dc, Normalized(ToDevice(dc, *rect)));
  for (const RECT& c : dc->Clip()) {
    if (!IsEmpty(Intersection(c, r))) return TRUE;
  }
  return FALSE;
}

BOOL PtVisible(HDC handle, int x, int y) {
  RECT r{x, y, x + 1, y + 1};
  return RectVisible(handle, &r);
}
