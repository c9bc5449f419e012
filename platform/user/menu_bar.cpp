// A window's menu bar: where it sits in the non-client area (below the caption, as many
// lines high as its items need at the window's width), drawing it, and the calls that
// attach a menu to a window or find its items on the screen.
#include "platform/kernel.h"
#include "user/menus.h"

namespace platform::user {
namespace {

Menu* BarMenuOf(const Window* w) {
  if (w->IsChild() || !w->id) return nullptr;
  return LookupMenuQuiet(reinterpret_cast<HMENU>(w->id));
}

RECT BarWithin(Window* w, Menu* menu, int windowWidth) {
  RECT in =
      NonClientInsets(w->style, w->exStyle & ~(WS_EX_CLIENTEDGE | WS_EX_STATICEDGE), false, false);
  RECT bar{in.left, in.top, windowWidth - in.right, in.top};
  menu->barOf = w->handle;
  bar.bottom = bar.top + LayoutBar(menu, bar);
  return bar;
}

}  // namespace

bool HasMenuBar(const Window* w) { return !(w->style & WS_MINIMIZE) && BarMenuOf(w) != nullptr; }

RECT MenuBarRect(Window* w) {
  Menu* menu = BarMenuOf(w);
  if (!menu) return RECT{0, 0, 0, 0};
  return BarWithin(w, menu, w->rect.right - w->rect.left);
}

int MenuBarHeight(Window* w, int windowWidth) {
  Menu* menu = BarMenuOf(w);
  if (!menu) return 0;
  RECT bar = BarWithin(w, menu, windowWidth);
  return bar.bottom - bar.top;
}

void PaintMenuBar(Window* w, HDC windowDc) {
  if (!HasMenuBar(w)) return;
  RECT bar = MenuBarRect(w);
  DrawBar(BarMenuOf(w), windowDc, bar, Global().active == TopLevelOf(w));
}

void RedrawMenuBar(HWND window) {
  Window* w = LookupQuiet(window);
  if (!w || !HasMenuBar(w) || !ReallyVisible(w)) return;
  HDC dc = GetDCEx(window, nullptr, DCX_WINDOW);
  if (!dc) return;
  PaintMenuBar(w, dc);
  ReleaseDC(window, dc);
}

int BarItemAt(Window* w, POINT screen) {
  Menu* menu = BarMenuOf(w);
  if (!menu || !HasMenuBar(w)) return -1;
  MenuBarRect(w);
  POINT origin = WindowOriginOnScreen(w);
  POINT p{screen.x - origin.x, screen.y - origin.y};
  for (std::size_t i = 0; i < menu->items.size(); ++i)
    if (Contains(menu->items[i].rect, p)) return static_cast<int>(i);
  return -1;
}

}  // namespace platform::user

using namespace platform::user;

BOOL SetMenu(HWND window, HMENU menu) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (w->IsChild()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Menu* m = nullptr;
  if (menu && !(m = LookupMenu(menu))) return FALSE;
  if (Menu* old = BarMenuOf(w); old && old->barOf == window) old->barOf = nullptr;
  w->id = reinterpret_cast<LONG_PTR>(menu);
  if (m) m->barOf = window;
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  return TRUE;
}

HMENU GetMenu(HWND window) {
  Window* w = Lookup(window);
  if (!w || w->IsChild()) return nullptr;
  return BarMenuOf(w) ? reinterpret_cast<HMENU>(w->id) : nullptr;
}

BOOL DrawMenuBar(HWND window) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (w->IsChild() || !BarMenuOf(w)) {
    SetLastError(ERROR_INVALID_MENU_HANDLE);
    return FALSE;
  }
  // The bar may have changed height: the frame is computed and drawn again.
  return SetWindowPos(window, nullptr, 0, 0, 0, 0,
                      SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

BOOL GetMenuItemRect(HWND window, HMENU menu, UINT item, LPRECT rect) {
  Menu* m = LookupMenu(menu);
  if (!m || !rect) return FALSE;
  if (item >= m->items.size()) {
    SetLastError(ERROR_MENU_ITEM_NOT_FOUND);
    return FALSE;
  }
  Window* w = window ? Lookup(window) : nullptr;
  if (window && !w) return FALSE;
  if (w && BarMenuOf(w) == m) {
    MenuBarRect(w);
    POINT origin = WindowOriginOnScreen(w);
    *rect = Offset(m->items[item].rect, origin.x, origin.y);
    return TRUE;
  }
  if (Window* popup = LookupQuiet(m->shownIn)) {
    POINT origin = ClientOriginOnScreen(popup);
    *rect = Offset(m->items[item].rect, origin.x, origin.y);
    return TRUE;
  }
  SetLastError(ERROR_INVALID_PARAMETER);
  return FALSE;
}

int MenuItemFromPoint(HWND window, HMENU menu, POINT screen) {
  Menu* m = LookupMenu(menu);
  if (!m) return -1;
  for (std::size_t i = 0; i < m->items.size(); ++i) {
    RECT r;
    if (GetMenuItemRect(window, menu, static_cast<UINT>(i), &r) && Contains(r, screen))
      return static_cast<int>(i);
  }
  return -1;
}
