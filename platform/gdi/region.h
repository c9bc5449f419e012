// A region: a set of pixels kept as non-overlapping rectangles in y-x bands, with
// the set algebra clipping and CombineRgn need.
#pragma once
#include "private.h"
#include <vector>

#include "platform/types.h"

namespace platform::gdi {

class Region {
 public:
  enum class Op { And, Or, Xor, Diff };

  Region() = default;
  explicit Region(const RECT& rect);
  static Region FromRects(const std::vector<RECT>& rects);

  const std::vector<RECT>& Rects() const { return rects_; }
  bool Empty() const { return rects_.empty(); }
  RECT Bounds() const;
  bool Contains(int x, int y) const;
  bool Intersects(const RECT& rect) const;
  void Offset(int dx, int dy);
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;
  bool operator==(const Region& other) const;

  static Region Combine(const Region& a, const Region& b, Op op);

 private:
  std::vector<RECT> rects_;  // sorted by top, then left; bands never overlap
};

inline bool RectEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
RECT IntersectRects(const RECT& a, const RECT& b);

}  // namespace platform::gdi
