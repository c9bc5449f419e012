// Position, size, z-order and visibility of windows, and coordinate mapping.
#include <algorithm>

#include "backend/backend.h"
#include "gdi/surface.h"
#include "platform/kernel.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {

RECT NonClientInsets(DWORD style, DWORD exStyle, bool menu, bool scrollBars) {
  RECT in{0, 0, 0, 0};
  auto inflate = [&in](int dx, int dy) {
    in.left += dx;
    in.right += dx;
    in.top += dy;
    in.bottom += dy;
  };
  if ((exStyle & WS_EX_DLGMODALFRAME) || (style & (WS_THICKFRAME | WS_DLGFRAME)) == WS_DLGFRAME)
    inflate(GetSystemMetrics(SM_CXDLGFRAME), GetSystemMetrics(SM_CYDLGFRAME));
  else if (style & WS_THICKFRAME)
    inflate(GetSystemMetrics(SM_CXFRAME), GetSystemMetrics(SM_CYFRAME));
  else if (style & WS_BORDER)
    inflate(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER));
  if ((style & WS_CAPTION) == WS_CAPTION)
    in.top += (exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION)
                                           : GetSystemMetrics(SM_CYCAPTION);
  if (menu) in.top += GetSystemMetrics(SM_CYMENU);
  if (exStyle & WS_EX_CLIENTEDGE) inflate(GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE));
  if (exStyle & WS_EX_STATICEDGE)
    inflate(GetSystemMetrics(SM_CXBORDER), GetSystemMetrics(SM_CYBORDER));
  if (scrollBars) {
    if (style & WS_VSCROLL) in.right += GetSystemMetrics(SM_CXVSCROLL);
    if (style & WS_HSCROLL) in.bottom += GetSystemMetrics(SM_CYHSCROLL);
  }
  return in;
}

void GetMinMaxInfo(Window* w, MINMAXINFO* info) {
  State& state = Global();
  // A maximised window puts its frame just outside the screen (or the parent's client area).
  int border = NonClientInsets(w->style, w->exStyle, false, false).left;
  POINT area = state.screenSize;
  if (w->parent && w->parent != state.desktop)
    area = POINT{w->parent->client.right - w->parent->client.left,
                 w->parent->client.bottom - w->parent->client.top};
  info->ptReserved = POINT{0, 0};
  info->ptMaxSize = POINT{area.x + 2 * border, area.y + 2 * border};
  info->ptMaxPosition = POINT{-border, -border};
  info->ptMinTrackSize = POINT{GetSystemMetrics(SM_CXMINTRACK), GetSystemMetrics(SM_CYMINTRACK)};
  info->ptMaxTrackSize = POINT{GetSystemMetrics(SM_CXMAXTRACK), GetSystemMetrics(SM_CYMAXTRACK)};
  Send(w, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(info));
}

void ComputeClientRect(Window* w, bool sendCalc) {
  RECT r = w->rect;
  if (sendCalc) {
    NCCALCSIZE_PARAMS params{};
    params.rgrc[0] = r;
    HWND h = w->handle;
    Send(w, WM_NCCALCSIZE, FALSE, reinterpret_cast<LPARAM>(&params.rgrc[0]));
    if (!(w = LookupQuiet(h))) return;
    r = params.rgrc[0];
  }
  r.right = std::max(r.right, r.left);
  r.bottom = std::max(r.bottom, r.top);
  w->client = RECT{r.left - w->rect.left, r.top - w->rect.top, r.right - w->rect.left,
                   r.bottom - w->rect.top};
}

void SendSizeAndMove(Window* w) {
  HWND h = w->handle;
  w->flags |= kSentSizeMove;
  WPARAM kind = (w->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                : (w->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                           : SIZE_RESTORED;
  int cx = w->client.right - w->client.left, cy = w->client.bottom - w->client.top;
  Send(w, WM_SIZE, kind, MAKELPARAM(static_cast<WORD>(cx), static_cast<WORD>(cy)));
  if (!(w = LookupQuiet(h))) return;
  POINT origin{w->rect.left + w->client.left, w->rect.top + w->client.top};
  Send(w, WM_MOVE, 0, MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
}

namespace {

void Reorder(Window* w, HWND insertAfter) {
  Window* parent = w->parent;
  if (!parent) return;
  if (insertAfter == HWND_TOPMOST) w->exStyle |= WS_EX_TOPMOST;
  if (insertAfter == HWND_NOTOPMOST) w->exStyle &= ~WS_EX_TOPMOST;
  UnlinkChild(w);
  if (insertAfter == HWND_BOTTOM) {
    parent->children.push_back(w);
    w->parent = parent;
    return;
  }
  Window* after = nullptr;
  if (insertAfter != HWND_TOP && insertAfter != HWND_TOPMOST && insertAfter != HWND_NOTOPMOST) {
    after = LookupQuiet(insertAfter);
    if (after && after->parent != parent) after = nullptr;
  }
  if (after) {
    auto& list = parent->children;
    auto at = std::find(list.begin(), list.end(), after);
    list.insert(at == list.end() ? at : at + 1, w);
    w->parent = parent;
    return;
  }
  LinkChild(parent, w, nullptr);
  // Owned windows stay above their owner.
  if (parent == Global().desktop) {
    std::vector<Window*> owned;
    for (Window* other : parent->children)
      if (other->owner == w) owned.push_back(other);
    for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
      UnlinkChild(*it);
      LinkChild(parent, *it, nullptr);
    }
  }
}

}  // namespace

bool SetPosition(Window* w, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  State& state = Global();
  if (w == state.desktop) return false;
  HWND h = w->handle;
  if (flags & SWP_NOMOVE) {
    x = w->rect.left;
    y = w->rect.top;
  }
  if (flags & SWP_NOSIZE) {
    cx = w->rect.right - w->rect.left;
    cy = w->rect.bottom - w->rect.top;
  }
  if ((flags & SWP_SHOWWINDOW) && w->Visible()) flags &= ~SWP_SHOWWINDOW;
  if ((flags & SWP_HIDEWINDOW) && !w->Visible()) flags &= ~SWP_HIDEWINDOW;
  WINDOWPOS pos{h, insertAfter, x, y, std::max(cx, 0), std::max(cy, 0), flags};
  if (!(flags & SWP_NOSENDCHANGING)) {
    Send(w, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&pos));
    if (!(w = LookupQuiet(h))) return false;
    pos.cx = std::max(pos.cx, 0);
    pos.cy = std::max(pos.cy, 0);
  }
  flags = pos.flags;
  RECT oldRect = w->rect;
  RECT oldClient = w->client;
  bool wasVisible = ReallyVisible(w);
  RECT newRect{pos.x, pos.y, pos.x + pos.cx, pos.y + pos.cy};
  if (flags & SWP_NOMOVE) newRect = Offset(newRect, oldRect.left - pos.x, oldRect.top - pos.y);
  if (flags & SWP_NOSIZE) {
    newRect.right = newRect.left + (oldRect.right - oldRect.left);
    newRect.bottom = newRect.top + (oldRect.bottom - oldRect.top);
  }
  bool moved = newRect.left != oldRect.left || newRect.top != oldRect.top;
  bool sized = (newRect.right - newRect.left) != (oldRect.right - oldRect.left) ||
               (newRect.bottom - newRect.top) != (oldRect.bottom - oldRect.top);
  if (moved || sized || (flags & SWP_FRAMECHANGED)) {
    w->rect = newRect;
    if (sized || (flags & SWP_FRAMECHANGED) || moved) {
      NCCALCSIZE_PARAMS params{};
      params.rgrc[0] = newRect;
      params.rgrc[1] = oldRect;
      params.rgrc[2] = Offset(oldClient, oldRect.left, oldRect.top);
      params.lppos = &pos;
      Send(w, WM_NCCALCSIZE, TRUE, reinterpret_cast<LPARAM>(&params));
      if (!(w = LookupQuiet(h))) return false;
      RECT r = params.rgrc[0];
      r.right = std::max(r.right, r.left);
      r.bottom = std::max(r.bottom, r.top);
      w->client = RECT{r.left - w->rect.left, r.top - w->rect.top, r.right - w->rect.left,
                       r.bottom - w->rect.top};
    }
  }
  bool restacked = false;
  if (!(flags & SWP_NOZORDER) && w->parent) {
    auto& siblings = w->parent->children;
    auto before = std::find(siblings.begin(), siblings.end(), w) - siblings.begin();
    Reorder(w, pos.hwndInsertAfter);
    restacked = std::find(siblings.begin(), siblings.end(), w) - siblings.begin() != before;
  }
  if (flags & SWP_SHOWWINDOW) w->style |= WS_VISIBLE;
  if (flags & SWP_SHOWWINDOW) w->flags &= ~kHiddenWithOwner;
  if (flags & SWP_HIDEWINDOW) w->style &= ~WS_VISIBLE;
  if (flags & SWP_HIDEWINDOW) DropUpdates(w);
  bool isVisible = ReallyVisible(w);
  bool topLevel = w->parent == state.desktop;
  if (topLevel && sized) EnsureSurface(w);

  // Children draw into their top-level window's store, so what they leave must be redrawn
  // by the parent, and where they arrive they must draw themselves.
  if (!(flags & SWP_NOREDRAW)) {
    bool changed = moved || sized || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW | SWP_FRAMECHANGED));
    if (!topLevel && wasVisible && changed && w->parent) InvalidateUncovered(w->parent, oldRect);
    if (isVisible && changed &&
        (!topLevel || sized || (flags & (SWP_SHOWWINDOW | SWP_FRAMECHANGED))))
      InvalidateWindow(w, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
    if (!topLevel && !(flags & SWP_NOZORDER) && isVisible)
      InvalidateWindow(w, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  }
  gdi::WindowsChanged();
  // A top-level window that appears, goes, moves or is restacked changes the screen where it
  // was and where it is; a child changes its top-level window's surface, by painting.
  if (topLevel && (moved || sized || restacked || (flags & (SWP_SHOWWINDOW | SWP_HIDEWINDOW)))) {
    if (wasVisible) ScreenDamaged(oldRect);
    if (isVisible) ScreenDamaged(w->rect);
  }

  // A window shown or raised with activation is activated (and takes the focus) before it
  // hears that its position changed, as the classic order has it.
  if (!(flags & SWP_HIDEWINDOW) && topLevel && isVisible && !(flags & SWP_NOACTIVATE) &&
      ((flags & SWP_SHOWWINDOW) || !(flags & SWP_NOZORDER))) {
    ActivateWindow(w, WA_ACTIVE);
    if (!(w = LookupQuiet(h))) return true;
  }

  if (!moved) pos.flags |= SWP_NOMOVE | SWP_NOCLIENTMOVE;
  if (!sized) pos.flags |= SWP_NOSIZE | SWP_NOCLIENTSIZE;
  pos.x = w->rect.left;
  pos.y = w->rect.top;
  pos.cx = w->rect.right - w->rect.left;
  pos.cy = w->rect.bottom - w->rect.top;
  Send(w, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
  if (!(w = LookupQuiet(h))) return true;
  // A top-level window hears its size and place when it is first shown.
  if ((flags & SWP_SHOWWINDOW) && !w->Has(kSentSizeMove)) {
    SendSizeAndMove(w);
    if (!(w = LookupQuiet(h))) return true;
  }

  if (flags & SWP_HIDEWINDOW) {
    if (state.focus && IsDescendant(w, state.focus) && !topLevel) {
      ChangeFocus(w->parent);
      if (!(w = LookupQuiet(h))) return true;
    }
    if (topLevel && state.active && IsDescendant(w, state.active)) ActivateAnother(w);
  }
  return true;
}

namespace {

Window* ChildAt(Window* parent, POINT screen, const std::vector<Window*>& skip, bool skipDisabled) {
  for (Window* c : parent->children) {
    if (!c->Visible()) continue;
    if (std::find(skip.begin(), skip.end(), c) != skip.end()) continue;
    if (skipDisabled && !c->Enabled() && c->IsChild()) continue;
    if (!Contains(WindowRectOnScreen(c), screen)) continue;
    if (c->style & WS_MINIMIZE) return c;
    POINT origin = ClientOriginOnScreen(c);
    RECT client{origin.x, origin.y, origin.x + (c->client.right - c->client.left),
                origin.y + (c->client.bottom - c->client.top)};
    if (Contains(client, screen)) {
      if (Window* inner = ChildAt(c, screen, skip, skipDisabled)) return inner;
    }
    return c;
  }
  return nullptr;
}

void Restore(Window* w, UINT flags);

// The windows a top-level window owns hide when it is minimised and come back when it is
// restored: each hears WM_SHOWWINDOW with SW_PARENTCLOSING or SW_PARENTOPENING, whose
// default handling hides or shows it.
void ShowOwnedWindows(HWND owner, bool show) {
  std::vector<HWND> owned;
  for (Window* other : Global().desktop->children)
    if (other->owner && other->owner->handle == owner) owned.push_back(other->handle);
  for (HWND h : owned) {
    Window* w = LookupQuiet(h);
    if (!w || w->Visible() == show) continue;
    if (show && !w->Has(kHiddenWithOwner)) continue;
    Send(w, WM_SHOWWINDOW, show ? TRUE : FALSE, show ? SW_PARENTOPENING : SW_PARENTCLOSING);
  }
}

// Where a minimised top-level window goes: the first free place in the row of icons along
// the bottom of the desktop, from the left.
POINT IconPlace(const Window* w) {
  State& state = Global();
  int width = GetSystemMetrics(SM_CXMINSPACING), height = GetSystemMetrics(SM_CYMINIMIZED);
  int y = state.screenSize.y - height;
  for (int x = 0;; x += width) {
    RECT place{x, y, x + width, y + height};
    bool taken = false;
    for (const Window* other : state.desktop->children)
      if (other != w && (other->style & WS_MINIMIZE) && other->Visible() &&
          !IsEmpty(Intersection(other->rect, place)))
        taken = true;
    if (!taken || x + 2 * width > state.screenSize.x) return POINT{x, y};
  }
}

void Maximize(Window* w, UINT flags) {
  HWND h = w->handle;
  bool wasMinimized = (w->style & WS_MINIMIZE) != 0;
  if (!(w->style & (WS_MAXIMIZE | WS_MINIMIZE))) w->restore = w->rect;
  MINMAXINFO info;
  GetMinMaxInfo(w, &info);
  if (!(w = LookupQuiet(h))) return;
  w->style = (w->style & ~WS_MINIMIZE) | WS_MAXIMIZE;
  w->flags = (w->flags & ~kMinimized) | kMaximized;
  SetPosition(w, HWND_TOP, info.ptMaxPosition.x, info.ptMaxPosition.y, info.ptMaxSize.x,
              info.ptMaxSize.y, flags | SWP_FRAMECHANGED | SWP_STATECHANGED);
  if (wasMinimized) ShowOwnedWindows(h, true);
}

void Minimize(Window* w, UINT flags) {
  HWND h = w->handle;
  bool child = w->IsChild();
  if (!child) {
    ShowOwnedWindows(h, false);
    if (!(w = LookupQuiet(h))) return;
  }
  if (!(w->style & (WS_MAXIMIZE | WS_MINIMIZE))) w->restore = w->rect;
  w->style = (w->style & ~WS_MAXIMIZE) | WS_MINIMIZE;
  w->flags = (w->flags & ~kMaximized) | kMinimized;
  POINT at = child ? POINT{0, 0} : IconPlace(w);
  SetPosition(w, HWND_TOP, at.x, at.y, GetSystemMetrics(SM_CXMINIMIZED),
              GetSystemMetrics(SM_CYMINIMIZED), flags | SWP_FRAMECHANGED | SWP_STATECHANGED);
}

void Restore(Window* w, UINT flags) {
  HWND h = w->handle;
  bool wasMinimized = (w->style & WS_MINIMIZE) != 0;
  w->style &= ~(WS_MAXIMIZE | WS_MINIMIZE);
  w->flags &= ~(kMaximized | kMinimized);
  RECT r = w->restore;
  SetPosition(w, HWND_TOP, r.left, r.top, r.right - r.left, r.bottom - r.top,
              flags | SWP_FRAMECHANGED | SWP_STATECHANGED);
  if (wasMinimized) ShowOwnedWindows(h, true);
}

// Whether a top-level window other than `except` still shows something on the desktop.
bool AnythingElseShowing(const Window* except) {
  for (const Window* w : Global().desktop->children)
    if (w != except && w->Visible() && !(w->style & WS_MINIMIZE) && !IsEmpty(w->rect)) return true;
  return false;
}

}  // namespace

Window* WindowAt(POINT screen, const std::vector<Window*>& skip, bool skipDisabled) {
  State& state = Global();
  return ChildAt(state.desktop, screen, skip, skipDisabled);
}

}  // namespace platform::user

using namespace platform::user;

BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int width, int height, UINT flags) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (w == Global().desktop) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  return SetPosition(w, insertAfter, x, y, width, height, flags) ? TRUE : FALSE;
}

BOOL MoveWindow(HWND window, int x, int y, int width, int height, BOOL repaint) {
  return SetWindowPos(window, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

BOOL BringWindowToTop(HWND window) {
  return SetWindowPos(window, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

BOOL ShowWindow(HWND window, int command) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  State& state = Global();
  if (w == state.desktop) return TRUE;
  bool wasVisible = w->Visible();
  bool show = command != SW_HIDE;
  UINT activate = 0;
  switch (command) {
    case SW_SHOWNOACTIVATE:
    case SW_SHOWNA:
    case SW_SHOWMINNOACTIVE:
    case SW_MINIMIZE:
    case SW_FORCEMINIMIZE:
      activate = SWP_NOACTIVATE;
      break;
    default:
      break;
  }
  if (w->IsChild()) activate = SWP_NOACTIVATE;
  if (show != wasVisible) {
    Send(w, WM_SHOWWINDOW, show ? TRUE : FALSE, 0);
    if (!(w = LookupQuiet(window))) return wasVisible;
  }
  UINT showFlag = show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW;
  switch (command) {
    case SW_HIDE:
      if (wasVisible)
        SetPosition(w, nullptr, 0, 0, 0, 0,
                    SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
      break;
    case SW_SHOWMINIMIZED:
    case SW_MINIMIZE:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
      if (!(w->style & WS_MINIMIZE)) {
        Minimize(w, showFlag | activate);
      } else {
        SetPosition(w, nullptr, 0, 0, 0, 0, showFlag | activate | SWP_NOMOVE | SWP_NOSIZE);
      }
      if ((w = LookupQuiet(window)) && (command == SW_MINIMIZE || command == SW_FORCEMINIMIZE) &&
          state.active == w)
        ActivateAnother(w);
      // A minimised program (nothing else left showing) takes its host window down with it;
      // when the host window is restored, so is this window (HostInput::HostRestored).
      if ((w = LookupQuiet(window)) && !w->IsChild() && (w->style & WS_MINIMIZE) &&
          !AnythingElseShowing(w) && platform::backend::Current().MinimizeHost())
        state.minimizedProgram = window;
      break;
    case SW_SHOWMAXIMIZED:
      if (!(w->style & WS_MAXIMIZE)) {
        Maximize(w, showFlag | activate);
      } else {
        SetPosition(w, nullptr, 0, 0, 0, 0, showFlag | activate | SWP_NOMOVE | SWP_NOSIZE);
      }
      break;
    case SW_SHOWNORMAL:
    case SW_RESTORE:
    case SW_SHOWDEFAULT:
    case SW_SHOWNOACTIVATE:
      if (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) {
        Restore(w, showFlag | activate);
        break;
      }
      [[fallthrough]];
    default:
      SetPosition(w, nullptr, 0, 0, 0, 0,
                  showFlag | activate | SWP_NOMOVE | SWP_NOSIZE | (activate ? SWP_NOZORDER : 0));
      break;
  }
  return wasVisible ? TRUE : FALSE;
}

BOOL CloseWindow(HWND window) { return ShowWindow(window, SW_MINIMIZE), IsWindow(window); }
BOOL OpenIcon(HWND window) { return ShowWindow(window, SW_SHOWNORMAL), IsWindow(window); }

BOOL GetWindowRect(HWND window, LPRECT rect) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (rect) *rect = WindowRectOnScreen(w);
  return TRUE;
}

BOOL GetClientRect(HWND window, LPRECT rect) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (rect) *rect = RECT{0, 0, w->client.right - w->client.left, w->client.bottom - w->client.top};
  return TRUE;
}

BOOL ClientToScreen(HWND window, LPPOINT point) {
  Window* w = Lookup(window);
  if (!w || !point) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  point->x += o.x;
  point->y += o.y;
  return TRUE;
}

BOOL ScreenToClient(HWND window, LPPOINT point) {
  Window* w = Lookup(window);
  if (!w || !point) return FALSE;
  POINT o = ClientOriginOnScreen(w);
  point->x -= o.x;
  point->y -= o.y;
  return TRUE;
}

int MapWindowPoints(HWND from, HWND to, LPPOINT points, UINT count) {
  POINT a{0, 0}, b{0, 0};
  if (from) {
    Window* w = Lookup(from);
    if (!w) return 0;
    a = ClientOriginOnScreen(w);
  }
  if (to) {
    Window* w = Lookup(to);
    if (!w) return 0;
    b = ClientOriginOnScreen(w);
  }
  int dx = a.x - b.x, dy = a.y - b.y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].x += dx;
    points[i].y += dy;
  }
  SetLastError(0);
  return MAKELONG(static_cast<WORD>(dx), static_cast<WORD>(dy));
}

BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle) {
  if (!rect) return FALSE;
  RECT in = NonClientInsets(style, exStyle, menu != FALSE, false);
  rect->left -= in.left;
  rect->top -= in.top;
  rect->right += in.right;
  rect->bottom += in.bottom;
  return TRUE;
}

BOOL AdjustWindowRect(LPRECT rect, DWORD style, BOOL menu) {
  return AdjustWindowRectEx(rect, style, menu, 0);
}

HWND WindowFromPoint(POINT point) {
  EnsureStarted();
  std::vector<Window*> skip;
  for (;;) {
    Window* w = WindowAt(point, skip, true);
    if (!w) return nullptr;
    HWND h = w->handle;
    LRESULT hit = Send(w, WM_NCHITTEST, 0,
                       MAKELPARAM(static_cast<WORD>(point.x), static_cast<WORD>(point.y)));
    if (hit != HTTRANSPARENT) return LookupQuiet(h) ? h : nullptr;
    if (!(w = LookupQuiet(h))) return nullptr;
    skip.push_back(w);
  }
}

HWND ChildWindowFromPointEx(HWND parent, POINT point, UINT flags) {
  Window* p = Lookup(parent);
  if (!p) return nullptr;
  RECT client{0, 0, p->client.right - p->client.left, p->client.bottom - p->client.top};
  if (!Contains(client, point)) return nullptr;
  for (Window* c : p->children) {
    if ((flags & CWP_SKIPINVISIBLE) && !c->Visible()) continue;
    if ((flags & CWP_SKIPDISABLED) && !c->Enabled()) continue;
    if ((flags & CWP_SKIPTRANSPARENT) && (c->exStyle & WS_EX_TRANSPARENT)) continue;
    if (Contains(c->rect, point)) return c->handle;
  }
  return parent;
}

HWND ChildWindowFromPoint(HWND parent, POINT point) {
  return ChildWindowFromPointEx(parent, point, CWP_ALL);
}
