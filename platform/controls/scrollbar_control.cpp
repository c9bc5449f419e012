// "SCROLLBAR": a scroll bar as a control of its own (SBS_HORZ, SBS_VERT), with the SBM_
// messages, the keyboard, and WM_HSCROLL / WM_VSCROLL to its parent naming itself.
#include "controls/classes.h"
#include "controls/scrollbar.h"

namespace platform::controls {
namespace {

constexpr UINT_PTR kRepeatTimer = 1;

struct ScrollBarControl : Control {
  static constexpr Kind kKind = Kind::ScrollBar;
  explicit ScrollBarControl(HWND window) : Control(kKind, window) {}
  ScrollValues values;
  ScrollTracker tracker;
  bool focused = false;
};

bool Vertical(HWND window) { return StyleOf(window) & SBS_VERT; }

ScrollLayout LayoutOf(ScrollBarControl& s) {
  bool dragging = s.tracker.DraggingThumb();
  return LayOut(s.values, ClientRectOf(s.window), Vertical(s.window),
                IsWindowEnabled(s.window) != FALSE, dragging ? s.values.trackPos : s.values.pos);
}

void Send(HWND window, int code, int position) {
  HWND parent = NotifyTarget(window);
  if (!parent) return;
  SendMessageA(parent, Vertical(window) ? WM_VSCROLL : WM_HSCROLL, ScrollCode(code, position),
               reinterpret_cast<LPARAM>(window));
}

void Paint(ScrollBarControl& s, HDC dc) {
  DWORD style = StyleOf(s.window);
  if (style & (SBS_SIZEBOX | SBS_SIZEGRIP)) {
    FillSysColour(dc, ClientRectOf(s.window), COLOR_BTNFACE);
    return;
  }
  HBRUSH brush = ControlColours(s.window, dc, WM_CTLCOLORSCROLLBAR);
  // The parent's own brush is used as it is; the default one becomes the classic checker.
  if (brush == GetSysColorBrush(COLOR_SCROLLBAR) &&
      GetSysColor(COLOR_SCROLLBAR) == GetSysColor(COLOR_BTNFACE))
    brush = nullptr;
  PaintScrollBar(dc, s.values, LayoutOf(s), IsWindowEnabled(s.window) != FALSE, s.tracker.Pressed(),
                 brush);
  if (s.focused && s.tracker.Pressed() == ScrollPart::None) {
    ScrollLayout l = LayoutOf(s);
    if (l.hasThumb) {
      RECT focus = l.thumb;
      InflateRect(&focus, -2, -2);
      DrawFocusRect(dc, &focus);
    }
  }
}

void Redraw(ScrollBarControl& s) { InvalidateRect(s.window, nullptr, FALSE); }

LRESULT SetInfo(ScrollBarControl& s, const SCROLLINFO* info, bool redraw) {
  if (!info) return 0;
  s.values.Apply(*info);
  if (!s.tracker.DraggingThumb()) s.values.trackPos = s.values.pos;
  if (redraw) Redraw(s);
  return s.values.pos;
}

void Key(ScrollBarControl& s, UINT key) {
  int code;
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      code = SB_LINEUP;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      code = SB_LINEDOWN;
      break;
    case VK_PRIOR:
      code = SB_PAGEUP;
      break;
    case VK_NEXT:
      code = SB_PAGEDOWN;
      break;
    case VK_HOME:
      code = SB_TOP;
      break;
    case VK_END:
      code = SB_BOTTOM;
      break;
    default:
      return;
  }
  HWND window = s.window;
  Send(window, code, 0);
  if (IsWindow(window)) Send(window, SB_ENDSCROLL, 0);
}

LRESULT Handle(ScrollBarControl& s, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = s.window;
  switch (message) {
    case WM_PAINT: {
      if (wParam) {
        Paint(s, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        Paint(s, dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s.focused = message == WM_SETFOCUS;
      Redraw(s);
      return 0;
    case WM_ENABLE:
    case WM_SIZE:
    case WM_SYSCOLORCHANGE:
      Redraw(s);
      return 0;
    case WM_KEYDOWN:
      Key(s, static_cast<UINT>(wParam));
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (StyleOf(window) & WS_TABSTOP) {
        SetFocus(window);
        if (!s.Alive()) return 0;
      }
      auto layout = [window]() {
        auto c = Find<ScrollBarControl>(window);
        return c ? LayoutOf(*c) : ScrollLayout{};
      };
      auto values = [window]() -> ScrollValues* {
        auto c = Find<ScrollBarControl>(window);
        return c ? &c->values : nullptr;
      };
      auto send = [window](int code, int position) { Send(window, code, position); };
      if (!s.tracker.Begin(PointOf(lParam), layout, values, send) || !s.Alive()) return 0;
      SetCapture(window);
      if (!s.tracker.DraggingThumb())
        SetTimer(window, kRepeatTimer, ScrollTracker::kFirstDelay, nullptr);
      Redraw(s);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (s.tracker.Active()) {
        s.tracker.Move(PointOf(lParam));
        Redraw(s);
      }
      return 0;
    case WM_TIMER:
      if (wParam == kRepeatTimer && s.tracker.Active()) {
        s.tracker.Repeat();
        if (s.Alive()) SetTimer(window, kRepeatTimer, ScrollTracker::kRepeat, nullptr);
        Redraw(s);
      }
      return 0;
    case WM_LBUTTONUP:
      if (s.tracker.Active()) {
        KillTimer(window, kRepeatTimer);
        ReleaseCapture();
        s.tracker.End(PointOf(lParam));
        if (s.Alive()) {
          s.values.trackPos = s.values.pos;
          Redraw(s);
        }
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (s.tracker.Active() && reinterpret_cast<HWND>(lParam) != window) {
        KillTimer(window, kRepeatTimer);
        s.tracker.End(POINT{-1, -1});
        if (s.Alive()) {
          s.values.trackPos = s.values.pos;
          Redraw(s);
        }
      }
      return 0;
    case WM_CANCELMODE:
      if (s.tracker.Active() && GetCapture() == window) ReleaseCapture();
      return 0;
    case SBM_SETSCROLLINFO:
      return SetInfo(s, reinterpret_cast<const SCROLLINFO*>(lParam), wParam != 0);
    case SBM_GETSCROLLINFO: {
      auto* info = reinterpret_cast<SCROLLINFO*>(lParam);
      if (!info) return FALSE;
      s.values.Fill(info);
      return TRUE;
    }
    case SBM_SETPOS: {
      int old = s.values.pos;
      SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, static_cast<int>(wParam), 0};
      SetInfo(s, &info, lParam != 0);
      return old;
    }
    case SBM_GETPOS:
      return s.values.pos;
    case SBM_SETRANGE:
    case SBM_SETRANGEREDRAW: {
      int old = s.values.pos;
      SCROLLINFO info{sizeof info, SIF_RANGE, static_cast<int>(wParam), static_cast<int>(lParam), 0,
                      0,           0};
      SetInfo(s, &info, message == SBM_SETRANGEREDRAW);
      return s.values.pos != old ? old : 0;
    }
    case SBM_GETRANGE:
      if (wParam) *reinterpret_cast<int*>(wParam) = s.values.min;
      if (lParam) *reinterpret_cast<int*>(lParam) = s.values.max;
      return 0;
    case SBM_ENABLE_ARROWS: {
      UINT arrows = static_cast<UINT>(wParam) & ESB_DISABLE_BOTH;
      bool changed = arrows != s.values.disabledArrows;
      s.values.disabledArrows = arrows;
      Redraw(s);
      return changed ? TRUE : FALSE;
    }
    case WM_NCDESTROY:
      Detach(s);
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

LRESULT ScrollBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ScrollBarControl> s = Attach<ScrollBarControl>(window);
  if (!s) return DefWindowProcA(window, message, wParam, lParam);
  return Handle(*s, message, wParam, lParam);
}

}  // namespace platform::controls
