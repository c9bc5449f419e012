// The non-client area: hit testing, the classic frame and caption, the caption buttons
// and moving or sizing by mouse; the default background and control colours.
#pragma once
#include "private.h"
#include "user/state.h"

namespace platform::user {

LRESULT HitTest(Window* w, POINT screen);
void PaintNonClient(Window* w);
LRESULT EraseBackground(Window* w, HDC dc);
LRESULT NonClientButtonDown(Window* w, WPARAM hit, LPARAM screenPoint);
LRESULT ControlColour(UINT message, HDC dc);
// Called when a modal loop (moving, sizing, menus, message boxes) takes over the mouse:
// the window holding the capture gets WM_CANCELMODE.
void BeginModalLoop();

}  // namespace platform::user
