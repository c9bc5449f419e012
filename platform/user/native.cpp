// The native desktop on the window manager's side: which top-level windows the backend shows
// as host windows and how, the hit test that lets the host move and size them, and the host's
// changes (a move, the focus going elsewhere, minimising, a close request) applied as the
// platform's own calls, each as a user doing the same on the virtual desktop would cause.
#include "user/native.h"

#include <deque>

#include "gdi/screen.h"
#include "platform/kernel.h"
#include "user/input.h"
#include "user/state.h"
#include "user/surfaces.h"

namespace platform::user {
namespace {

struct Change {
  HostChange change;
  HWND window;
  RECT rect;
};

std::deque<Change>& Changes() {
  static auto* changes = new std::deque<Change>();
  return *changes;
}

HWND HandleFrom(std::uintptr_t id) { return reinterpret_cast<HWND>(id); }
std::uintptr_t IdOf(const Window* w) { return reinterpret_cast<std::uintptr_t>(w->handle); }

// Menus, dropped lists and hints: pop-ups without a caption that are tool windows or never
// activate. They take no focus and have no taskbar entry.
bool IsPopup(const Window* w) {
  return (w->style & WS_POPUP) && (w->style & WS_CAPTION) != WS_CAPTION &&
         (w->exStyle & (WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE));
}

// A top-level window shows on the native desktop while it is visible and has an area, or is
// minimised (the host keeps it as an entry of its own).
bool Shows(const Window* w) {
  return w->Visible() && (!IsEmpty(w->rect) || (w->style & WS_MINIMIZE));
}

HICON IconOf(const Window* w) {
  if (w->icon) return w->icon;
  if (w->iconSmall) return w->iconSmall;
  return w->windowClass ? w->windowClass->icon : nullptr;
}

// A window the user cannot reach while a modal window it owns is up hands the host's focus or
// close request to that window, as a click on it would.
Window* EnabledPopupOf(Window* w) {
  if (w->Enabled()) return w;
  Window* popup = LookupQuiet(w->lastActivePopup);
  if (popup && popup != w && popup->Visible() && popup->Enabled()) return popup;
  return nullptr;
}

Window* TopLevel(HWND handle) {
  Window* w = LookupQuiet(handle);
  if (!w || w->parent != Global().desktop) return nullptr;
  return w;
}

void Moved(Window* w, const RECT& rect) {
  if (!Shows(w) || (w->style & WS_MINIMIZE) || EqualRect(&w->rect, &rect)) return;
  bool sameSize = rect.right - rect.left == w->rect.right - w->rect.left &&
                  rect.bottom - rect.top == w->rect.bottom - w->rect.top;
  SetPosition(w, nullptr, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
              SWP_NOZORDER | SWP_NOACTIVATE | (sameSize ? SWP_NOSIZE : 0));
}

// Another program came to the front: whatever mode ours was in (a menu, a dropped list, a
// drag) ends, and the program is deactivated.
void Deactivated() {
  State& state = Global();
  if (Window* capture = state.capture) {
    HWND h = capture->handle;
    Send(capture, WM_CANCELMODE, 0, 0);
    if (Window* still = LookupQuiet(h); still && state.capture == still) ReleaseCaptureOf(still);
  }
  if (state.active) ActivateWindow(nullptr, WA_INACTIVE);
}

void Focused(Window* w) {
  if (IsPopup(w)) return;  // a pop-up never takes the focus from the window it serves
  Window* target = EnabledPopupOf(w);
  if (!target || (target->style & WS_MINIMIZE) || Global().active == target) return;
  ActivateWindow(target, WA_ACTIVE);
}

void Run(const Change& c) {
  if (c.change == HostChange::Focus && !c.window) {
    Deactivated();
    return;
  }
  Window* w = TopLevel(c.window);
  if (!w) return;
  switch (c.change) {
    case HostChange::Moved:
      Moved(w, c.rect);
      break;
    case HostChange::Focus:
      Focused(w);
      break;
    case HostChange::Minimized:
      if (!(w->style & WS_MINIMIZE)) Send(w, WM_SYSCOMMAND, SC_MINIMIZE, 0);
      break;
    case HostChange::Restored:
      if (w->style & WS_MINIMIZE) Send(w, WM_SYSCOMMAND, SC_RESTORE, 0);
      break;
    case HostChange::Close:
      if (Window* target = EnabledPopupOf(w); target == w) {
        Send(w, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if (target) {
        ActivateWindow(target, WA_ACTIVE);
      }
      break;
  }
}

}  // namespace

void AdoptDesktopSize() {
  State& state = Global();
  if (!state.desktop) return;
  backend::Backend& backend = backend::Current();
  POINT size = gdi::ScreenSetting();
  if (backend.NativeWindows()) {
    POINT host = backend.DesktopSize();
    if (host.x > 0 && host.y > 0) size = host;
  }
  if (size.x == state.screenSize.x && size.y == state.screenSize.y) return;
  state.screenSize = size;
  state.desktop->rect = state.desktop->client = RECT{0, 0, size.x, size.y};
  ScreenSurface();
}

void PresentNativeWindows(backend::Backend& backend) {
  State& state = Global();
  std::vector<backend::HostWindow> shown;
  auto& windows = state.desktop->children;
  for (auto it = windows.rbegin(); it != windows.rend(); ++it) {
    Window* w = *it;
    if (!Shows(w)) continue;
    EnsureSurface(w);
    backend::HostWindow h;
    h.id = IdOf(w);
    h.owner = w->owner ? IdOf(w->owner) : 0;
    h.surface = w->surface.get();
    h.rect = w->rect;
    // What the window drew is shown now; the composed screen catches up when it is read.
    h.damage = w->surface->damage;
    ScreenDamaged(Offset(h.damage, w->rect.left, w->rect.top));
    w->surface->damage = RECT{0, 0, 0, 0};
    h.kind = IsPopup(w) ? backend::HostKind::Popup : backend::HostKind::Framed;
    h.sizable = h.kind == backend::HostKind::Framed && (w->style & WS_THICKFRAME);
    h.topmost = (w->exStyle & WS_EX_TOPMOST) != 0;
    h.minimized = (w->style & WS_MINIMIZE) != 0;
    h.title = w->text;
    h.icon = IconOf(w);
    shown.push_back(std::move(h));
  }
  backend.PresentWindows(shown, state.active ? IdOf(state.active) : 0, GetCursor());
}

backend::HostHit HostHitTest(std::uintptr_t window, POINT screen) {
  using backend::HostHit;
  State& state = Global();
  Window* w = TopLevel(HandleFrom(window));
  // A press while something holds the mouse (a menu, a dropped list) or on a window the user
  // cannot reach is ours, as is any press on a maximised or minimised window's frame.
  if (!w || state.capture || !w->Enabled() || (w->style & (WS_MINIMIZE | WS_MAXIMIZE)))
    return HostHit::Client;
  if (WindowAt(screen, {}, false) != w) return HostHit::Client;
  LRESULT hit = Send(w, WM_NCHITTEST, 0,
                     MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
  if (!(w = LookupQuiet(HandleFrom(window)))) return HostHit::Client;
  HostHit answer = HostHit::Client;
  if (hit == HTCAPTION) {
    answer = HostHit::Move;
  } else if (w->style & WS_THICKFRAME) {
    switch (hit) {
      case HTLEFT:
        answer = HostHit::SizeLeft;
        break;
      case HTRIGHT:
        answer = HostHit::SizeRight;
        break;
      case HTTOP:
        answer = HostHit::SizeTop;
        break;
      case HTTOPLEFT:
        answer = HostHit::SizeTopLeft;
        break;
      case HTTOPRIGHT:
        answer = HostHit::SizeTopRight;
        break;
      case HTBOTTOM:
        answer = HostHit::SizeBottom;
        break;
      case HTBOTTOMLEFT:
        answer = HostHit::SizeBottomLeft;
        break;
      case HTBOTTOMRIGHT:
        answer = HostHit::SizeBottomRight;
        break;
      default:
        break;
    }
  }
  if (answer == HostHit::Client) return answer;
  // The second press of a double click is ours (the caption's maximise and restore); the
  // first, which the host takes, counts as its first click.
  if (WouldDoubleClick(w->handle, screen)) return HostHit::Client;
  NoteHostPress(w->handle, screen);
  return answer;
}

void QueueHostChange(HostChange change, std::uintptr_t window, RECT rect) {
  Changes().push_back(Change{change, HandleFrom(window), rect});
}

bool HostChangesPending() { return !Changes().empty(); }

void RunHostChanges() {
  if (Changes().empty()) return;
  // One at a time: what a change sends may ask for messages and so come back here.
  while (!Changes().empty()) {
    Change next = Changes().front();
    Changes().pop_front();
    Run(next);
  }
  // A loop waiting for messages looks at its state again (a menu the change ended, a dropped
  // list it closed) when a message comes; this one means nothing else.
  PostMessageA(nullptr, WM_NULL, 0, 0);
}

void ResetHostChanges() { Changes().clear(); }

}  // namespace platform::user
