// Update regions: invalidation, validation and finding the next window to paint; the
// draw targets handed to the GDI; composing the screen from the backing surfaces.
#include <algorithm>
#include <cstring>

#include "backend/backend.h"
#include "gdi/objects.h"
#include "gdi/screen.h"
#include "platform/kernel.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

RECT ClientBounds(const Window* w) {
  return RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
}

RECT ClientRectOnScreen(const Window* w) {
  POINT o = ClientOriginOnScreen(w);
  return Offset(ClientBounds(w), o.x, o.y);
}

// The screen is the GDI's screen surface, so that a screen DC and the composition agree.
Surface& Screen() { return gdi::Screen(); }

}  // namespace

void SetPaintCounted(Window* w) {
  State& state = Global();
  bool needs = !w->update.Empty() || w->Has(kInternalPaint) || w->Has(kFrameNeeded);
  if (needs && !w->Has(kPaintCounted)) {
    w->flags |= kPaintCounted;
    state.windowsNeedingPaint++;
  } else if (!needs && w->Has(kPaintCounted)) {
    w->flags &= ~kPaintCounted;
    state.windowsNeedingPaint--;
  }
}

void EnsureSurface(Window* w) {
  int width = std::max<int>(0, w->rect.right - w->rect.left);
  int height = std::max<int>(0, w->rect.bottom - w->rect.top);
  if (!w->surface) {
    w->surface = std::make_shared<Surface>();
    gdi::WindowsChanged();
  }
  Surface& s = *w->surface;
  // Keep what was drawn where it still fits; the rest waits for the next paint.
  if (s.width != width || s.height != height) {
    s.Resize(width, height, 0x00C0C0C0u);
    gdi::WindowsChanged();
  }
}

void InvalidateWindow(Window* w, const RECT* rect, UINT flags) {
  // A hidden window collects nothing: it is invalidated whole when it is shown.
  if (w != Global().desktop && !ReallyVisible(w)) return;
  RECT area = rect ? Intersection(*rect, ClientBounds(w)) : ClientBounds(w);
  if (w != Global().desktop) {
    if (flags & RDW_INVALIDATE) {
      if (!IsEmpty(area)) {
        w->update.Add(area);
        // Many small invalidations would otherwise fragment the region without bound.
        if (w->update.Rects().size() > 64) w->update = Region(w->update.Bounds());
        if (flags & RDW_ERASE) w->flags |= kEraseNeeded;
      }
      if ((flags & RDW_FRAME) && w->HasNonClientArea()) w->flags |= kFrameNeeded;
    } else if (flags & RDW_VALIDATE) {
      w->update.Subtract(area);
      if (w->update.Empty() || (flags & RDW_NOERASE)) w->flags &= ~kEraseNeeded;
      if (flags & RDW_NOFRAME) w->flags &= ~kFrameNeeded;
    }
    if (flags & RDW_INTERNALPAINT) w->flags |= kInternalPaint;
    if (flags & RDW_NOINTERNALPAINT) w->flags &= ~kInternalPaint;
    SetPaintCounted(w);
  }
  bool children =
      (flags & RDW_ALLCHILDREN) || (!(flags & RDW_NOCHILDREN) && !(w->style & WS_CLIPCHILDREN));
  if (!children) return;
  for (Window* c : w->children) {
    if (!c->Visible()) continue;
    // The area in the child's client coordinates.
    RECT inChild = Offset(area, -(c->rect.left + c->client.left), -(c->rect.top + c->client.top));
    RECT childWindowArea = Offset(area, -c->rect.left, -c->rect.top);
    RECT childBounds{0, 0, c->rect.right - c->rect.left, c->rect.bottom - c->rect.top};
    if (IsEmpty(Intersection(childWindowArea, childBounds))) continue;
    InvalidateWindow(c, rect ? &inChild : nullptr, flags);
  }
}

void InvalidateUncovered(Window* parent, const RECT& rectInParent) {
  if (!ReallyVisible(parent)) return;
  // Window rectangles of children are kept in the parent's client coordinates already.
  InvalidateWindow(parent, &rectInParent, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void DropUpdates(Window* w) {
  w->update.Clear();
  w->flags &= ~(kEraseNeeded | kFrameNeeded | kInternalPaint);
  SetPaintCounted(w);
  for (Window* c : w->children) DropUpdates(c);
}

Window* FindWindowToPaint(Window* root) {
  if (!root->Visible()) return nullptr;
  if (root != Global().desktop && root->Has(kPaintCounted)) return root;
  for (Window* c : root->children)
    if (Window* found = FindWindowToPaint(c)) return found;
  return nullptr;
}

bool GetDrawTarget(HWND window, DrawArea area, DWORD dcxFlags, DrawTarget* out) {
  EnsureStarted();
  State& state = Global();
  Window* w = window ? Lookup(window) : state.desktop;
  if (!w || !out) return false;
  if (w == state.desktop) {
    // The screen lives as long as the process: shared without an owner.
    out->surface = std::shared_ptr<Surface>(std::shared_ptr<Surface>(), &ScreenSurface());
    out->origin = POINT{0, 0};
    out->visible.assign(1, RECT{0, 0, state.screenSize.x, state.screenSize.y});
    return true;
  }
  Window* top = TopLevelOf(w);
  EnsureSurface(top);
  POINT topOrigin = WindowOriginOnScreen(top);
  out->surface = top->surface;
  RECT bounds = area == DrawArea::Window ? WindowRectOnScreen(w) : ClientRectOnScreen(w);
  out->origin = POINT{bounds.left - topOrigin.x, bounds.top - topOrigin.y};
  out->visible.clear();
  if (!ReallyVisible(w)) return true;
  Region visible(bounds);
  for (Window* a = w->parent; a && a != state.desktop; a = a->parent)
    visible.Intersect(ClientRectOnScreen(a));
  for (Window* x = w; x != top; x = x->parent) {
    bool clip = (x->style & WS_CLIPSIBLINGS) || (x == w && (dcxFlags & DCX_CLIPSIBLINGS));
    if (!clip) continue;
    for (Window* s : x->parent->children) {
      if (s == x) break;
      if (s->Visible()) visible.Subtract(WindowRectOnScreen(s));
    }
  }
  if ((w->style & WS_CLIPCHILDREN) || (dcxFlags & DCX_CLIPCHILDREN)) {
    for (Window* c : w->children)
      if (c->Visible()) visible.Subtract(WindowRectOnScreen(c));
  }
  visible.Intersect(WindowRectOnScreen(top));
  visible.Offset(-topOrigin.x, -topOrigin.y);
  out->visible = visible.Rects();
  return true;
}

std::vector<RECT> UpdateRegion(HWND window) {
  Window* w = LookupQuiet(window);
  if (!w) return {};
  return w->update.Rects();
}

Surface& ScreenSurface() {
  Surface& screen = Screen();
  POINT size = Global().screenSize;
  if (screen.width != size.x || screen.height != size.y) {
    screen.width = size.x;
    screen.height = size.y;
    screen.pixels.assign(static_cast<std::size_t>(size.x) * size.y, 0);
    ScreenChanged();
  }
  return screen;
}

void ScreenDamaged(const RECT& area) {
  if (IsEmpty(area)) return;
  Region& damage = Global().screenDamage;
  damage.Add(area);
  // Scattered damage is composed as its bounds rather than as many small pieces.
  if (damage.Rects().size() > 32) damage = Region(damage.Bounds());
}

void ScreenChanged() {
  POINT size = Global().screenSize;
  ScreenDamaged(RECT{0, 0, size.x, size.y});
}

void ComposeScreen() {
  EnsureStarted();
  State& state = Global();
  Surface& screen = ScreenSurface();
  bool native = backend::Current().NativeWindows();
  std::vector<gdi::ScreenLayer> layers;
  auto& windows = state.desktop->children;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    Window* w = *it;
    if (!w->surface) continue;
    // What a window drew since the last composition; a hidden one is composed whole when
    // it is shown. On the native desktop the damage is the host window's to take.
    if (!IsEmpty(w->surface->damage) && w->Visible())
      ScreenDamaged(Offset(w->surface->damage, w->rect.left, w->rect.top));
    if (!native) w->surface->damage = RECT{0, 0, 0, 0};
    if (w->Visible())
      layers.push_back(gdi::ScreenLayer{w->surface.get(), POINT{w->rect.left, w->rect.top}});
  }
  if (state.screenDamage.Empty()) return;
  state.screenDamage.Intersect(RECT{0, 0, screen.width, screen.height});
  gdi::ComposeScreen(layers, state.screenDamage.Rects());
  if (backend::Current().ShowsScreen()) {
    for (const RECT& r : state.screenDamage.Rects()) state.presentDamage.Add(r);
    if (state.presentDamage.Rects().size() > 32)
      state.presentDamage = Region(state.presentDamage.Bounds());
  }
  state.screenDamage.Clear();
}

std::vector<RECT> TakePresentDamage() {
  State& state = Global();
  Surface& screen = ScreenSurface();
  // Drawing on the screen itself (screen DCs) shows as well.
  if (!IsEmpty(screen.damage)) state.presentDamage.Add(screen.damage);
  screen.damage = RECT{0, 0, 0, 0};
  std::vector<RECT> damage = state.presentDamage.Rects();
  state.presentDamage.Clear();
  return damage;
}

}  // namespace platform::user

using namespace platform::user;

BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags) {
  EnsureStarted();
  State& state = Global();
  Window* w = window ? Lookup(window) : state.desktop;
  if (!w) return FALSE;
  if (window == nullptr) flags |= RDW_ALLCHILDREN;
  if (region) {
    // The region (client coordinates) decides, whatever the rectangle says; an empty one
    // changes no update region, though the other flags still apply.
    const auto* object = platform::gdi::FindRegion(region);
    if (!object) return FALSE;
    const RECT none{0, 0, 0, 0};
    if (object->region.Empty()) InvalidateWindow(w, &none, flags);
    for (const RECT& r : object->region.Rects()) InvalidateWindow(w, &r, flags);
  } else {
    InvalidateWindow(w, rect, flags);
  }
  if (flags & (RDW_UPDATENOW | RDW_ERASENOW)) {
    UpdateWindow(window ? window : nullptr);
  }
  return TRUE;
}

BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase) {
  return RedrawWindow(window, rect, nullptr, RDW_INVALIDATE | (erase ? RDW_ERASE : 0));
}

BOOL ValidateRect(HWND window, const RECT* rect) {
  return RedrawWindow(window, rect, nullptr, RDW_VALIDATE | RDW_NOCHILDREN);
}

BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  RECT bounds = w->update.Bounds();
  if (rect) *rect = bounds;
  (void)erase;  // the background is erased by the next BeginPaint, once
  return IsEmpty(bounds) ? FALSE : TRUE;
}

BOOL UpdateWindow(HWND window) {
  EnsureStarted();
  State& state = Global();
  Window* root = window ? Lookup(window) : state.desktop;
  if (!root) return FALSE;
  // Paints the window and then its children, each at most once per call.
  std::vector<HWND> order;
  struct Walk {
    static void Collect(Window* w, std::vector<HWND>& out) {
      if (!w->Visible()) return;
      out.push_back(w->handle);
      for (Window* c : w->children) Collect(c, out);
    }
  };
  Walk::Collect(root, order);
  for (HWND h : order) {
    Window* w = LookupQuiet(h);
    if (!w || w == state.desktop || !w->Has(kPaintCounted) || !ReallyVisible(w)) continue;
    Send(w, WM_PAINT, 0, 0);
  }
  return TRUE;
}
