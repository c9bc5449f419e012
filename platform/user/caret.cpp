// The caret: one per thread, in the window that made it. It is drawn by inverting its
// rectangle (or its bitmap) in the window's client area, blinks on a thread timer of the
// platform clock, and is taken off while its window paints.
#include "user/caret.h"

#include "platform/kernel.h"
#include "user/state.h"

namespace platform::user {
namespace {

struct Caret {
  HWND window = nullptr;
  HBITMAP bitmap = nullptr;  // (HBITMAP)1: grey
  int width = 0;
  int height = 0;
  POINT position{0, 0};
  int hidden = 1;   // a new caret is hidden until ShowCaret
  bool on = false;  // drawn now
  int paintHidden = 0;
  UINT_PTR timer = 0;
};

Caret caret;
UINT blinkTime = 530;

void Invert() {
  HDC dc = GetDC(caret.window);
  if (!dc) return;
  int x = caret.position.x, y = caret.position.y;
  if (caret.bitmap && caret.bitmap != reinterpret_cast<HBITMAP>(1)) {
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, caret.bitmap);
    BitBlt(dc, x, y, caret.width, caret.height, source, 0, 0, SRCINVERT);
    SelectObject(source, old);
    DeleteDC(source);
  } else if (caret.bitmap) {
    HGDIOBJ old = SelectObject(dc, GetStockObject(GRAY_BRUSH));
    PatBlt(dc, x, y, caret.width, caret.height, PATINVERT);
    SelectObject(dc, old);
  } else {
    PatBlt(dc, x, y, caret.width, caret.height, DSTINVERT);
  }
  ReleaseDC(caret.window, dc);
}

// A caret whose window has gone is forgotten.
bool Live() {
  if (caret.window && !LookupQuiet(caret.window)) {
    if (caret.timer) KillTimer(nullptr, caret.timer);
    caret = Caret{};
  }
  return caret.window != nullptr;
}

void Draw(bool on) {
  if (caret.on == on) return;
  Invert();
  caret.on = on;
}

bool Showing() { return caret.hidden == 0 && caret.paintHidden == 0; }

void Blink(HWND, UINT, UINT_PTR, DWORD) {
  if (!Live()) return;
  if (Showing()) Draw(!caret.on);
}

// Each change shows the caret at once and blinks from there.
void RestartBlinking() {
  if (caret.timer) KillTimer(nullptr, caret.timer);
  caret.timer = SetTimer(nullptr, 0, blinkTime, Blink);
}

bool OwnedByCaller(HWND window) {
  if (!Live()) return false;
  return !window || window == caret.window;
}

}  // namespace

void HideCaretForPaint(HWND window) {
  if (!Live() || window != caret.window) return;
  Draw(false);
  ++caret.paintHidden;
}

void ShowCaretAfterPaint(HWND window) {
  if (!Live() || window != caret.window || caret.paintHidden == 0) return;
  if (--caret.paintHidden == 0 && caret.hidden == 0) Draw(true);
}

void OffsetCaret(HWND window, const RECT& area, int dx, int dy) {
  if (!Live() || window != caret.window || !Contains(area, caret.position)) return;
  caret.position.x += dx;
  caret.position.y += dy;
}

}  // namespace platform::user

using namespace platform::user;

BOOL CreateCaret(HWND window, HBITMAP bitmap, int width, int height) {
  Window* w = Lookup(window);
  if (!w) return FALSE;
  if (w->threadId != CurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  DestroyCaret();
  caret.window = window;
  caret.bitmap = bitmap;
  if (bitmap && bitmap != reinterpret_cast<HBITMAP>(1)) {
    BITMAP info{};
    if (!GetObjectA(bitmap, sizeof info, &info)) {
      caret = Caret{};
      SetLastError(ERROR_INVALID_HANDLE);
      return FALSE;
    }
    width = info.bmWidth;
    height = info.bmHeight;
  }
  caret.width = width > 0 ? width : GetSystemMetrics(SM_CXBORDER);
  caret.height = height > 0 ? height : GetSystemMetrics(SM_CYBORDER);
  RestartBlinking();
  return TRUE;
}

BOOL DestroyCaret() {
  if (!Live()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  Draw(false);
  if (caret.timer) KillTimer(nullptr, caret.timer);
  caret = Caret{};
  return TRUE;
}

BOOL ShowCaret(HWND window) {
  if (!OwnedByCaller(window)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (caret.hidden > 0 && --caret.hidden == 0 && Showing()) {
    Draw(true);
    RestartBlinking();
  }
  return TRUE;
}

BOOL HideCaret(HWND window) {
  if (!OwnedByCaller(window)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  Draw(false);
  ++caret.hidden;
  return TRUE;
}

BOOL SetCaretPos(int x, int y) {
  if (!Live()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  if (caret.position.x == x && caret.position.y == y) return TRUE;
  bool wasOn = caret.on;
  Draw(false);
  caret.position = POINT{x, y};
  if (Showing() && (wasOn || caret.hidden == 0)) {
    Draw(true);
    RestartBlinking();
  }
  return TRUE;
}

BOOL GetCaretPos(LPPOINT point) {
  if (!point) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (!Live()) {
    *point = POINT{0, 0};
    SetLastError(ERROR_ACCESS_DENIED);
    return FALSE;
  }
  *point = caret.position;
  return TRUE;
}

BOOL SetCaretBlinkTime(UINT milliseconds) {
  if (milliseconds == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  blinkTime = milliseconds;
  if (Live()) RestartBlinking();
  return TRUE;
}

UINT GetCaretBlinkTime() { return blinkTime; }
