// Lines, rectangles, ellipses, polygons, pixels and brush fills.
#include <algorithm>
#include <cmath>

#include "gdi/raster.h"

using namespace platform::gdi;

namespace {

// Dash patterns of one-pixel styled pens, alternating on and off runs.
const std::vector<int>& DashPattern(int style) {
  static const std::vector<int> kDash{18, 6}, kDot{3, 3}, kDashDot{9, 6, 3, 6},
      kDashDotDot{9, 3, 3, 3, 3, 3}, kSolid{};
  switch (style) {
    case PS_DASH:
      return kDash;
    case PS_DOT:
      return kDot;
    case PS_DASHDOT:
      return kDashDot;
    case PS_DASHDOTDOT:
      return kDashDotDot;
    default:
      return kSolid;
  }
}

// Whether the n-th pixel of a styled line is in a dash (true) or a gap.
bool DashOn(const std::vector<int>& pattern, int n) {
  int period = 0;
  for (int run : pattern) period += run;
  n %= period;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (n < pattern[i]) return i % 2 == 0;
    n -= pattern[i];
  }
  return true;
}

// Draws the pen's line from a to b (device coordinates), without the last point.
void PenLine(DcObject* dc, POINT a, POINT b) {
  PenObject* pen = SelectedPen(dc);
  if (pen->style == PS_NULL) return;
  std::uint32_t colour = DevicePixel(dc, pen->colour);
  std::uint32_t background = DevicePixel(dc, dc->state.backgroundColour);
  const auto& pattern = DashPattern(pen->style);
  int rop2 = dc->state.rop2;
  int x0 = a.x + dc->origin.x, y0 = a.y + dc->origin.y;
  int x1 = b.x + dc->origin.x, y1 = b.y + dc->origin.y;
  int reach = pen->width / 2 + 1;
  dc->surface->Touch(RECT{std::min(x0, x1) - reach, std::min(y0, y1) - reach,
                          std::max(x0, x1) + reach, std::max(y0, y1) + reach});
  int dx = std::abs(x1 - x0), dy = -std::abs(y1 - y0);
  int sx = x0 < x1 ? 1 : -1, sy = y0 < y1 ? 1 : -1;
  int error = dx + dy;
  int width = pen->width;
  std::vector<std::pair<int, int>> wide;
  while (!(x0 == x1 && y0 == y1)) {
    if (width > 1) {
      int half = (width - 1) / 2;
      for (int oy = -half; oy < width - half; ++oy) {
        for (int ox = -half; ox < width - half; ++ox) wide.emplace_back(x0 + ox, y0 + oy);
      }
    } else if (pattern.empty() || DashOn(pattern, dc->penPhase)) {
      PlotPixel(dc, x0, y0, colour, rop2);
    } else if (dc->state.backgroundMode == OPAQUE) {
      PlotPixel(dc, x0, y0, background, rop2);
    }
    ++dc->penPhase;
    int e2 = 2 * error;
    if (e2 >= dy) {
      error += dy;
      x0 += sx;
    }
    if (e2 <= dx) {
      error += dx;
      y0 += sy;
    }
  }
  // A wide line visits each pixel once even where the square stamps overlap.
  std::sort(wide.begin(), wide.end());
  wide.erase(std::unique(wide.begin(), wide.end()), wide.end());
  for (auto [x, y] : wide) PlotPixel(dc, x, y, colour, rop2);
}

// Fills a region given in surface coordinates through rop2 with a brush.
void FillSurfaceRegion(DcObject* dc, const Region& region, const BrushSampler& brush, int rop2) {
  for (const RECT& r : region.Rects()) {
    for (int y = r.top; y < r.bottom; ++y) FillSpan(dc, y, r.left, r.right, brush, rop2);
  }
}

RECT SurfaceRect(DcObject* dc, int left, int top, int right, int bottom) {
  return ToSurface(dc, Normalized(ToDevice(dc, RECT{left, top, right, bottom})));
}

}  // namespace

BOOL MoveToEx(HDC handle, int x, int y, LPPOINT previous) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  if (previous) *previous = dc->state.position;
  dc->state.position = {x, y};
  dc->penPhase = 0;
  return TRUE;
}

BOOL LineTo(HDC handle, int x, int y) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  POINT from = dc->state.position;
  PenLine(dc, ToDevice(dc, from.x, from.y), ToDevice(dc, x, y));
  dc->state.position = {x, y};
  return TRUE;
}

BOOL Polyline(HDC handle, const POINT* points, int count) {
  DcObject* dc = FindDc(handle);
  if (!dc || !points || count < 2) return FALSE;
  dc->penPhase = 0;
  for (int i = 1; i < count; ++i) {
    PenLine(dc, ToDevice(dc, points[i - 1].x, points[i - 1].y),
            ToDevice(dc, points[i].x, points[i].y));
  }
  return TRUE;
}

BOOL Polygon(HDC handle, const POINT* points, int count) {
  DcObject* dc = FindDc(handle);
  if (!dc || !points || count < 2) return FALSE;
  std::vector<POINT> p(points, points + count);
  for (POINT& q : p) {
    q = ToDevice(dc, q.x, q.y);
    q.x += dc->origin.x;
    q.y += dc->origin.y;
  }
  BrushSampler brush(dc, SelectedBrush(dc));
  int top = p[0].y, bottom = p[0].y;
  for (POINT q : p) {
    top = std::min(top, static_cast<int>(q.y));
    bottom = std::max(bottom, static_cast<int>(q.y));
  }
  // Scanline fill sampling pixel centres; winding numbers decide for both fill modes.
  for (int y = top; y < bottom; ++y) {
    double yc = y + 0.5;
    std::vector<std::pair<double, int>> crossings;
    for (int i = 0; i < count; ++i) {
      POINT a = p[i], b = p[(i + 1) % count];
      if (a.y == b.y) continue;
      if ((yc >= a.y && yc < b.y) || (yc >= b.y && yc < a.y)) {
        double x = a.x + (yc - a.y) * (b.x - a.x) / static_cast<double>(b.y - a.y);
        crossings.emplace_back(x, a.y < b.y ? 1 : -1);
      }
    }
    std::sort(crossings.begin(), crossings.end());
    int winding = 0;
    for (std::size_t i = 0; i + 1 < crossings.size(); ++i) {
      winding += crossings[i].second;
      bool inside = dc->state.polyFillMode == WINDING ? winding != 0 : (i % 2 == 0);
      if (!inside) continue;
      int x0 = static_cast<int>(std::ceil(crossings[i].first - 0.5));
      int x1 = static_cast<int>(std::ceil(crossings[i + 1].first - 0.5));
      FillSpan(dc, y, x0, x1, brush, dc->state.rop2);
    }
  }
  dc->penPhase = 0;
  for (int i = 0; i < count; ++i) {
    POINT a = ToDevice(dc, points[i].x, points[i].y);
    POINT b = ToDevice(dc, points[(i + 1) % count].x, points[(i + 1) % count].y);
    PenLine(dc, a, b);
  }
  return TRUE;
}

BOOL Rectangle(HDC handle, int left, int top, int right, int bottom) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  RECT r = Normalized(ToDevice(dc, RECT{left, top, right, bottom}));
  PenObject* pen = SelectedPen(dc);
  BrushSampler brush(dc, SelectedBrush(dc));
  RECT s = ToSurface(dc, r);
  if (pen->style == PS_NULL) {
    // Without a pen the filled area is one pixel smaller on the right and bottom.
    FillSurfaceRegion(dc, Region(RECT{s.left, s.top, s.right - 1, s.bottom - 1}), brush,
                      dc->state.rop2);
    return TRUE;
  }
  int w = pen->width;
  RECT outer = s;
  if (w > 1 && pen->style != PS_INSIDEFRAME) {
    int half = (w - 1) / 2;
    outer = {s.left - half, s.top - half, s.right + (w - 1 - half), s.bottom + (w - 1 - half)};
  }
  RECT inner{outer.left + w, outer.top + w, outer.right - w, outer.bottom - w};
  FillSurfaceRegion(dc, Region(inner), brush, dc->state.rop2);
  if (w == 1) {
    dc->penPhase = 0;
    POINT corners[5] = {{r.left, r.top},
                        {r.right - 1, r.top},
                        {r.right - 1, r.bottom - 1},
                        {r.left, r.bottom - 1},
                        {r.left, r.top}};
    if (r.right - r.left == 1 || r.bottom - r.top == 1) {
      BrushObject penBrush;
      penBrush.colour = pen->colour;
      FillSurfaceRegion(dc, Region(s), BrushSampler(dc, &penBrush), dc->state.rop2);
      return TRUE;
    }
    for (int i = 0; i < 4; ++i) PenLine(dc, corners[i], corners[i + 1]);
    return TRUE;
  }
  BrushObject penBrush;
  penBrush.colour = pen->colour;
  Region band = Region::Combine(Region(outer), Region(inner), Region::Op::Diff);
  FillSurfaceRegion(dc, band, BrushSampler(dc, &penBrush), dc->state.rop2);
  return TRUE;
}

BOOL Ellipse(HDC handle, int left, int top, int right, int bottom) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  RECT s = ToSurface(dc, Normalized(ToDevice(dc, RECT{left, top, right, bottom})));
  int height = s.bottom - s.top;
  if (s.right - s.left < 1 || height < 1) return TRUE;
  // Row spans of the pixels whose centres lie inside the ellipse.
  double a = (s.right - s.left) / 2.0, b = height / 2.0;
  double cx = s.left + a, cy = s.top + b;
  std::vector<std::pair<int, int>> spans(static_cast<std::size_t>(height));
  for (int i = 0; i < height; ++i) {
    double dy = (s.top + i + 0.5 - cy) / b;
    double half = dy * dy >= 1 ? 0 : a * std::sqrt(1 - dy * dy);
    int x0 = static_cast<int>(std::ceil(cx - half - 0.5));
    int x1 = static_cast<int>(std::floor(cx + half - 0.5)) + 1;
    if (x1 <= x0) {
      // Thin rows at the very top and bottom keep the one centre pixel.
      x0 = static_cast<int>(std::floor(cx - 0.5 + 0.5));
      x1 = x0 + 1;
    }
    spans[static_cast<std::size_t>(i)] = {x0, x1};
  }
  PenObject* pen = SelectedPen(dc);
  BrushSampler brush(dc, SelectedBrush(dc));
  BrushObject penBrush;
  penBrush.colour = pen->colour;
  BrushSampler penSampler(dc, &penBrush);
  bool hasPen = pen->style != PS_NULL;
  for (int i = 0; i < height; ++i) {
    auto [x0, x1] = spans[static_cast<std::size_t>(i)];
    int y = s.top + i;
    if (!hasPen) {
      FillSpan(dc, y, x0, x1, brush, dc->state.rop2);
      continue;
    }
    // Interior pixels have all four neighbours inside; the rest is outline.
    int in0 = x0 + 1, in1 = x1 - 1;
    for (int n : {i - 1, i + 1}) {
      if (n < 0 || n >= height) {
        in1 = in0;
        break;
      }
      in0 = std::max(in0, spans[static_cast<std::size_t>(n)].first);
      in1 = std::min(in1, spans[static_cast<std::size_t>(n)].second);
    }
    if (in1 <= in0) {
      FillSpan(dc, y, x0, x1, penSampler, dc->state.rop2);
      continue;
    }
    FillSpan(dc, y, x0, in0, penSampler, dc->state.rop2);
    FillSpan(dc, y, in0, in1, brush, dc->state.rop2);
    FillSpan(dc, y, in1, x1, penSampler, dc->state.rop2);
  }
  return TRUE;
}

int FillRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
  DcObject* dc = FindDc(handle);
  BrushObject scratch;
  BrushObject* brush = BrushFromHandle(brushHandle, scratch);
  if (!dc || !rect || !brush) return FALSE;
  RECT r = ToDevice(dc, *rect);
  if (IsEmpty(r)) return TRUE;
  FillRop3(dc, ToSurface(dc, r), BrushSampler(dc, brush), 0xF0);
  return TRUE;
}

int FrameRect(HDC handle, const RECT* rect, HBRUSH brushHandle) {
  DcObject* dc = FindDc(handle);
  BrushObject scratch;
  BrushObject* brush = BrushFromHandle(brushHandle, scratch);
  if (!dc || !rect || !brush) return FALSE;
  RECT r = ToDevice(dc, *rect);
  if (IsEmpty(r)) return TRUE;
  RECT s = ToSurface(dc, r);
  Region band = Region::Combine(
      Region(s), Region(RECT{s.left + 1, s.top + 1, s.right - 1, s.bottom - 1}), Region::Op::Diff);
  BrushSampler sampler(dc, brush);
  for (const RECT& b : band.Rects()) FillRop3(dc, b, sampler, 0xF0);
  return TRUE;
}

BOOL InvertRect(HDC handle, const RECT* rect) {
  DcObject* dc = FindDc(handle);
  if (!dc || !rect) return FALSE;
  RECT r = ToDevice(dc, *rect);
  if (IsEmpty(r)) return TRUE;
  FillRop3(dc, ToSurface(dc, r), BrushSampler(dc, nullptr), 0x55);
  return TRUE;
}

BOOL PatBlt(HDC handle, int x, int y, int width, int height, DWORD rop) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  unsigned index = (rop >> 16) & 0xFF;
  if (RopUsesSource(index)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  FillRop3(dc, SurfaceRect(dc, x, y, x + width, y + height), BrushSampler(dc, SelectedBrush(dc)),
           index);
  return TRUE;
}

COLORREF SetPixel(HDC handle, int x, int y, COLORREF colour) {
  DcObject* dc = FindDc(handle);
  if (!dc) return CLR_INVALID;
  POINT p = ToDevice(dc, x, y);
  p.x += dc->origin.x;
  p.y += dc->origin.y;
  if (!InsideClip(dc, p.x, p.y)) return CLR_INVALID;
  std::uint32_t pixel = DevicePixel(dc, colour);
  dc->surface->Row(p.y)[p.x] = pixel;
  dc->surface->Touch(RECT{p.x, p.y, p.x + 1, p.y + 1});
  return ToColour(pixel);
}

BOOL SetPixelV(HDC dc, int x, int y, COLORREF colour) {
  return SetPixel(dc, x, y, colour) != CLR_INVALID;
}

COLORREF GetPixel(HDC handle, int x, int y) {
  DcObject* dc = FindDc(handle);
  if (!dc || !dc->surface) return CLR_INVALID;
  POINT p = ToDevice(dc, x, y);
  p.x += dc->origin.x;
  p.y += dc->origin.y;
  if (!InsideClip(dc, p.x, p.y)) return CLR_INVALID;
  return ToColour(dc->surface->Row(p.y)[p.x]);
}

namespace {
Region SurfaceRegion(DcObject* dc, const Region& logical) {
  Region r = logical;
  POINT shift = ToDevice(dc, 0, 0);
  r.Offset(shift.x + dc->origin.x, shift.y + dc->origin.y);
  return r;
}
}  // namespace

BOOL FillRgn(HDC handle, HRGN regionHandle, HBRUSH brushHandle) {
  DcObject* dc = FindDc(handle);
  RegionObject* region = FindRegion(regionHandle);
  BrushObject scratch;
  BrushObject* brush = BrushFromHandle(brushHandle, scratch);
  if (!dc || !region || !brush) return FALSE;
  BrushSampler sampler(dc, brush);
  // The region is kept in a local: a loop over a member of a temporary outlives it.
  const Region area = SurfaceRegion(dc, region->region);
  for (const RECT& r : area.Rects()) FillRop3(dc, r, sampler, 0xF0);
  return TRUE;
}

BOOL PaintRgn(HDC handle, HRGN region) {
  DcObject* dc = FindDc(handle);
  if (!dc) return FALSE;
  return FillRgn(handle, region, dc->state.brush);
}

BOOL InvertRgn(HDC handle, HRGN regionHandle) {
  DcObject* dc = FindDc(handle);
  RegionObject* region = FindRegion(regionHandle);
  if (!dc || !region) return FALSE;
  const Region area = SurfaceRegion(dc, region->region);
  for (const RECT& r : area.Rects()) {
    FillRop3(dc, r, BrushSampler(dc, nullptr), 0x55);
  }
  return TRUE;
}

BOOL FrameRgn(HDC handle, HRGN regionHandle, HBRUSH brushHandle, int width, int height) {
  DcObject* dc = FindDc(handle);
  RegionObject* region = FindRegion(regionHandle);
  BrushObject scratch;
  BrushObject* brush = BrushFromHandle(brushHandle, scratch);
  if (!dc || !region || !brush || width < 1 || height < 1) return FALSE;
  // The frame is the region minus the region shrunk by width and height on every side.
  Region inner = region->region;
  for (int dx : {-width, width}) {
    Region moved = region->region;
    moved.Offset(dx, 0);
    inner = Region::Combine(inner, moved, Region::Op::And);
  }
  for (int dy : {-height, height}) {
    Region moved = region->region;
    moved.Offset(0, dy);
    inner = Region::Combine(inner, moved, Region::Op::And);
  }
  Region frame = Region::Combine(region->region, inner, Region::Op::Diff);
  BrushSampler sampler(dc, brush);
  const Region area = SurfaceRegion(dc, frame);
  for (const RECT& r : area.Rects()) FillRop3(dc, r, sampler, 0xF0);
  return TRUE;
}
