// Presses on the frame and the modal loops that follow them: moving and sizing by mouse
// or by the arrow keys, and the caption buttons, which act on release.
#include <algorithm>

#include "platform/kernel.h"
#include "user/menus.h"
#include "user/nonclient.h"

namespace platform::user {
namespace {

enum class Ending { Released, Cancelled, Lost };

// What a modal loop does with a message it takes.
enum class Step { Handled, Dispatch, Done, Cancel };

// A modal loop with the mouse captured by `h`: `step` sees every message and says what
// becomes of it. The loop ends when it says Done or Cancel, or when the capture moves
// elsewhere (Lost); a WM_QUIT ends it too and is posted again afterwards.
template <class StepFn>
Ending CaptureLoop(HWND h, StepFn step) {
  BeginModalLoop();
  SetCapture(h);
  Ending ending = Ending::Lost;
  bool quit = false;
  int quitCode = 0;
  MSG msg;
  while (GetCapture() == h) {
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got <= 0) {
      quit = got == 0;
      quitCode = static_cast<int>(msg.wParam);
      break;
    }
    Step next = step(msg);
    if (next == Step::Dispatch) {
      TranslateMessage(&msg);
      DispatchMessageA(&msg);
    } else if (next != Step::Handled) {
      ending = next == Step::Done ? Ending::Released : Ending::Cancelled;
      break;
    }
  }
  if (GetCapture() == h) ReleaseCapture();
  if (quit) PostQuitMessage(quitCode);
  return ending;
}

// Mouse input goes to `h` until the left button is released, Esc is pressed or the
// capture moves elsewhere; `track` sees every position (screen points) and the release.
template <class Track>
Ending TrackMouse(HWND h, Track track) {
  return CaptureLoop(h, [h, &track](const MSG& msg) {
    if (msg.hwnd == h && (msg.message == WM_MOUSEMOVE || msg.message == WM_LBUTTONUP)) {
      bool released = msg.message == WM_LBUTTONUP;
      track(msg.pt, released);
      return released ? Step::Done : Step::Handled;
    }
    if (msg.message == WM_KEYDOWN && msg.wParam == VK_ESCAPE) return Step::Cancel;
    return Step::Dispatch;
  });
}

RECT ClampToTrackSize(Window* w, RECT r, const RECT& start) {
  MINMAXINFO info;
  GetMinMaxInfo(w, &info);
  int minX = info.ptMinTrackSize.x, minY = info.ptMinTrackSize.y;
  // The edge that moves gives way; the other one stays where it was.
  if (r.right - r.left < minX) {
    if (r.left != start.left)
      r.left = r.right - minX;
    else
      r.right = r.left + minX;
  }
  if (r.bottom - r.top < minY) {
    if (r.top != start.top)
      r.top = r.bottom - minY;
    else
      r.bottom = r.top + minY;
  }
  return r;
}

// The rectangle after moving the edges `edge` (a WMSZ_ value; 0 moves the whole window).
RECT Moved(RECT r, int edge, int dx, int dy) {
  if (edge == 0) return Offset(r, dx, dy);
  if (edge == WMSZ_LEFT || edge == WMSZ_TOPLEFT || edge == WMSZ_BOTTOMLEFT) r.left += dx;
  if (edge == WMSZ_RIGHT || edge == WMSZ_TOPRIGHT || edge == WMSZ_BOTTOMRIGHT) r.right += dx;
  if (edge == WMSZ_TOP || edge == WMSZ_TOPLEFT || edge == WMSZ_TOPRIGHT) r.top += dy;
  if (edge == WMSZ_BOTTOM || edge == WMSZ_BOTTOMLEFT || edge == WMSZ_BOTTOMRIGHT) r.bottom += dy;
  return r;
}

void Place(HWND h, const RECT& r, bool sizing) {
  SetWindowPos(h, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
               SWP_NOZORDER | SWP_NOACTIVATE | (sizing ? 0 : SWP_NOSIZE));
}

void MoveSizeByMouse(HWND h, int edge, POINT start) {
  Window* w = LookupQuiet(h);
  RECT startRect = w->rect;
  bool sizing = edge != 0;
  SendMessageA(h, WM_ENTERSIZEMOVE, 0, 0);
  Ending ending = TrackMouse(h, [&](POINT p, bool) {
    Window* self = LookupQuiet(h);
    if (!self) return;
    RECT r = Moved(startRect, edge, p.x - start.x, p.y - start.y);
    if (sizing) r = ClampToTrackSize(self, r, startRect);
    Place(h, r, sizing);
  });
  if (ending == Ending::Cancelled && IsWindow(h)) Place(h, startRect, true);
  if (IsWindow(h)) SendMessageA(h, WM_EXITSIZEMOVE, 0, 0);
}

// From the system menu: the arrow keys move the window (or, for sizing, first pick an
// edge and then move it) by eight pixels; Enter or a click keeps the result, Esc undoes it.
void MoveSizeByKeys(HWND h, bool sizing) {
  constexpr int kStep = 8;
  Window* w = LookupQuiet(h);
  RECT startRect = w->rect, r = startRect;
  int edge = sizing ? -1 : 0;
  SendMessageA(h, WM_ENTERSIZEMOVE, 0, 0);
  Ending ending = CaptureLoop(h, [&](const MSG& msg) {
    if (msg.message == WM_LBUTTONDOWN || msg.message == WM_RBUTTONDOWN) return Step::Done;
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) {
      bool mouse = msg.message >= WM_MOUSEFIRST && msg.message <= WM_MOUSELAST;
      return mouse ? Step::Handled : Step::Dispatch;
    }
    UINT key = static_cast<UINT>(msg.wParam);
    if (key == VK_RETURN) return Step::Done;
    if (key == VK_ESCAPE) return Step::Cancel;
    int dx = key == VK_LEFT ? -kStep : key == VK_RIGHT ? kStep : 0;
    int dy = key == VK_UP ? -kStep : key == VK_DOWN ? kStep : 0;
    if (!dx && !dy) return Step::Handled;
    if (edge < 0) {
      edge = dx < 0 ? WMSZ_LEFT : dx > 0 ? WMSZ_RIGHT : dy < 0 ? WMSZ_TOP : WMSZ_BOTTOM;
      return Step::Handled;
    }
    Window* self = LookupQuiet(h);
    if (!self) return Step::Done;
    r = Moved(r, edge, dx, dy);
    if (sizing) r = ClampToTrackSize(self, r, startRect);
    Place(h, r, sizing);
    return Step::Handled;
  });
  if (ending == Ending::Cancelled && IsWindow(h)) Place(h, startRect, true);
  if (IsWindow(h)) SendMessageA(h, WM_EXITSIZEMOVE, 0, 0);
}

void CaptionButton(Window* w, int hit) {
  HWND h = w->handle;
  POINT last{0, 0};
  Ending ending = TrackMouse(h, [&last](POINT p, bool) { last = p; });
  Window* self = LookupQuiet(h);
  if (ending != Ending::Released || !self || HitTest(self, last) != hit) return;
  WPARAM command = hit == HTCLOSE                ? SC_CLOSE
                   : hit == HTMINBUTTON          ? SC_MINIMIZE
                   : (self->style & WS_MAXIMIZE) ? SC_RESTORE
                                                 : SC_MAXIMIZE;
  SendMessageA(h, WM_SYSCOMMAND, command,
               MAKELPARAM(static_cast<WORD>(last.x), static_cast<WORD>(last.y)));
}

}  // namespace

LRESULT NonClientButtonDown(Window* w, WPARAM hitValue, LPARAM screenPoint) {
  int hit = static_cast<int>(hitValue);
  HWND h = w->handle;
  switch (hit) {
    case HTCAPTION:
      SendMessageA(h, WM_SYSCOMMAND, SC_MOVE + HTCAPTION, screenPoint);
      return 0;
    case HTSYSMENU:
      if (w->style & WS_SYSMENU)
        SendMessageA(h, WM_SYSCOMMAND, SC_MOUSEMENU + HTSYSMENU, screenPoint);
      return 0;
    case HTMENU:
      SendMessageA(h, WM_SYSCOMMAND, SC_MOUSEMENU, screenPoint);
      return 0;
    case HTCLOSE:
    case HTMINBUTTON:
    case HTMAXBUTTON:
      CaptionButton(w, hit);
      return 0;
    default:
      if (hit >= HTLEFT && hit <= HTBOTTOMRIGHT && (w->style & WS_THICKFRAME))
        SendMessageA(h, WM_SYSCOMMAND, SC_SIZE + (hit - HTLEFT + WMSZ_LEFT), screenPoint);
      return 0;
  }
}

void MoveOrSize(Window* w, WPARAM command, LPARAM screenPoint) {
  bool sizing = (command & 0xFFF0) == SC_SIZE;
  if (w->style & WS_MAXIMIZE) return;
  if (sizing && (!(w->style & WS_THICKFRAME) || (w->style & WS_MINIMIZE))) return;
  int part = static_cast<int>(command & 0x000F);
  if (part == 0) {
    MoveSizeByKeys(w->handle, sizing);
    return;
  }
  POINT start{GET_X_LPARAM(screenPoint), GET_Y_LPARAM(screenPoint)};
  MoveSizeByMouse(w->handle, sizing ? part : 0, start);
}

}  // namespace platform::user
