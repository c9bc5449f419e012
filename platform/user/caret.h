// The caret's part in painting: BeginPaint takes it off its window, EndPaint puts it back,
// and scrolling moves it with the pixels.
#pragma once
#include "platform/win32.h"
#include "private.h"

namespace platform::user {

void HideCaretForPaint(HWND window);
void ShowCaretAfterPaint(HWND window);
// Scrolling a window's pixels carries its caret along when it stands in the scrolled area
// (client coordinates); call it while the caret is taken off.
void OffsetCaret(HWND window, const RECT& area, int dx, int dy);

}  // namespace platform::user
