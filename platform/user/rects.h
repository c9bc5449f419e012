// Rectangle arithmetic and a set of non-overlapping rectangles: the update regions and
// visible regions the window manager keeps and hands to the drawing side.
#pragma once
#include "private.h"
#include <vector>

#include "platform/types.h"

namespace platform::user {

inline bool IsEmpty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
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

class RectSet {
 public:
  RectSet() = default;
  explicit RectSet(const RECT& r) { Add(r); }

  bool Empty() const { return rects_.empty(); }
  const std::vector<RECT>& Rects() const { return rects_; }
  RECT Bounds() const;
  void Clear() { rects_.clear(); }

  void Add(const RECT& r);
  void Subtract(const RECT& r);
  void Intersect(const RECT& r);
  void Intersect(const RectSet& other);
  void OffsetBy(int dx, int dy);

 private:
  std::vector<RECT> rects_;  // pairwise disjoint, none empty
};

}  // namespace platform::user
