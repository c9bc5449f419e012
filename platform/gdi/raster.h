// Pixel operations on a DC's surface: raster operations, brush patterns and clipped
// spans. Coordinates here are surface coordinates.
#pragma once
#include <cstdint>

#include "gdi/dc.h"
#include "private.h"

namespace platform::gdi {

// Binary raster operation (R2_*): bit (2p + d) of (mode - 1) is the result for pen bit p
// and destination bit d.
inline std::uint32_t Rop2(int mode, std::uint32_t pen, std::uint32_t dest) {
  switch (mode) {
    case R2_COPYPEN:
      return pen;
    case R2_XORPEN:
      return (pen ^ dest) & 0xFFFFFF;
    case R2_NOT:
      return ~dest & 0xFFFFFF;
    case R2_NOP:
      return dest;
    default:
      break;
  }
  unsigned table = static_cast<unsigned>(mode - 1);
  std::uint32_t result = 0;
  if (table & 1) result |= ~pen & ~dest;
  if (table & 2) result |= ~pen & dest;
  if (table & 4) result |= pen & ~dest;
  if (table & 8) result |= pen & dest;
  return result & 0xFFFFFF;
}

// Ternary raster operation by its index byte: bit (4p + 2s + d) is the result.
inline std::uint32_t Rop3(unsigned index, std::uint32_t p, std::uint32_t s, std::uint32_t d) {
  std::uint32_t result = 0;
  for (unsigned n = 0; n < 8; ++n) {
    if (!(index & (1u << n))) continue;
    result |= ((n & 4) ? p : ~p) & ((n & 2) ? s : ~s) & ((n & 1) ? d : ~d);
  }
  return result & 0xFFFFFF;
}
inline bool RopUsesSource(unsigned index) { return (((index >> 2) ^ index) & 0x33) != 0; }
inline bool RopUsesPattern(unsigned index) { return (((index >> 4) ^ index) & 0x0F) != 0; }
inline bool RopUsesDest(unsigned index) { return (((index >> 1) ^ index) & 0x55) != 0; }

// The colour a brush gives at a surface pixel, with the DC's colours and brush origin.
class BrushSampler {
 public:
  BrushSampler(DcObject* dc, const BrushObject* brush);
  bool Hollow() const { return hollow_; }
  bool Solid() const { return solid_; }
  std::uint32_t SolidPixel() const { return colour_; }
  // False where the pixel stays as it is (a transparent hatch background).
  bool At(int x, int y, std::uint32_t* pixel) const;

 private:
  DcObject* dc_;
  const BrushObject* brush_;
  bool hollow_ = false;
  bool solid_ = false;
  bool opaqueBackground_ = true;
  std::uint32_t colour_ = 0, background_ = 0, text_ = 0;
  int originX_ = 0, originY_ = 0;
};

// Fills [x0, x1) of row y with the brush through the binary raster operation `rop2`.
void FillSpan(DcObject* dc, int y, int x0, int x1, const BrushSampler& brush, int rop2);
// Fills a rectangle with the brush through a ternary raster operation without a source.
void FillRop3(DcObject* dc, RECT rect, const BrushSampler& brush, unsigned ropIndex);
// One pixel through `rop2`, if it is inside the clip. The caller touches the surface's
// damage once for all the pixels it plots.
void PlotPixel(DcObject* dc, int x, int y, std::uint32_t pixel, int rop2);
bool InsideClip(DcObject* dc, int x, int y);

}  // namespace platform::gdi
