// The scroll bars a window has for WS_VSCROLL and WS_HSCROLL, as the window manager's
// non-client code reaches them: painted with the frame, tracked from a press on them.
#pragma once
#include "platform/win32.h"
#include "private.h"

namespace platform::controls {

// Paints the window's visible scroll bars (and the size box between them) on a DC of the
// whole window.
void PaintWindowScrollBars(HWND window, HDC windowDC);
// Follows a press on a window scroll bar (`bar` SB_VERT or SB_HORZ, the press at a screen
// point) until the button goes up, sending WM_VSCROLL / WM_HSCROLL to the window.
void TrackWindowScrollBar(HWND window, int bar, POINT screen);

}  // namespace platform::controls
