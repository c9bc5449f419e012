#include "gdi/region.h"

#include <algorithm>

namespace platform::gdi {
namespace {

struct Span {
  int left, right;
};

// The x spans of `rects` that cover the band [top, bottom) (rects are banded, so a rect
// either covers the whole band or none of it).
std::vector<Span> SpansIn(const std::vector<RECT>& rects, int top, int bottom) {
  std::vector<Span> spans;
  for (const RECT& r : rects) {
    if (r.top <= top && r.bottom >= bottom) spans.push_back({r.left, r.right});
  }
  std::sort(spans.begin(), spans.end(), [](Span a, Span b) { return a.left < b.left; });
  // Merge touching spans so that the combination below sees a canonical set.
  std::vector<Span> merged;
  for (Span s : spans) {
    if (!merged.empty() && s.left <= merged.back().right) {
      merged.back().right = std::max(merged.back().right, s.right);
    } else {
      merged.push_back(s);
    }
  }
  return merged;
}

bool Inside(const std::vector<Span>& spans, int x) {
  for (Span s : spans) {
    if (x >= s.left && x < s.right) return true;
  }
  return false;
}

std::vector<Span> CombineSpans(const std::vector<Span>& a, const std::vector<Span>& b,
                               Region::Op op) {
  std::vector<int> edges;
  for (Span s : a) edges.insert(edges.end(), {s.left, s.right});
  for (Span s : b) edges.insert(edges.end(), {s.left, s.right});
  std::sort(edges.begin(), edges.end());
  edges.erase(std::unique(edges.begin(), edges.end()), edges.end());
  std::vector<Span> out;
  for (std::size_t i = 0; i + 1 < edges.size(); ++i) {
    int x = edges[i];
    bool inA = Inside(a, x), inB = Inside(b, x);
    bool in = false;
    switch (op) {
      case Region::Op::And:
        in = inA && inB;
        break;
      case Region::Op::Or:
        in = inA || inB;
        break;
      case Region::Op::Xor:
        in = inA != inB;
        break;
      case Region::Op::Diff:
        in = inA && !inB;
        break;
    }
    if (!in) continue;
    if (!out.empty() && out.back().right == x) {
      out.back().right = edges[i + 1];
    } else {
      out.push_back({x, edges[i + 1]});
    }
  }
  return out;
}

bool SameSpans(const std::vector<Span>& a, const std::vector<Span>& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].left != b[i].left || a[i].right != b[i].right) return false;
  }
  return true;
}

}  // namespace

Region::Region(const RECT& rect) {
  if (!IsEmpty(rect)) rects_.push_back(rect);
}

Region Region::FromRects(const std::vector<RECT>& rects) {
  Region result;
  for (const RECT& r : rects) result = Combine(result, Region(r), Op::Or);
  return result;
}

RECT Region::Bounds() const {
  if (rects_.empty()) return {0, 0, 0, 0};
  RECT b = rects_.front();
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

bool Region::Contains(int x, int y) const {
  for (const RECT& r : rects_) {
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  }
  return false;
}

bool Region::Intersects(const RECT& rect) const {
  for (const RECT& r : rects_) {
    if (!IsEmpty(Intersection(r, rect))) return true;
  }
  return false;
}

void Region::Subtract(const RECT& rect) {
  if (!IsEmpty(rect) && Intersects(rect)) *this = Combine(*this, Region(rect), Op::Diff);
}

void Region::Intersect(const RECT& rect) { *this = Combine(*this, Region(rect), Op::And); }

void Region::Offset(int dx, int dy) {
  for (RECT& r : rects_) {
    r.left += dx;
    r.right += dx;
    r.top += dy;
    r.bottom += dy;
  }
}

int Region::Complexity() const {
  if (rects_.empty()) return 1;  // NULLREGION
  return rects_.size() == 1 ? 2 : 3;
}

bool Region::operator==(const Region& other) const {
  if (rects_.size() != other.rects_.size()) return false;
  for (std::size_t i = 0; i < rects_.size(); ++i) {
    const RECT &a = rects_[i], &b = other.rects_[i];
    if (a.left != b.left || a.top != b.top || a.right != b.right || a.bottom != b.bottom) {
      return false;
    }
  }
  return true;
}

Region Region::Combine(const Region& a, const Region& b, Op op) {
  std::vector<int> ys;
  for (const RECT& r : a.rects_) ys.insert(ys.end(), {r.top, r.bottom});
  for (const RECT& r : b.rects_) ys.insert(ys.end(), {r.top, r.bottom});
  std::sort(ys.begin(), ys.end());
  ys.erase(std::unique(ys.begin(), ys.end()), ys.end());
  Region result;
  std::vector<Span> previous;
  std::size_t previousStart = 0;  // first rect of the previous band in result
  int previousBottom = 0;
  for (std::size_t i = 0; i + 1 < ys.size(); ++i) {
    int top = ys[i], bottom = ys[i + 1];
    std::vector<Span> spans =
        CombineSpans(SpansIn(a.rects_, top, bottom), SpansIn(b.rects_, top, bottom), op);
    if (spans.empty()) {
      previous.clear();
      continue;
    }
    // A band equal to the one just above it extends that band instead of adding rects.
    if (!previous.empty() && previousBottom == top && SameSpans(previous, spans)) {
      for (std::size_t k = previousStart; k < result.rects_.size(); ++k) {
        result.rects_[k].bottom = bottom;
      }
    } else {
      previousStart = result.rects_.size();
      for (Span s : spans) result.rects_.push_back({s.left, top, s.right, bottom});
      previous = spans;
    }
    previousBottom = bottom;
  }
  return result;
}

}  // namespace platform::gdi
