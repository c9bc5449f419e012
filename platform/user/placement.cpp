// Window placement: the normal rectangle a minimised or maximised window returns to, and how
// the window shows.
#include "platform/kernel.h"
#include "user/state.h"

using namespace platform::user;

BOOL GetWindowPlacement(HWND window, WINDOWPLACEMENT* placement) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (!placement) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  bool minimized = w->style & WS_MINIMIZE, maximized = w->style & WS_MAXIMIZE;
  placement->length = sizeof(WINDOWPLACEMENT);
  placement->flags = 0;
  placement->showCmd = minimized ? SW_SHOWMINIMIZED : maximized ? SW_SHOWMAXIMIZED : SW_SHOWNORMAL;
  placement->ptMinPosition = minimized ? POINT{w->rect.left, w->rect.top} : POINT{-1, -1};
  placement->ptMaxPosition = maximized ? POINT{w->rect.left, w->rect.top} : POINT{-1, -1};
  placement->rcNormalPosition = (minimized || maximized) ? w->restore : w->rect;
  return TRUE;
}

BOOL SetWindowPlacement(HWND window, const WINDOWPLACEMENT* placement) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (!placement || placement->length != sizeof(WINDOWPLACEMENT)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const RECT& r = placement->rcNormalPosition;
  if (w->style & (WS_MINIMIZE | WS_MAXIMIZE)) {
    w->restore = r;
  } else {
    SetWindowPos(window, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (!IsWindow(window)) return FALSE;
  ShowWindow(window, static_cast<int>(placement->showCmd));
  return TRUE;
}
