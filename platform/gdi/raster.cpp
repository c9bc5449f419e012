#include "gdi/raster.h"

#include <algorithm>

namespace platform::gdi {
namespace {

// Hatch patterns, one byte per row of 8 pixels, most significant bit leftmost.
const std::uint8_t kHatches[6][8] = {
    {0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF},  // horizontal
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01},  // vertical
    {0x80, 0x40, 0x20, 0x10, 0x08, 0x04, 0x02, 0x01},  // forward diagonal
    {0x01, 0x02, 0x04, 0x08, 0x10, 0x20, 0x40, 0x80},  // backward diagonal
    {0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0x01, 0xFF},  // cross
    {0x81, 0x42, 0x24, 0x18, 0x18, 0x24, 0x42, 0x81},  // diagonal cross
};

int Modulo(int value, int m) {
  int r = value % m;
  return r < 0 ? r + m : r;
}

}  // namespace

BrushSampler::BrushSampler(DcObject* dc, const BrushObject* brush) : dc_(dc), brush_(brush) {
  if (!brush || brush->style == BS_NULL) {
    hollow_ = true;
    return;
  }
  colour_ = DevicePixel(dc, brush->colour);
  background_ = DevicePixel(dc, dc->state.backgroundColour);
  text_ = DevicePixel(dc, dc->state.textColour);
  opaqueBackground_ = dc->state.backgroundMode == OPAQUE;
  solid_ = brush->style == BS_SOLID;
  originX_ = dc->origin.x + dc->state.brushOrigin.x;
  originY_ = dc->origin.y + dc->state.brushOrigin.y;
}

bool BrushSampler::At(int x, int y, std::uint32_t* pixel) const {
  if (solid_) {
    *pixel = colour_;
    return true;
  }
  if (brush_->style == BS_HATCHED) {
    int hatch = std::clamp(brush_->hatch, 0, 5);
    bool line = kHatches[hatch][Modulo(y - originY_, 8)] & (0x80 >> Modulo(x - originX_, 8));
    if (line) {
      *pixel = colour_;
      return true;
    }
    if (!opaqueBackground_) return false;
    *pixel = background_;
    return true;
  }
  const Surface& p = brush_->pattern;
  std::uint32_t value =
      p.pixels[static_cast<std::size_t>(Modulo(y - originY_, p.height)) * p.width +
               Modulo(x - originX_, p.width)];
  if (brush_->monoPattern) {
    *pixel = value ? background_ : text_;
  } else {
    *pixel = dc_->monochrome ? ToMono(value) : value;
  }
  return true;
}

bool InsideClip(DcObject* dc, int x, int y) {
  for (const RECT& c : dc->Clip()) {
    if (x >= c.left && x < c.right && y >= c.top && y < c.bottom) return true;
  }
  return false;
}

void PlotPixel(DcObject* dc, int x, int y, std::uint32_t pixel, int rop2) {
  if (!InsideClip(dc, x, y)) return;
  std::uint32_t& target = dc->surface->Row(y)[x];
  target = Rop2(rop2, pixel, target);
}

void FillSpan(DcObject* dc, int y, int x0, int x1, const BrushSampler& brush, int rop2) {
  if (brush.Hollow() || x1 <= x0) return;
  for (const RECT& c : dc->Clip()) {
    if (y < c.top || y >= c.bottom) continue;
    int from = std::max(x0, static_cast<int>(c.left)), to = std::min(x1, static_cast<int>(c.right));
    if (from >= to) continue;
    dc->surface->Touch(RECT{from, y, to, y + 1});
    std::uint32_t* row = dc->surface->Row(y);
    if (brush.Solid() && rop2 == R2_COPYPEN) {
      std::fill(row + from, row + to, brush.SolidPixel());
      continue;
    }
    for (int x = from; x < to; ++x) {
      std::uint32_t pixel;
      if (brush.At(x, y, &pixel)) row[x] = Rop2(rop2, pixel, row[x]);
    }
  }
}

void FillRop3(DcObject* dc, RECT rect, const BrushSampler& brush, unsigned ropIndex) {
  bool usesPattern = RopUsesPattern(ropIndex);
  if (usesPattern && brush.Hollow()) return;
  for (const RECT& c : dc->Clip()) {
    RECT r = Intersection(c, rect);
    if (IsEmpty(r)) continue;
    dc->surface->Touch(r);
    for (int y = r.top; y < r.bottom; ++y) {
      std::uint32_t* row = dc->surface->Row(y);
      if (ropIndex == 0xF0 && brush.Solid()) {
        std::fill(row + r.left, row + r.right, brush.SolidPixel());
        continue;
      }
      for (int x = r.left; x < r.right; ++x) {
        std::uint32_t pattern = 0;
        if (usesPattern && !brush.At(x, y, &pattern)) continue;
        row[x] = Rop3(ropIndex, pattern, 0, row[x]);
      }
    }
  }
}

}  // namespace platform::gdi
