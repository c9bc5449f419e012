// Shared state of forms/ between its implementation files; not for other layers.
#pragma once
#include "forms/forward.h"
#include "platform/win32.h"

namespace forms_detail {

// Drops every program-wide reference to a dying control: capture, drag, focus, the
// screen's active control and form.
void ForgetCaptureControl(TControl* control);
void ForgetDragControl(TControl* control);
void ForgetScreenControl(TControl* control);
// Removes the two control properties from a window being destroyed.
void RemoveControlProperties(HWND window);

}  // namespace forms_detail

// All of the above, run first by a dying control.
void ForgetControl(TControl* control);
