// Message boxes: a modal dialog with an icon, the text and the buttons its flags name.
#pragma once
#include "platform/constants.h"
#include "platform/types.h"

// A modal box owned by `owner` (no owner: the active window); MB_TASKMODAL disables every
// window of the thread while it shows. Returns the id of the button chosen (IDOK ...), or
// 0 when the box could not be shown or the quit message ended it.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);
BOOL MessageBeep(UINT type);
