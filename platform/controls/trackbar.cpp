// "msctls_trackbar32" and the common control initialisation: the TBM_ messages, the mouse
// (pages on a timer, the thumb dragged) and the keyboard, each move reported to the parent
// with WM_HSCROLL or WM_VSCROLL and a TB_ code.
#include "controls/trackbar.h"

#include <algorithm>

#include "controls/classes.h"

namespace platform::controls {
namespace {

constexpr UINT_PTR kPageTimer = 1;
constexpr UINT kFirstDelay = 400;
constexpr UINT kRepeat = 100;

DWORD Style(const TrackBar& t) { return StyleOf(t.window); }

void Notify(TrackBar& t, int code) {
  HWND parent = NotifyTarget(t.window);
  if (!parent) return;
  UINT message = (Style(t) & TBS_VERT) ? WM_VSCROLL : WM_HSCROLL;
  WORD position =
      (code == TB_THUMBTRACK || code == TB_THUMBPOSITION) ? static_cast<WORD>(t.pos) : 0;
  SendMessageA(parent, message, MAKEWPARAM(static_cast<WORD>(code), position),
               reinterpret_cast<LPARAM>(t.window));
}

// Repaints what a change of the thumb uncovers and covers, nothing more.
void MoveThumb(TrackBar& t, int position, bool redraw) {
  position = std::clamp(position, t.min, t.max);
  if (position == t.pos) return;
  TrackLayout l = LayOutTrackBar(t);
  RECT before = ThumbRect(t, l, t.pos);
  t.pos = position;
  if (!redraw) return;
  RECT after = ThumbRect(t, l, t.pos);
  InvalidateRect(t.window, &before, FALSE);
  InvalidateRect(t.window, &after, FALSE);
}

void RedrawAll(TrackBar& t, bool redraw) {
  if (redraw) InvalidateRect(t.window, nullptr, FALSE);
}

void SetRange(TrackBar& t, int min, int max, bool redraw) {
  t.min = min;
  t.max = std::max(max, min);
  if (!t.pageSizeSet) t.pageSize = std::max(1, (t.max - t.min) / 5);
  t.pos = std::clamp(t.pos, t.min, t.max);
  RedrawAll(t, redraw);
}

void Step(TrackBar& t, int code) {
  int target = t.pos;
  switch (code) {
    case TB_LINEUP:
      target -= t.lineSize;
      break;
    case TB_LINEDOWN:
      target += t.lineSize;
      break;
    case TB_PAGEUP:
      target -= t.pageSize;
      break;
    case TB_PAGEDOWN:
      target += t.pageSize;
      break;
    case TB_TOP:
      target = t.min;
      break;
    case TB_BOTTOM:
      target = t.max;
      break;
    default:
      break;
  }
  MoveThumb(t, target, true);
  Notify(t, code);
}

int Along(const TrackLayout& l, POINT p) { return l.vertical ? p.y : p.x; }

// A page step while the pointer stays beyond the thumb on its side.
void PageAgain(TrackBar& t) {
  TrackLayout l = LayOutTrackBar(t);
  int pointer = Along(l, t.lastPoint), thumb = PixelOf(t, l, t.pos);
  if (t.drag == TrackBar::Drag::PageUp && pointer < thumb - l.thumbAlong / 2)
    Step(t, TB_PAGEUP);
  else if (t.drag == TrackBar::Drag::PageDown && pointer > thumb + l.thumbAlong / 2)
    Step(t, TB_PAGEDOWN);
}

void Press(TrackBar& t, POINT p) {
  HWND window = t.window;
  if (GetFocus() != window) {
    SetFocus(window);
    if (!t.Alive()) return;
  }
  TrackLayout l = LayOutTrackBar(t);
  RECT thumb = ThumbRect(t, l, t.pos);
  t.lastPoint = p;
  SetCapture(window);
  if (!(Style(t) & TBS_NOTHUMB) && Inside(thumb, p)) {
    t.drag = TrackBar::Drag::Thumb;
    t.grab = Along(l, p) - PixelOf(t, l, t.pos);
    return;
  }
  t.drag = Along(l, p) < PixelOf(t, l, t.pos) ? TrackBar::Drag::PageUp : TrackBar::Drag::PageDown;
  Step(t, t.drag == TrackBar::Drag::PageUp ? TB_PAGEUP : TB_PAGEDOWN);
  if (t.Alive() && t.drag != TrackBar::Drag::None)
    SetTimer(window, kPageTimer, kFirstDelay, nullptr);
}

void Move(TrackBar& t, POINT p) {
  t.lastPoint = p;
  if (t.drag != TrackBar::Drag::Thumb) return;
  TrackLayout l = LayOutTrackBar(t);
  int position = PositionAt(t, l, Along(l, p) - t.grab);
  if (position == t.pos) return;
  MoveThumb(t, position, true);
  UpdateWindow(t.window);
  Notify(t, TB_THUMBTRACK);
}

void Release(TrackBar& t) {
  TrackBar::Drag drag = t.drag;
  if (drag == TrackBar::Drag::None) return;
  t.drag = TrackBar::Drag::None;
  KillTimer(t.window, kPageTimer);
  if (GetCapture() == t.window) ReleaseCapture();
  if (drag == TrackBar::Drag::Thumb) {
    Notify(t, TB_THUMBPOSITION);
    if (!t.Alive()) return;
  }
  Notify(t, TB_ENDTRACK);
}

void Key(TrackBar& t, UINT key) {
  int code;
  switch (key) {
    case VK_LEFT:
    case VK_UP:
      code = TB_LINEUP;
      break;
    case VK_RIGHT:
    case VK_DOWN:
      code = TB_LINEDOWN;
      break;
    case VK_PRIOR:
      code = TB_PAGEUP;
      break;
    case VK_NEXT:
      code = TB_PAGEDOWN;
      break;
    case VK_HOME:
      code = TB_TOP;
      break;
    case VK_END:
      code = TB_BOTTOM;
      break;
    default:
      return;
  }
  t.keyScrolling = true;
  Step(t, code);
}

void AddTick(TrackBar& t, int position) {
  auto at = std::lower_bound(t.ticks.begin(), t.ticks.end(), position);
  if (at == t.ticks.end() || *at != position) t.ticks.insert(at, position);
}

int TickCount(const TrackBar& t) {
  DWORD style = Style(t);
  if (style & TBS_NOTICKS) return 0;
  int count = 2 + static_cast<int>(t.ticks.size());
  if ((style & TBS_AUTOTICKS) && t.frequency > 0 && t.max > t.min) {
    long long inner = (static_cast<long long>(t.max) - t.min - 1) / t.frequency;
    count = 2 + static_cast<int>(std::min<long long>(inner, 0x7FFFFFFF - 2));
  }
  return count;
}

// The i-th tick between the ends: the manual ones, or the automatic ones.
int TickAt(const TrackBar& t, int index) {
  if (index < 0) return -1;
  if ((Style(t) & TBS_AUTOTICKS) && t.frequency > 0) {
    long long position = t.min + static_cast<long long>(index + 1) * t.frequency;
    return position < t.max ? static_cast<int>(position) : -1;
  }
  return index < static_cast<int>(t.ticks.size()) ? t.ticks[static_cast<std::size_t>(index)] : -1;
}

void SetSelection(TrackBar& t, int start, int end, bool redraw) {
  t.selStart = start;
  t.selEnd = end;
  t.hasSelection = true;
  RedrawAll(t, redraw);
}

LRESULT Handle(TrackBar& t, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = t.window;
  bool redraw = wParam != 0;
  switch (message) {
    case WM_PAINT: {
      if (wParam) {
        PaintTrackBar(t, reinterpret_cast<HDC>(wParam), ClientRectOf(window));
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        PaintTrackBar(t, dc, ps.rcPaint);
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
      t.focused = message == WM_SETFOCUS;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_ENABLE:
    case WM_SIZE:
    case WM_SYSCOLORCHANGE:
    case WM_STYLECHANGED:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_SETFONT:
      t.font = reinterpret_cast<HFONT>(wParam);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(t.font);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(t, PointOf(lParam));
      return 0;
    case WM_MOUSEMOVE:
      Move(t, PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      Release(t);
      return 0;
    case WM_TIMER:
      if (wParam == kPageTimer && t.drag != TrackBar::Drag::None) {
        SetTimer(window, kPageTimer, kRepeat, nullptr);
        PageAgain(t);
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (t.drag != TrackBar::Drag::None && reinterpret_cast<HWND>(lParam) != window) Release(t);
      return 0;
    case WM_CANCELMODE:
      if (t.drag != TrackBar::Drag::None) Release(t);
      return 0;
    case WM_KEYDOWN:
      Key(t, static_cast<UINT>(wParam));
      return 0;
    case WM_KEYUP:
      if (t.keyScrolling) {
        t.keyScrolling = false;
        Notify(t, TB_ENDTRACK);
      }
      return 0;

    case TBM_GETPOS:
      return t.pos;
    case TBM_GETRANGEMIN:
      return t.min;
    case TBM_GETRANGEMAX:
      return t.max;
    case TBM_SETPOS:
      MoveThumb(t, static_cast<int>(lParam), redraw);
      return 0;
    case TBM_SETRANGE:
      SetRange(t, static_cast<SHORT>(LOWORD(lParam)), static_cast<SHORT>(HIWORD(lParam)), redraw);
      return 0;
    case TBM_SETRANGEMIN:
      SetRange(t, static_cast<int>(lParam), std::max(t.max, static_cast<int>(lParam)), redraw);
      return 0;
    case TBM_SETRANGEMAX:
      SetRange(t, std::min(t.min, static_cast<int>(lParam)), static_cast<int>(lParam), redraw);
      return 0;
    case TBM_SETTIC:
      if (lParam < t.min || lParam > t.max) return FALSE;
      AddTick(t, static_cast<int>(lParam));
      InvalidateRect(window, nullptr, FALSE);
      return TRUE;
    case TBM_CLEARTICS:
      t.ticks.clear();
      RedrawAll(t, redraw);
      return 0;
    case TBM_GETTIC:
      return TickAt(t, static_cast<int>(wParam));
    case TBM_GETNUMTICS:
      return TickCount(t);
    case TBM_GETPTICS:
      return t.ticks.empty() || (Style(t) & TBS_AUTOTICKS)
                 ? 0
                 : reinterpret_cast<LRESULT>(t.ticks.data());
    case TBM_GETTICPOS: {
      int tick = TickAt(t, static_cast<int>(wParam));
      if (tick < 0) return -1;
      return PixelOf(t, LayOutTrackBar(t), tick);
    }
    case TBM_SETTICFREQ:
      t.frequency = static_cast<int>(wParam);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case TBM_SETSEL:
      SetSelection(t, LOWORD(lParam), HIWORD(lParam), redraw);
      return 0;
    case TBM_SETSELSTART:
      SetSelection(t, static_cast<int>(lParam), t.selEnd, redraw);
      return 0;
    case TBM_SETSELEND:
      SetSelection(t, t.selStart, static_cast<int>(lParam), redraw);
      return 0;
    case TBM_GETSELSTART:
      return t.selStart;
    case TBM_GETSELEND:
      return t.selEnd;
    case TBM_CLEARSEL:
      t.selStart = t.selEnd = 0;
      t.hasSelection = false;
      RedrawAll(t, redraw);
      return 0;
    case TBM_SETPAGESIZE: {
      int old = t.pageSize;
      t.pageSize = static_cast<int>(lParam);
      t.pageSizeSet = true;
      return old;
    }
    case TBM_GETPAGESIZE:
      return t.pageSize;
    case TBM_SETLINESIZE: {
      int old = t.lineSize;
      t.lineSize = static_cast<int>(lParam);
      return old;
    }
    case TBM_GETLINESIZE:
      return t.lineSize;
    case TBM_GETTHUMBRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (out) *out = ThumbRect(t, LayOutTrackBar(t), t.pos);
      return 0;
    }
    case TBM_GETCHANNELRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (out) *out = LayOutTrackBar(t).channel;
      return 0;
    }
    case TBM_SETTHUMBLENGTH:
      t.thumbLength = static_cast<int>(wParam);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case TBM_GETTHUMBLENGTH:
      return LayOutTrackBar(t).thumbAcross;
    case WM_NCDESTROY:
      Detach(t);
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

LRESULT TrackBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<TrackBar> t = Attach<TrackBar>(window);
  if (!t) return DefWindowProcA(window, message, wParam, lParam);
  return Handle(*t, message, wParam, lParam);
}

}  // namespace platform::controls
