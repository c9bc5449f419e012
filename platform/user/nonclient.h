// The non-client area: hit testing, the classic frame and caption, the caption buttons
// and moving or sizing; the default background and control colours.
#pragma once
#include "private.h"
#include "user/state.h"

namespace platform::user {

LRESULT HitTest(Window* w, POINT screen);
void PaintNonClient(Window* w);
LRESULT EraseBackground(Window* w, HDC dc);
// A press on the frame: moving and sizing go through WM_SYSCOMMAND (SC_MOVE, SC_SIZE),
// the caption buttons act on release over the same button (movesize.cpp).
LRESULT NonClientButtonDown(Window* w, WPARAM hit, LPARAM screenPoint);
// SC_MOVE and SC_SIZE: by mouse when the command's low bits name the part pressed
// (HTCAPTION, WMSZ_), else by the arrow keys.
void MoveOrSize(Window* w, WPARAM command, LPARAM screenPoint);
LRESULT ControlColour(UINT message, HDC dc);
// Called when a modal loop (moving, sizing, menus, message boxes) takes over the mouse:
// the window holding the capture gets WM_CANCELMODE.
void BeginModalLoop();

}  // namespace platform::user
