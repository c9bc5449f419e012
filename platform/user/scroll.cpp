// Scrolling a window's client area: its pixels move, what they uncover is invalidated, and
// its update region, caret and (on request) children move with them.
#include "gdi/objects.h"
#include "platform/kernel.h"
#include "user/caret.h"
#include "user/state.h"
#include "user/surfaces.h"

using namespace platform::user;
using platform::gdi::Region;

int ScrollWindowEx(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip, HRGN update,
                   LPRECT updateRect, UINT flags) {
  Window* w = Lookup(window);
  if (!w) return ERROR;
  platform::gdi::RegionObject* out = nullptr;
  if (update && !(out = platform::gdi::FindRegion(update))) return ERROR;
  RECT client{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  RECT area = scroll ? Intersection(client, *scroll) : client;
  RECT limit = clip ? Intersection(area, *clip) : area;

  // The pixels, with the caret taken off so that it is not carried along in them.
  HideCaretForPaint(window);
  Region moved;
  DrawTarget target;
  if (GetDrawTarget(window, DrawArea::Client, 0, &target) && target.surface) {
    moved = platform::gdi::MoveBits(*target.surface, Region::FromRects(target.visible),
                                    Offset(area, target.origin.x, target.origin.y),
                                    Offset(limit, target.origin.x, target.origin.y), dx, dy);
    moved.Offset(-target.origin.x, -target.origin.y);
  }
  OffsetCaret(window, area, dx, dy);
  ShowCaretAfterPaint(window);

  // What was waiting to be painted in the scrolled area is still waiting where it went.
  Region waiting = w->update;
  waiting.Intersect(area);
  if (!moved.Empty() && !waiting.Empty()) {
    UINT erase = (w->flags & kEraseNeeded) ? RDW_ERASE : 0;
    for (const RECT& r : moved.Rects()) InvalidateWindow(w, &r, RDW_VALIDATE | RDW_NOCHILDREN);
    waiting.Offset(dx, dy);
    waiting.Intersect(moved);
    for (const RECT& r : waiting.Rects())
      InvalidateWindow(w, &r, RDW_INVALIDATE | RDW_NOCHILDREN | erase);
  }

  Region uncovered = Region::Combine(Region(limit), moved, Region::Op::Diff);
  // Children that stay where they are had their pixels carried away when the window does
  // not clip them: they paint again.
  if (!(w->style & WS_CLIPCHILDREN) && !moved.Empty()) {
    for (Window* c : w->children) {
      bool carried =
          (flags & SW_SCROLLCHILDREN) && (!scroll || !IsEmpty(Intersection(c->rect, area)));
      if (!carried && c->Visible() && moved.Intersects(c->rect))
        InvalidateWindow(c, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    }
  }
  if (flags & SW_SCROLLCHILDREN) {
    std::vector<HWND> children;
    for (Window* c : w->children)
      if (!scroll || !IsEmpty(Intersection(c->rect, area))) children.push_back(c->handle);
    for (HWND h : children) {
      Window* c = LookupQuiet(h);
      if (!c || c->parent != w) continue;
      SetWindowPos(h, nullptr, c->rect.left + dx, c->rect.top + dy, 0, 0,
                   SWP_NOZORDER | SWP_NOSIZE | SWP_NOACTIVATE);
    }
    if (!LookupQuiet(window)) return ERROR;
  }
  if (flags & SW_INVALIDATE) {
    for (const RECT& r : uncovered.Rects())
      InvalidateWindow(w, &r, RDW_INVALIDATE | ((flags & SW_ERASE) ? RDW_ERASE : 0));
  }
  if (out) out->region = uncovered;
  if (updateRect) *updateRect = uncovered.Empty() ? RECT{0, 0, 0, 0} : uncovered.Bounds();
  return uncovered.Complexity();
}

BOOL ScrollWindow(HWND window, int dx, int dy, const RECT* scroll, const RECT* clip) {
  UINT flags = SW_INVALIDATE | SW_ERASE | (scroll ? 0 : SW_SCROLLCHILDREN);
  return ScrollWindowEx(window, dx, dy, scroll, clip, nullptr, nullptr, flags) != ERROR;
}
