// The rectangle helpers of the published API (right and bottom exclusive).
#include <algorithm>

#include "platform/user.h"

namespace {
bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
}  // namespace

BOOL SetRect(LPRECT rect, int left, int top, int right, int bottom) {
  if (!rect) return FALSE;
  *rect = RECT{left, top, right, bottom};
  return TRUE;
}

BOOL SetRectEmpty(LPRECT rect) { return SetRect(rect, 0, 0, 0, 0); }

BOOL CopyRect(LPRECT destination, const RECT* source) {
  if (!destination || !source) return FALSE;
  *destination = *source;
  return TRUE;
}

BOOL InflateRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  *rect = RECT{rect->left - dx, rect->top - dy, rect->right + dx, rect->bottom + dy};
  return TRUE;
}

BOOL OffsetRect(LPRECT rect, int dx, int dy) {
  if (!rect) return FALSE;
  *rect = RECT{rect->left + dx, rect->top + dy, rect->right + dx, rect->bottom + dy};
  return TRUE;
}

BOOL IsRectEmpty(const RECT* rect) { return !rect || Empty(*rect); }

BOOL EqualRect(const RECT* a, const RECT* b) {
  return a && b && a->left == b->left && a->top == b->top && a->right == b->right &&
         a->bottom == b->bottom;
}

BOOL PtInRect(const RECT* rect, POINT point) {
  return rect && point.x >= rect->left && point.x < rect->right && point.y >= rect->top &&
         point.y < rect->bottom;
}

BOOL IntersectRect(LPRECT destination, const RECT* a, const RECT* b) {
  if (!destination || !a || !b) return FALSE;
  RECT r{std::max(a->left, b->left), std::max(a->top, b->top), std::min(a->right, b->right),
         std::min(a->bottom, b->bottom)};
  if (Empty(r)) {
    *destination = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *destination = r;
  return TRUE;
}

BOOL UnionRect(LPRECT destination, const RECT* a, const RECT* b) {
  if (!destination || !a || !b) return FALSE;
  if (Empty(*a) && Empty(*b)) {
    *destination = RECT{0, 0, 0, 0};
    return FALSE;
  }
  if (Empty(*a)) {
    *destination = *b;
  } else if (Empty(*b)) {
    *destination = *a;
  } else {
    *destination = RECT{std::min(a->left, b->left), std::min(a->top, b->top),
                        std::max(a->right, b->right), std::max(a->bottom, b->bottom)};
  }
  return TRUE;
}

// Only when `b` covers `a` completely along one axis does the difference stay a rectangle.
BOOL SubtractRect(LPRECT destination, const RECT* a, const RECT* b) {
  if (!destination || !a || !b) return FALSE;
  RECT r = *a;
  RECT cut;
  if (IntersectRect(&cut, a, b)) {
    if (cut.top == r.top && cut.bottom == r.bottom) {
      if (cut.left == r.left)
        r.left = cut.right;
      else if (cut.right == r.right)
        r.right = cut.left;
    } else if (cut.left == r.left && cut.right == r.right) {
      if (cut.top == r.top)
        r.top = cut.bottom;
      else if (cut.bottom == r.bottom)
        r.bottom = cut.top;
    }
  }
  if (Empty(r)) {
    *destination = RECT{0, 0, 0, 0};
    return FALSE;
  }
  *destination = r;
  return TRUE;
}
