// Activation, keyboard focus, mouse capture and enabling.
#include "platform/kernel.h"
#include "user/state.h"

namespace platform::user {

void ChangeFocus(Window* w) {
  State& state = Global();
  if (state.focus == w) return;
  HWND newHandle = HandleOf(w);
  HWND oldHandle = HandleOf(state.focus);
  if (Window* old = state.focus) {
    state.focus = nullptr;
    Send(old, WM_KILLFOCUS, reinterpret_cast<WPARAM>(newHandle), 0);
  }
  if (!newHandle) return;
  // The window may have gone, or the focus moved again, while the old one let go.
  Window* target = LookupQuiet(newHandle);
  if (!target || target->Has(kDestroying) || state.focus) return;
  state.focus = target;
  Send(target, WM_SETFOCUS, reinterpret_cast<WPARAM>(LookupQuiet(oldHandle) ? oldHandle : nullptr),
       0);
}

void ActivateWindow(Window* w, int how) {
  State& state = Global();
  if (w) w = TopLevelOf(w);
  if (state.active == w) return;
  HWND newHandle = HandleOf(w);
  Window* old = state.active;
  HWND oldHandle = HandleOf(old);
  state.active = w;
  if (old) {
    Send(old, WM_NCACTIVATE, FALSE, 0);
    if ((old = LookupQuiet(oldHandle)))
      Send(old, WM_ACTIVATE, MAKEWPARAM(WA_INACTIVE, (old->style & WS_MINIMIZE) ? 1 : 0),
           reinterpret_cast<LPARAM>(newHandle));
    if (state.active != LookupQuiet(newHandle)) return;  // activation moved on meanwhile
  }
  // The program is one application: it turns active with its first active window and
  // inactive when none is left.
  if (!old || !w) {
    BOOL activating = w ? TRUE : FALSE;
    std::vector<HWND> windows;
    for (Window* t : state.desktop->children) windows.push_back(t->handle);
    for (HWND t : windows)
      if (Window* tw = LookupQuiet(t)) Send(tw, WM_ACTIVATEAPP, activating, 0);
  }
  if (!w) {
    ChangeFocus(nullptr);
    return;
  }
  if (!(w = LookupQuiet(newHandle)) || state.active != w) return;
  if (w->owner) w->owner->lastActivePopup = newHandle;
  w->lastActivePopup = newHandle;
  if (w->parent && !w->parent->children.empty() && w->parent->children.front() != w && w->Visible())
    SetPosition(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  if (!(w = LookupQuiet(newHandle))) return;
  Send(w, WM_NCACTIVATE, TRUE, 0);
  if (!(w = LookupQuiet(newHandle))) return;
  Send(w, WM_ACTIVATE, MAKEWPARAM(static_cast<WORD>(how), (w->style & WS_MINIMIZE) ? 1 : 0),
       reinterpret_cast<LPARAM>(LookupQuiet(oldHandle) ? oldHandle : nullptr));
}

void ActivateAnother(Window* leaving) {
  State& state = Global();
  Window* next = nullptr;
  auto usable = [&](Window* c) {
    return c && c != leaving && !IsDescendant(leaving, c) && c->Visible() && c->Enabled() &&
           !c->Has(kDestroying) && !(c->style & WS_MINIMIZE) && !(c->exStyle & WS_EX_NOACTIVATE);
  };
  if (leaving->owner && usable(leaving->owner)) next = leaving->owner;
  for (Window* c : state.desktop->children) {
    if (next) break;
    if (usable(c)) next = c;
  }
  if (state.active && !IsDescendant(leaving, state.active) && state.active != leaving) return;
  ActivateWindow(next, WA_ACTIVE);
}

void ForgetWindow(Window* w) {
  State& state = Global();
  if (state.focus && IsDescendant(w, state.focus)) ChangeFocus(nullptr);
  if (state.capture && IsDescendant(w, state.capture)) ReleaseCaptureOf(state.capture);
  if (state.active && IsDescendant(w, state.active)) state.active = nullptr;
}

void ReleaseCaptureOf(Window* w) {
  State& state = Global();
  if (state.capture != w) return;
  state.capture = nullptr;
  Send(w, WM_CAPTURECHANGED, 0, 0);
}

}  // namespace platform::user

using namespace platform::user;

HWND GetActiveWindow() { return HandleOf(Global().active); }
HWND GetForegroundWindow() { return HandleOf(Global().active); }
HWND GetFocus() { return HandleOf(Global().focus); }
HWND GetCapture() { return HandleOf(Global().capture); }

HWND SetActiveWindow(HWND window) {
  State& state = Global();
  HWND old = HandleOf(state.active);
  if (!window) {
    ActivateWindow(nullptr, WA_INACTIVE);
    return old;
  }
  Window* w = Lookup(window);
  if (!w) return nullptr;
  if (w->IsChild() || !w->Visible() || !w->Enabled()) {
    if (w->IsChild()) return old;
  }
  ActivateWindow(w, WA_ACTIVE);
  return old;
}

BOOL SetForegroundWindow(HWND window) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  ActivateWindow(w, WA_ACTIVE);
  return TRUE;
}

HWND SetFocus(HWND window) {
  State& state = Global();
  HWND old = HandleOf(state.focus);
  if (!window) {
    ChangeFocus(nullptr);
    return old;
  }
  Window* w = Lookup(window);
  if (!w) return nullptr;
  if (w->Has(kDestroying)) return nullptr;
  // A window in a disabled or minimised ancestor cannot take the focus.
  for (Window* a = w; a && a != state.desktop; a = a->parent) {
    if (a->style & WS_MINIMIZE) return nullptr;
    if (a != w && !a->Enabled()) return nullptr;
  }
  Window* top = TopLevelOf(w);
  if (state.active != top) {
    ActivateWindow(top, WA_ACTIVE);
    if (!(w = LookupQuiet(window))) return nullptr;
  }
  ChangeFocus(w);
  return LookupQuiet(old) ? old : nullptr;
}

HWND SetCapture(HWND window) {
  State& state = Global();
  Window* old = state.capture;
  HWND oldHandle = HandleOf(old);
  Window* w = Lookup(window);
  if (!w) return nullptr;
  if (old == w) return oldHandle;
  state.capture = w;
  if (old) Send(old, WM_CAPTURECHANGED, 0, reinterpret_cast<LPARAM>(window));
  return oldHandle;
}

BOOL ReleaseCapture() {
  State& state = Global();
  if (state.capture) ReleaseCaptureOf(state.capture);
  return TRUE;
}

BOOL EnableWindow(HWND window, BOOL enable) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  State& state = Global();
  bool wasDisabled = !w->Enabled();
  if (enable && wasDisabled) {
    w->style &= ~WS_DISABLED;
    Send(w, WM_ENABLE, TRUE, 0);
  } else if (!enable && !wasDisabled) {
    Send(w, WM_CANCELMODE, 0, 0);
    if (!(w = LookupQuiet(window))) return FALSE;
    w->style |= WS_DISABLED;
    if (state.focus && IsDescendant(w, state.focus)) ChangeFocus(nullptr);
    if (!(w = LookupQuiet(window))) return FALSE;
    if (state.capture && IsDescendant(w, state.capture)) ReleaseCaptureOf(state.capture);
    if (!(w = LookupQuiet(window))) return FALSE;
    Send(w, WM_ENABLE, FALSE, 0);
  }
  return wasDisabled ? TRUE : FALSE;
}
