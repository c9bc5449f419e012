// Reading and changing what a window records: longs, relatives, text, properties;
// and walking the window tree.
#include <unistd.h>

#include <algorithm>
#include <cstring>

#include "gdi/surface.h"
#include "platform/kernel.h"
#include "user/state.h"

namespace platform::user {
namespace {

// A property named by an atom and one named by the atom's text are the same property.
std::string PropertyKey(LPCSTR name) {
  if (!IS_INTRESOURCE(name)) return name;
  auto atom = static_cast<ATOM>(reinterpret_cast<std::uintptr_t>(name));
  char text[256];
  if (atom >= 0xC000 && GlobalGetAtomNameA(atom, text, sizeof text) > 0) return text;
  return "#" + std::to_string(atom);
}

std::vector<HWND> Handles(const std::vector<Window*>& windows) {
  std::vector<HWND> out;
  out.reserve(windows.size());
  for (Window* w : windows) out.push_back(w->handle);
  return out;
}

bool EnumDescendants(Window* parent, WNDENUMPROC callback, LPARAM lParam) {
  for (HWND h : Handles(parent->children)) {
    if (!LookupQuiet(h)) continue;
    if (!callback(h, lParam)) return false;
    if (Window* c = LookupQuiet(h))
      if (!EnumDescendants(c, callback, lParam)) return false;
  }
  return true;
}

}  // namespace
}  // namespace platform::user

using namespace platform::user;

LONG_PTR GetWindowLongA(HWND window, int index) {
  Window* w = Lookup(window);
  if (!w) return 0;
  switch (index) {
    case GWLP_WNDPROC:
      return reinterpret_cast<LONG_PTR>(w->procedure);
    case GWLP_HINSTANCE:
      return reinterpret_cast<LONG_PTR>(w->instance);
    case GWLP_HWNDPARENT:
      return reinterpret_cast<LONG_PTR>(w->IsChild() ? HandleOf(w->parent) : HandleOf(w->owner));
    case GWLP_ID:
      return w->id;
    case GWL_STYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->style));
    case GWL_EXSTYLE:
      return static_cast<LONG_PTR>(static_cast<LONG>(w->exStyle));
    case GWLP_USERDATA:
      return w->userData;
    default:
      break;
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
    LONG_PTR value;
    std::memcpy(&value, w->extra.data() + index, sizeof(value));
    return value;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

LONG_PTR SetWindowLongA(HWND window, int index, LONG_PTR value) {
  Window* w = Lookup(window);
  if (!w) return 0;
  LONG_PTR old = GetWindowLongA(window, index);
  switch (index) {
    case GWLP_WNDPROC:
      if (!value) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
      }
      w->procedure = reinterpret_cast<WNDPROC>(value);
      return old;
    case GWLP_HINSTANCE:
      w->instance = reinterpret_cast<HINSTANCE>(value);
      return old;
    case GWLP_HWNDPARENT: {
      if (w->IsChild()) return old;
      Window* owner = value ? Lookup(reinterpret_cast<HWND>(value)) : nullptr;
      if (value && !owner) return 0;
      owner = owner ? TopLevelOf(owner) : nullptr;
      w->owner = (owner == w || owner == Global().desktop) ? nullptr : owner;
      return old;
    }
    case GWLP_ID:
      w->id = value;
      return old;
    case GWLP_USERDATA:
      w->userData = value;
      return old;
    case GWL_STYLE:
    case GWL_EXSTYLE: {
      struct {
        DWORD styleOld;
        DWORD styleNew;
      } change{static_cast<DWORD>(old), static_cast<DWORD>(value)};
      WPARAM which = static_cast<WPARAM>(static_cast<LONG_PTR>(index));
      Send(w, WM_STYLECHANGING, which, reinterpret_cast<LPARAM>(&change));
      if (!(w = LookupQuiet(window))) return old;
      if (index == GWL_STYLE) {
        // Visibility changes only through ShowWindow and friends.
        w->style = (change.styleNew & ~WS_VISIBLE) | (w->style & WS_VISIBLE);
      } else {
        w->exStyle = change.styleNew;
      }
      platform::gdi::WindowsChanged();  // the clipping styles decide where the window's DCs draw
      Send(w, WM_STYLECHANGED, which, reinterpret_cast<LPARAM>(&change));
      return old;
    }
    default:
      break;
  }
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(LONG_PTR) <= w->extra.size()) {
    std::memcpy(w->extra.data() + index, &value, sizeof(value));
    return old;
  }
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

WORD GetWindowWord(HWND window, int index) {
  Window* w = Lookup(window);
  if (!w) return 0;
  if (index >= 0 && static_cast<std::size_t>(index) + sizeof(WORD) <= w->extra.size()) {
    WORD value;
    std::memcpy(&value, w->extra.data() + index, sizeof(value));
    return value;
  }
  if (index == GWLP_ID) return static_cast<WORD>(w->id);
  SetLastError(ERROR_INVALID_INDEX);
  return 0;
}

BOOL IsChild(HWND parent, HWND window) {
  Window* p = LookupQuiet(parent);
  Window* w = LookupQuiet(window);
  if (!p || !w) return FALSE;
  for (Window* a = w; a->IsChild() && a->parent; a = a->parent)
    if (a->parent == p) return TRUE;
  return FALSE;
}

BOOL IsWindowVisible(HWND window) {
  Window* w = LookupQuiet(window);
  return w && ReallyVisible(w) ? TRUE : FALSE;
}

BOOL IsWindowEnabled(HWND window) {
  Window* w = Lookup(window);
  return w && w->Enabled() ? TRUE : FALSE;
}

BOOL IsIconic(HWND window) {
  Window* w = Lookup(window);
  return w && (w->style & WS_MINIMIZE) ? TRUE : FALSE;
}

BOOL IsZoomed(HWND window) {
  Window* w = Lookup(window);
  return w && (w->style & WS_MAXIMIZE) ? TRUE : FALSE;
}

HWND GetParent(HWND window) {
  Window* w = Lookup(window);
  if (!w) return nullptr;
  if (w->IsChild()) return HandleOf(w->parent);
  if (w->style & WS_POPUP) return HandleOf(w->owner);
  return nullptr;
}

HWND GetAncestor(HWND window, UINT flags) {
  Window* w = Lookup(window);
  if (!w) return nullptr;
  State& state = Global();
  if (w == state.desktop) return nullptr;
  switch (flags) {
    case GA_PARENT:
      return HandleOf(w->parent);
    case GA_ROOT:
      return HandleOf(TopLevelOf(w));
    case GA_ROOTOWNER: {
      Window* root = TopLevelOf(w);
      while (root->owner) root = root->owner;
      return HandleOf(root);
    }
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND SetParent(HWND child, HWND newParent) {
  Window* w = Lookup(child);
  if (!w) return nullptr;
  State& state = Global();
  Window* p = newParent ? Lookup(newParent) : state.desktop;
  if (!p || w == state.desktop || IsDescendant(w, p)) {
    if (p) SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  Window* old = w->parent;
  HWND oldHandle = old == state.desktop ? GetDesktopWindow() : HandleOf(old);
  if (old == p) return oldHandle;
  bool wasVisible = w->Visible();
  if (wasVisible)
    SetPosition(w, nullptr, 0, 0, 0, 0,
                SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (!(w = LookupQuiet(child)) ||
      !(p = LookupQuiet(newParent ? newParent : HandleOf(state.desktop))))
    return oldHandle;
  UnlinkChild(w);
  LinkChild(p, w, nullptr);
  if (p == state.desktop) {
    EnsureSurface(w);
  } else {
    w->surface.reset();
  }
  if (wasVisible)
    SetPosition(w, HWND_TOP, 0, 0, 0, 0, SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  return oldHandle;
}

HWND GetWindow(HWND window, UINT command) {
  Window* w = Lookup(window);
  if (!w) return nullptr;
  const std::vector<Window*>* siblings = w->parent ? &w->parent->children : nullptr;
  switch (command) {
    case GW_HWNDFIRST:
      return siblings && !siblings->empty() ? siblings->front()->handle : nullptr;
    case GW_HWNDLAST:
      return siblings && !siblings->empty() ? siblings->back()->handle : nullptr;
    case GW_HWNDNEXT:
    case GW_HWNDPREV: {
      if (!siblings) return nullptr;
      auto at = std::find(siblings->begin(), siblings->end(), w);
      if (command == GW_HWNDNEXT) return at + 1 < siblings->end() ? (*(at + 1))->handle : nullptr;
      return at != siblings->begin() ? (*(at - 1))->handle : nullptr;
    }
    case GW_OWNER:
      return HandleOf(w->owner);
    case GW_CHILD:
      return w->children.empty() ? nullptr : w->children.front()->handle;
    case GW_ENABLEDPOPUP:
      for (Window* other : Global().desktop->children)
        if (other->owner == w && other->Visible() && other->Enabled()) return other->handle;
      return nullptr;
    default:
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

HWND GetNextWindow(HWND window, UINT command) { return GetWindow(window, command); }

HWND GetTopWindow(HWND window) {
  EnsureStarted();
  if (!window) window = GetDesktopWindow();
  return GetWindow(window, GW_CHILD);
}

HWND GetDesktopWindow() {
  EnsureStarted();
  return Global().desktop->handle;
}

HWND GetDlgItem(HWND dialog, int id) {
  Window* w = Lookup(dialog);
  if (!w) return nullptr;
  for (Window* c : w->children)
    if (c->id == id) return c->handle;
  SetLastError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int GetDlgCtrlID(HWND window) {
  Window* w = Lookup(window);
  if (!w || !w->IsChild()) return 0;
  return static_cast<int>(w->id);
}

BOOL EnumWindows(WNDENUMPROC callback, LPARAM lParam) {
  EnsureStarted();
  if (!callback) return FALSE;
  for (HWND h : Handles(Global().desktop->children)) {
    if (!LookupQuiet(h)) continue;
    if (!callback(h, lParam)) return FALSE;
  }
  return TRUE;
}

BOOL EnumThreadWindows(DWORD threadId, WNDENUMPROC callback, LPARAM lParam) {
  EnsureStarted();
  if (!callback) return FALSE;
  bool any = false;
  for (HWND h : Handles(Global().desktop->children)) {
    Window* w = LookupQuiet(h);
    if (!w || w->threadId != threadId) continue;
    any = true;
    if (!callback(h, lParam)) return FALSE;
  }
  return any ? TRUE : FALSE;
}

BOOL EnumChildWindows(HWND parent, WNDENUMPROC callback, LPARAM lParam) {
  EnsureStarted();
  Window* p = parent ? Lookup(parent) : Global().desktop;
  if (!p || !callback) return FALSE;
  return EnumDescendants(p, callback, lParam) ? TRUE : FALSE;
}

HWND FindWindowA(LPCSTR className, LPCSTR windowName) {
  EnsureStarted();
  WindowClass* c = className ? FindClass(className, nullptr) : nullptr;
  if (className && !c) return nullptr;
  for (Window* w : Global().desktop->children) {
    if (c && w->windowClass != c) continue;
    if (windowName && w->text != windowName) continue;
    return w->handle;
  }
  return nullptr;
}

BOOL SetWindowTextA(HWND window, LPCSTR text) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  return Send(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text ? text : "")) ? TRUE : FALSE;
}

int GetWindowTextA(HWND window, LPSTR buffer, int size) {
  Window* w = Lookup(window);
  if (!w || !buffer || size <= 0) return 0;
  buffer[0] = '\0';
  return static_cast<int>(
      Send(w, WM_GETTEXT, static_cast<WPARAM>(size), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthA(HWND window) {
  Window* w = Lookup(window);
  if (!w) return 0;
  return static_cast<int>(Send(w, WM_GETTEXTLENGTH, 0, 0));
}

BOOL SetPropA(HWND window, LPCSTR name, HANDLE data) {
  Window* w = Lookup(window);
  if (!w || !name) return FALSE;
  std::string key = PropertyKey(name);
  for (Property& p : w->properties) {
    if (p.name == key) {
      p.data = data;
      return TRUE;
    }
  }
  w->properties.push_back(Property{key, data});
  return TRUE;
}

HANDLE GetPropA(HWND window, LPCSTR name) {
  Window* w = Lookup(window);
  if (!w || !name) return nullptr;
  std::string key = PropertyKey(name);
  for (Property& p : w->properties)
    if (p.name == key) return p.data;
  return nullptr;
}

HANDLE RemovePropA(HWND window, LPCSTR name) {
  Window* w = Lookup(window);
  if (!w || !name) return nullptr;
  std::string key = PropertyKey(name);
  for (auto it = w->properties.begin(); it != w->properties.end(); ++it) {
    if (it->name == key) {
      HANDLE data = it->data;
      w->properties.erase(it);
      return data;
    }
  }
  return nullptr;
}

DWORD GetWindowThreadProcessId(HWND window, LPDWORD processId) {
  Window* w = Lookup(window);
  if (!w) return 0;
  if (processId) *processId = static_cast<DWORD>(getpid());
  return w->threadId;
}

HWND GetLastActivePopup(HWND owner) {
  Window* w = Lookup(owner);
  if (!w) return nullptr;
  if (Window* popup = LookupQuiet(w->lastActivePopup))
    if (popup->owner == w && popup->Visible()) return popup->handle;
  return owner;
}

BOOL AnyPopup() {
  EnsureStarted();
  for (Window* w : Global().desktop->children)
    if (w->owner && w->Visible()) return TRUE;
  return FALSE;
}
