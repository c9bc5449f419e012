#include "user/rects.h"

#include <algorithm>

namespace platform::user {
namespace {

// The parts of `r` outside `hole`, at most four, appended to `out`.
void AppendDifference(const RECT& r, const RECT& hole, std::vector<RECT>& out) {
  RECT cut = Intersection(r, hole);
  if (IsEmpty(cut)) {
    out.push_back(r);
    return;
  }
  if (r.top < cut.top) out.push_back(RECT{r.left, r.top, r.right, cut.top});
  if (cut.bottom < r.bottom) out.push_back(RECT{r.left, cut.bottom, r.right, r.bottom});
  if (r.left < cut.left) out.push_back(RECT{r.left, cut.top, cut.left, cut.bottom});
  if (cut.right < r.right) out.push_back(RECT{cut.right, cut.top, r.right, cut.bottom});
}

}  // namespace

RECT RectSet::Bounds() const {
  if (rects_.empty()) return RECT{0, 0, 0, 0};
  RECT b = rects_.front();
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

void RectSet::Add(const RECT& r) {
  if (IsEmpty(r)) return;
  // Keep the set disjoint: add only the pieces of `r` that no member covers yet.
  std::vector<RECT> pieces{r};
  for (const RECT& existing : rects_) {
    std::vector<RECT> next;
    for (const RECT& piece : pieces) AppendDifference(piece, existing, next);
    pieces.swap(next);
    if (pieces.empty()) return;
  }
  rects_.insert(rects_.end(), pieces.begin(), pieces.end());
  // Many small invalidations of one window would otherwise fragment the set without bound.
  if (rects_.size() > 64) {
    RECT b = Bounds();
    rects_.assign(1, b);
  }
}

void RectSet::Subtract(const RECT& r) {
  if (IsEmpty(r) || rects_.empty()) return;
  std::vector<RECT> next;
  for (const RECT& existing : rects_) AppendDifference(existing, r, next);
  rects_.swap(next);
}

void RectSet::Intersect(const RECT& r) {
  std::vector<RECT> next;
  for (const RECT& existing : rects_) {
    RECT cut = Intersection(existing, r);
    if (!IsEmpty(cut)) next.push_back(cut);
  }
  rects_.swap(next);
}

void RectSet::Intersect(const RectSet& other) {
  std::vector<RECT> next;
  for (const RECT& a : rects_) {
    for (const RECT& b : other.rects_) {
      RECT cut = Intersection(a, b);
      if (!IsEmpty(cut)) next.push_back(cut);
    }
  }
  rects_.swap(next);
}

void RectSet::OffsetBy(int dx, int dy) {
  for (RECT& r : rects_) r = Offset(r, dx, dy);
}

}  // namespace platform::user
