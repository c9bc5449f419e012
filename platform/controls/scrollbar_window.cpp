// The scroll bars of WS_VSCROLL and WS_HSCROLL windows and the scroll bar API, which also
// serves "ScrollBar" controls (SB_CTL) through their SBM_ messages.
#include <algorithm>

#include "controls/scrollbar.h"
#include "controls/window_scrollbars.h"

namespace platform::controls {
namespace {

constexpr UINT_PTR kRepeatTimer = 0xFFF0;

struct WindowBars : Extension {
  ScrollValues horizontal;
  ScrollValues vertical;
  ScrollTracker tracker;
  int trackedBar = -1;
  WindowBars() {
    // A window's own bars start with the range 0 to 100.
    horizontal.max = vertical.max = 100;
  }
  ScrollValues& Of(int bar) { return bar == SB_HORZ ? horizontal : vertical; }
};

WindowBars* BarsOf(HWND window, bool make) {
  std::shared_ptr<Extension>* slot = ScrollBarSlot(window);
  if (!slot) return nullptr;
  if (!*slot) {
    if (!make) return nullptr;
    *slot = std::make_shared<WindowBars>();
  }
  return static_cast<WindowBars*>(slot->get());
}

DWORD StyleBit(int bar) { return bar == SB_HORZ ? WS_HSCROLL : WS_VSCROLL; }

bool Shown(HWND window, int bar) { return StyleOf(window) & StyleBit(bar); }

// Where the client area lies in window coordinates.
RECT ClientInWindow(HWND window) {
  RECT w, c;
  GetWindowRect(window, &w);
  GetClientRect(window, &c);
  POINT origin{0, 0};
  ClientToScreen(window, &origin);
  return RECT{origin.x - w.left, origin.y - w.top, origin.x - w.left + c.right,
              origin.y - w.top + c.bottom};
}

RECT BarRect(HWND window, int bar) {
  RECT c = ClientInWindow(window);
  if (bar == SB_VERT)
    return RECT{c.right, c.top, c.right + GetSystemMetrics(SM_CXVSCROLL), c.bottom};
  return RECT{c.left, c.bottom, c.right, c.bottom + GetSystemMetrics(SM_CYHSCROLL)};
}

ScrollLayout LayoutOf(HWND window, WindowBars& bars, int bar) {
  ScrollValues& v = bars.Of(bar);
  bool dragging = bars.trackedBar == bar && bars.tracker.DraggingThumb();
  return LayOut(v, BarRect(window, bar), bar == SB_VERT, IsWindowEnabled(window) != FALSE,
                dragging ? v.trackPos : v.pos);
}

void PaintBar(HWND window, HDC dc, WindowBars& bars, int bar) {
  ScrollLayout layout = LayoutOf(window, bars, bar);
  ScrollPart pressed = bars.trackedBar == bar ? bars.tracker.Pressed() : ScrollPart::None;
  PaintScrollBar(dc, bars.Of(bar), layout, IsWindowEnabled(window) != FALSE, pressed, nullptr);
}

void RedrawBar(HWND window, int bar) {
  if (!IsWindowVisible(window) || !Shown(window, bar)) return;
  WindowBars* bars = BarsOf(window, true);
  HDC dc = GetWindowDC(window);
  if (!dc) return;
  PaintBar(window, dc, *bars, bar);
  ReleaseDC(window, dc);
}

void SetShown(HWND window, int bar, bool show) {
  DWORD style = StyleOf(window);
  DWORD bits = bar == SB_BOTH ? (WS_HSCROLL | WS_VSCROLL) : StyleBit(bar);
  DWORD wanted = show ? (style | bits) : (style & ~bits);
  if (wanted == style) return;
  SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(wanted));
  SetWindowPos(window, nullptr, 0, 0, 0, 0,
               SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

bool ValidBar(int bar) { return bar == SB_HORZ || bar == SB_VERT; }

}  // namespace

void PaintWindowScrollBars(HWND window, HDC dc) {
  DWORD style = StyleOf(window);
  if (!(style & (WS_VSCROLL | WS_HSCROLL))) return;
  WindowBars* bars = BarsOf(window, true);
  if (style & WS_VSCROLL) PaintBar(window, dc, *bars, SB_VERT);
  if (style & WS_HSCROLL) PaintBar(window, dc, *bars, SB_HORZ);
  if ((style & WS_VSCROLL) && (style & WS_HSCROLL)) {
    RECT v = BarRect(window, SB_VERT), h = BarRect(window, SB_HORZ);
    FillSysColour(dc, RECT{v.left, h.top, v.right, h.bottom}, COLOR_BTNFACE);
  }
}

void TrackWindowScrollBar(HWND window, int bar, POINT screen) {
  WindowBars* bars = BarsOf(window, true);
  if (!bars || !ValidBar(bar) || bars->tracker.Active()) return;
  RECT windowRect;
  GetWindowRect(window, &windowRect);
  auto toWindow = [window](POINT client) {
    RECT c = ClientInWindow(window);
    return POINT{client.x + c.left, client.y + c.top};
  };
  POINT start{screen.x - windowRect.left, screen.y - windowRect.top};
  UINT message = bar == SB_VERT ? WM_VSCROLL : WM_HSCROLL;
  auto layout = [window, bar]() {
    WindowBars* b = BarsOf(window, true);
    return b ? LayoutOf(window, *b, bar) : ScrollLayout{};
  };
  auto values = [window, bar]() -> ScrollValues* {
    WindowBars* b = BarsOf(window, false);
    return b ? &b->Of(bar) : nullptr;
  };
  auto send = [window, message](int code, int position) {
    SendMessageA(window, message, ScrollCode(code, position), 0);
  };
  bars->trackedBar = bar;
  if (!bars->tracker.Begin(start, layout, values, send)) {
    bars->trackedBar = -1;
    return;
  }
  if (!IsWindow(window)) return;
  if (HWND holder = GetCapture(); holder && holder != window)
    SendMessageA(holder, WM_CANCELMODE, 0, 0);
  SetCapture(window);
  bool thumb = bars->tracker.DraggingThumb();
  if (!thumb) SetTimer(window, kRepeatTimer, ScrollTracker::kFirstDelay, nullptr);
  RedrawBar(window, bar);
  POINT last = start;
  MSG msg;
  // The loop takes the mouse for itself; everything else is dispatched as usual.
  while (IsWindow(window) && GetCapture() == window) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      if (got == 0) PostQuitMessage(static_cast<int>(msg.wParam));
      break;
    }
    if (!(bars = BarsOf(window, false))) break;
    if (msg.hwnd == window && msg.message == WM_TIMER && msg.wParam == kRepeatTimer) {
      bars->tracker.Repeat();
      if (IsWindow(window)) SetTimer(window, kRepeatTimer, ScrollTracker::kRepeat, nullptr);
      RedrawBar(window, bar);
      continue;
    }
    if (msg.hwnd == window && (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)) {
      last = toWindow(PointOf(msg.lParam));
      if (msg.message == WM_LBUTTONUP) break;
      bars->tracker.Move(last);
      RedrawBar(window, bar);
      continue;
    }
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  if (IsWindow(window)) KillTimer(window, kRepeatTimer);
  if ((bars = BarsOf(window, false))) {
    bars->trackedBar = -1;
    bars->tracker.End(last);
  }
  if (GetCapture() == window) ReleaseCapture();
  if ((bars = BarsOf(window, false))) {
    ScrollValues& v = bars->Of(bar);
    v.trackPos = v.pos;
    RedrawBar(window, bar);
  }
}

}  // namespace platform::controls

using namespace platform::controls;

int SetScrollInfo(HWND window, int bar, LPCSCROLLINFO info, BOOL redraw) {
  if (!info ||
      (info->cbSize != sizeof(SCROLLINFO) && info->cbSize != sizeof(SCROLLINFO) - sizeof(int))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (bar == SB_CTL)
    return static_cast<int>(
        SendMessageA(window, SBM_SETSCROLLINFO, redraw, reinterpret_cast<LPARAM>(info)));
  if (!IsWindow(window)) return 0;
  if (!ValidBar(bar)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  WindowBars* bars = BarsOf(window, true);
  ScrollValues& v = bars->Of(bar);
  v.Apply(*info);
  if (!(bars->trackedBar == bar && bars->tracker.DraggingThumb())) v.trackPos = v.pos;
  int position = v.pos;
  bool scrollable = v.Scrollable();
  if (info->fMask & SIF_DISABLENOSCROLL) {
    if (!Shown(window, bar)) SetShown(window, bar, true);
  } else if ((info->fMask & (SIF_RANGE | SIF_PAGE)) && scrollable != Shown(window, bar)) {
    // The bar comes and goes with the need for it.
    SetShown(window, bar, scrollable);
  }
  if (redraw) RedrawBar(window, bar);
  return position;
}

BOOL GetScrollInfo(HWND window, int bar, LPSCROLLINFO info) {
  if (!info) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (bar == SB_CTL)
    return SendMessageA(window, SBM_GETSCROLLINFO, 0, reinterpret_cast<LPARAM>(info)) ? TRUE
                                                                                      : FALSE;
  if (!IsWindow(window)) return FALSE;
  if (!ValidBar(bar)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  WindowBars* bars = BarsOf(window, false);
  if (!bars && !Shown(window, bar)) {
    SetLastError(ERROR_NO_SCROLLBARS);
    return FALSE;
  }
  if (!bars) bars = BarsOf(window, true);
  bars->Of(bar).Fill(info);
  return TRUE;
}

int SetScrollPos(HWND window, int bar, int position, BOOL redraw) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, position, 0};
  int old = GetScrollPos(window, bar);
  SetScrollInfo(window, bar, &info, redraw);
  return old;
}

int GetScrollPos(HWND window, int bar) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 0, 0};
  return GetScrollInfo(window, bar, &info) ? info.nPos : 0;
}

BOOL SetScrollRange(HWND window, int bar, int minimum, int maximum, BOOL redraw) {
  if (static_cast<long long>(maximum) - minimum > 0x7FFFFFFF) {
    SetLastError(ERROR_INVALID_SCROLLBAR_RANGE);
    return FALSE;
  }
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, minimum, maximum, 0, 0, 0};
  if (bar != SB_CTL && !IsWindow(window)) return FALSE;
  SetScrollInfo(window, bar, &info, redraw);
  return TRUE;
}

BOOL GetScrollRange(HWND window, int bar, LPINT minimum, LPINT maximum) {
  SCROLLINFO info{sizeof(SCROLLINFO), SIF_RANGE, 0, 0, 0, 0, 0};
  BOOL ok = GetScrollInfo(window, bar, &info);
  if (minimum) *minimum = ok ? info.nMin : 0;
  if (maximum) *maximum = ok ? info.nMax : 0;
  return ok;
}

BOOL ShowScrollBar(HWND window, int bar, BOOL show) {
  if (!IsWindow(window)) return FALSE;
  if (bar == SB_CTL) return ShowWindow(window, show ? SW_SHOW : SW_HIDE), TRUE;
  if (bar != SB_HORZ && bar != SB_VERT && bar != SB_BOTH) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  BarsOf(window, true);
  SetShown(window, bar, show != FALSE);
  return TRUE;
}

BOOL EnableScrollBar(HWND window, UINT bar, UINT arrows) {
  if (bar == SB_CTL) return SendMessageA(window, SBM_ENABLE_ARROWS, arrows, 0) ? TRUE : FALSE;
  if (!IsWindow(window)) return FALSE;
  WindowBars* bars = BarsOf(window, true);
  bool changed = false;
  for (int b : {SB_HORZ, SB_VERT}) {
    if (bar != SB_BOTH && static_cast<int>(bar) != b) continue;
    ScrollValues& v = bars->Of(b);
    changed |= v.disabledArrows != (arrows & ESB_DISABLE_BOTH);
    v.disabledArrows = arrows & ESB_DISABLE_BOTH;
    RedrawBar(window, b);
  }
  return changed ? TRUE : FALSE;
}
