// The caret's part in painting: BeginPaint takes it off its window, EndPaint puts it back.
#pragma once
#include "platform/win32.h"
#include "private.h"

namespace platform::user {

void HideCaretForPaint(HWND window);
void ShowCaretAfterPaint(HWND window);

}  // namespace platform::user
