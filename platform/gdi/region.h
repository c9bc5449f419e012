// Rectangles and regions, shared by the window manager (update and visible regions) and
// the drawing side (clipping, CombineRgn). A region is a set of pixels kept as
// non-overlapping rectangles in y-x bands.
#pragma once
#include <vector>

#include "platform/types.h"
#include "private.h"

namespace platform {

inline bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
// The common part of two rectangles; {0, 0, 0, 0} when they do not meet.
inline RECT Intersection(const RECT& a, const RECT& b) {
  RECT r{a.left > b.left ? a.left : b.left, a.top > b.top ? a.top : b.top,
         a.right < b.right ? a.right : b.right, a.bottom < b.bottom ? a.bottom : b.bottom};
  if (IsEmpty(r)) return RECT{0, 0, 0, 0};
  return r;
}
inline RECT Offset(RECT r, int dx, int dy) {
  return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}
inline bool Contains(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}

namespace gdi {

using platform::Contains;
using platform::Intersection;
using platform::IsEmpty;
using platform::Offset;

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
  void Clear() { rects_.clear(); }
  void Add(const RECT& rect) { *this = Combine(*this, Region(rect), Op::Or); }
  void Subtract(const RECT& rect);
  void Intersect(const RECT& rect);
  void Intersect(const Region& other) { *this = Combine(*this, other, Op::And); }
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Complexity() const;
  bool operator==(const Region& other) const;

  static Region Combine(const Region& a, const Region& b, Op op);

 private:
  std::vector<RECT> rects_;  // sorted by top, then left; bands never overlap
};

}  // namespace gdi
}  // namespace platform
