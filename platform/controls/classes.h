// The window procedures of the built-in control classes.
#pragma once
#include "platform/win32.h"
#include "private.h"

namespace platform::controls {

// Registers the window classes of the built-in controls (at the window manager's start-up)
// and, on the first InitCommonControls, those of the common controls.
void RegisterBuiltInClasses();
void RegisterCommonControlClasses();

LRESULT ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT StaticProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT EditProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT TrackBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ScrollBarProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace platform::controls
