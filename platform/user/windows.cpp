// Creating and destroying windows, and the links of the window tree.
#include <algorithm>

#include "gdi/surface.h"
#include "platform/kernel.h"
#include "user/menus.h"
#include "user/state.h"

namespace platform::user {

LRESULT Send(Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
  return w->procedure(w->handle, message, wParam, lParam);
}

Window* TopLevelOf(Window* w) {
  State& state = Global();
  while (w && w->parent && w->parent != state.desktop) w = w->parent;
  return w;
}

bool IsDescendant(const Window* ancestor, const Window* w) {
  for (; w; w = w->parent)
    if (w == ancestor) return true;
  return false;
}

POINT WindowOriginOnScreen(const Window* w) {
  POINT origin{w->rect.left, w->rect.top};
  if (w->parent) {
    POINT parent = ClientOriginOnScreen(w->parent);
    origin.x += parent.x;
    origin.y += parent.y;
  }
  return origin;
}

POINT ClientOriginOnScreen(const Window* w) {
  if (!w->parent) return POINT{w->client.left, w->client.top};
  POINT origin = WindowOriginOnScreen(w);
  return POINT{origin.x + w->client.left, origin.y + w->client.top};
}

RECT WindowRectOnScreen(const Window* w) {
  POINT o = WindowOriginOnScreen(w);
  return RECT{o.x, o.y, o.x + (w->rect.right - w->rect.left), o.y + (w->rect.bottom - w->rect.top)};
}

bool ReallyVisible(const Window* w) {
  for (; w; w = w->parent)
    if (!w->Visible()) return false;
  return true;
}

void LinkChild(Window* parent, Window* child, Window* before) {
  gdi::WindowsChanged();
  child->parent = parent;
  auto& list = parent->children;
  if (before) {
    auto at = std::find(list.begin(), list.end(), before);
    list.insert(at, child);
    return;
  }
  // At the top of its band: topmost windows stay above the others.
  auto at = list.begin();
  if (!(child->exStyle & WS_EX_TOPMOST))
    while (at != list.end() && ((*at)->exStyle & WS_EX_TOPMOST)) ++at;
  list.insert(at, child);
}

void UnlinkChild(Window* child) {
  if (!child->parent) return;
  gdi::WindowsChanged();
  auto& list = child->parent->children;
  list.erase(std::remove(list.begin(), list.end(), child), list.end());
  child->parent = nullptr;
}

namespace {

int defaultPlacement = 0;

void NotifyParents(Window* w, UINT event) {
  if (w->exStyle & WS_EX_NOPARENTNOTIFY) return;
  HWND child = w->handle;
  WPARAM wParam = MAKEWPARAM(static_cast<WORD>(event), static_cast<WORD>(w->id));
  // Up the chain of parents, stopping at a top-level window or one that declines.
  for (Window* p = w->parent; p && p != Global().desktop; p = p->parent) {
    HWND ph = p->handle;
    Send(p, WM_PARENTNOTIFY, wParam, reinterpret_cast<LPARAM>(child));
    p = LookupQuiet(ph);
    if (!p || !p->IsChild() || (p->exStyle & WS_EX_NOPARENTNOTIFY)) break;
  }
}

void DefaultGeometry(DWORD style, Window* parent, int& x, int& y, int& cx, int& cy) {
  POINT screen = Global().screenSize;
  bool overlapped = !(style & (WS_CHILD | WS_POPUP));
  if (x == CW_USEDEFAULT) {
    if (overlapped) {
      int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYFRAME);
      x = y = step * (defaultPlacement++ % 8);
    } else {
      x = y = 0;
    }
  }
  if (cx == CW_USEDEFAULT) {
    if (overlapped) {
      cx = screen.x * 3 / 4;
      cy = screen.y * 3 / 4;
    } else {
      cx = cy = 0;
    }
  }
  (void)parent;
}

// Frees the records of `w` and its subtree after WM_NCDESTROY.
void Release(Window* w) {
  for (Window* c : std::vector<Window*>(w->children)) Release(c);
  State& state = Global();
  if (w->Has(kPaintCounted)) state.windowsNeedingPaint--;
  KillTimersOf(w->handle);
  RemoveMessagesFor(w->handle);
  UnlinkChild(w);
  for (Window* other : std::vector<Window*>(state.desktop->children))
    if (other->owner == w) other->owner = nullptr;
  for (Window* other : state.desktop->children)
    if (other->lastActivePopup == w->handle) other->lastActivePopup = nullptr;
  DestroyMenusOf(w);
  w->windowClass->windows--;
  FreeHandle(w->handle);
  delete w;
}

// WM_DESTROY to `w`, then its children's whole destruction, then WM_NCDESTROY.
void DestroyTree(HWND handle) {
  Window* w = LookupQuiet(handle);
  if (!w || w->Has(kDestroyed)) return;
  w->flags |= kDestroying;
  ForgetWindow(w);
  Send(w, WM_DESTROY, 0, 0);
  if (!(w = LookupQuiet(handle))) return;
  std::vector<HWND> children;
  for (Window* c : w->children) children.push_back(c->handle);
  for (HWND c : children) DestroyTree(c);
  if (!(w = LookupQuiet(handle))) return;
  ForgetWindow(w);
  w->flags |= kDestroyed;
  Send(w, WM_NCDESTROY, 0, 0);
  if (!(w = LookupQuiet(handle))) return;
  Release(w);
}

}  // namespace

}  // namespace platform::user

using namespace platform::user;

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance,
                     LPVOID param) {
  EnsureStarted();
  State& state = Global();
  WindowClass* windowClass = FindClass(className, instance);
  if (!windowClass) {
    SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
    return nullptr;
  }
  Window* parentWindow = state.desktop;
  Window* owner = nullptr;
  if (parent == HWND_MESSAGE) parent = nullptr;
  if (style & WS_CHILD) {
    if (!parent) {
      SetLastError(ERROR_TLW_WITH_WSCHILD);
      return nullptr;
    }
    parentWindow = Lookup(parent);
    if (!parentWindow) return nullptr;
  } else if (parent) {
    owner = Lookup(parent);
    if (!owner) return nullptr;
    owner = TopLevelOf(owner);
    if (owner == state.desktop) owner = nullptr;
  }
  if (!(style & (WS_CHILD | WS_POPUP))) style |= WS_CLIPSIBLINGS | WS_CAPTION;
  if ((style & WS_CAPTION) == WS_DLGFRAME || (style & WS_CAPTION) == WS_CAPTION ||
      (style & WS_THICKFRAME) || (exStyle & WS_EX_DLGMODALFRAME))
    exStyle |= WS_EX_WINDOWEDGE;
  DefaultGeometry(style, parentWindow, x, y, width, height);

  auto* w = new Window();
  HWND handle = AllocateHandle(w);
  if (!handle) {
    delete w;
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  static std::uint64_t created = 0;
  w->handle = handle;
  w->creationOrder = ++created;
  w->windowClass = windowClass;
  windowClass->windows++;
  w->procedure = windowClass->procedure;
  w->style = style & ~WS_VISIBLE;
  w->exStyle = exStyle;
  w->id = reinterpret_cast<LONG_PTR>(menu);
  w->instance = instance;
  w->owner = owner;
  w->threadId = CurrentThreadId();
  w->extra.assign(static_cast<std::size_t>(windowClass->windowExtra), 0);
  w->icon = windowClass->icon;
  w->iconSmall = windowClass->iconSmall;
  LinkChild(parentWindow, w, nullptr);

  if (!(style & WS_CHILD) && ((style & WS_THICKFRAME) || !(style & WS_POPUP))) {
    MINMAXINFO info;
    GetMinMaxInfo(w, &info);
    width = std::clamp<int>(width, info.ptMinTrackSize.x, info.ptMaxTrackSize.x);
    height = std::clamp<int>(height, info.ptMinTrackSize.y, info.ptMaxTrackSize.y);
    if (!(w = LookupQuiet(handle))) return nullptr;
  }
  if (width < 0) width = 0;
  if (height < 0) height = 0;
  w->rect = RECT{x, y, x + width, y + height};
  w->client = RECT{0, 0, width, height};
  w->restore = w->rect;
  if (w->parent == state.desktop) EnsureSurface(w);

  CREATESTRUCTA create{
      param,      instance,  menu,   parent, height, width, y, x, static_cast<LONG>(style),
      windowName, className, exStyle};
  LPARAM createParam = reinterpret_cast<LPARAM>(&create);
  if (!Send(w, WM_NCCREATE, 0, createParam)) {
    DestroyTree(handle);
    return nullptr;
  }
  if (!(w = LookupQuiet(handle))) return nullptr;
  ComputeClientRect(w, true);
  if (!(w = LookupQuiet(handle))) return nullptr;
  if (Send(w, WM_CREATE, 0, createParam) == -1) {
    DestroyWindow(handle);
    return nullptr;
  }
  if (!(w = LookupQuiet(handle))) return nullptr;
  // A child hears its size and place now; a top-level window when it is first shown.
  if (w->IsChild() && !w->Has(kSentSizeMove)) {
    SendSizeAndMove(w);
    if (!(w = LookupQuiet(handle))) return nullptr;
  }
  if (w->IsChild()) {
    NotifyParents(w, WM_CREATE);
    if (!(w = LookupQuiet(handle))) return nullptr;
  }
  if (style & WS_VISIBLE) {
    int show = SW_SHOW;
    if (style & WS_MAXIMIZE)
      show = SW_SHOWMAXIMIZED;
    else if (style & WS_MINIMIZE)
      show = SW_SHOWMINIMIZED;
    ShowWindow(handle, show);
    if (!LookupQuiet(handle)) return nullptr;
  }
  return handle;
}

BOOL DestroyWindow(HWND window) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  State& state = Global();
  if (w == state.desktop || w->threadId != CurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (w->Has(kDestroying)) return TRUE;
  w->flags |= kDestroying;
  // Owned windows go first, as they cannot outlive their owner.
  if (!w->IsChild()) {
    std::vector<HWND> owned;
    for (Window* other : state.desktop->children)
      if (other->owner == w) owned.push_back(other->handle);
    for (HWND o : owned) DestroyWindow(o);
    if (!(w = LookupQuiet(window))) return TRUE;
  }
  if (w->IsChild()) {
    NotifyParents(w, WM_DESTROY);
    if (!(w = LookupQuiet(window))) return TRUE;
  }
  if (w->Visible()) {
    SetPosition(w, nullptr, 0, 0, 0, 0,
                SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    if (!(w = LookupQuiet(window))) return TRUE;
  }
  if (state.active && IsDescendant(w, state.active)) ActivateAnother(w);
  DestroyTree(window);
  return TRUE;
}

BOOL IsWindow(HWND window) { return LookupQuiet(window) != nullptr; }
