// Feeding mouse and keyboard input into the window manager: the backends and the test
// harness call these with screen points and virtual keys; routing to windows happens when
// the queue hands the input out, as a real desktop does.
#pragma once
#include <string>
#include <string_view>

#include "backend/backend.h"
#include "platform/user.h"
#include "private.h"

namespace platform::user {

using MouseButton = backend::MouseButton;

void InjectMouseMove(POINT screen);
void InjectMouseButton(MouseButton button, bool down, POINT screen);
void InjectMouseWheel(int delta, POINT screen);
void InjectKey(UINT virtualKey, bool down);
// A key of the host keyboard, with the text its layout made (empty for none): TranslateMessage
// makes the characters from that text rather than from the US layout.
void InjectHostKey(UINT virtualKey, bool down, std::string_view text);
// A character that no key of the US layout makes: WM_CHAR straight to the focus window.
void InjectChar(unsigned char character);

// Counts the key and button presses routed so far (auto-repeats excluded): whoever
// remembers it on a key press can tell later whether anything was pressed since.
unsigned PressSerial();

// The US layout: the character a key makes with the given modifiers, 0 for none.
char KeyToChar(UINT virtualKey, bool shift, bool control, bool capsLock);
UINT ScanCodeOf(UINT virtualKey);
// For TranslateMessage: when `msg` is the key-down message taken last and came from a host
// keyboard, the text the host's layout made of it.
bool HostText(const MSG& msg, std::string* text);
bool IsExtendedKey(UINT virtualKey);

// The native desktop: a left press on `window` at `screen` that the host's window manager
// took (to move or size the window) still counts as the first click of a double click; and
// whether a left press there now would be the second.
void NoteHostPress(HWND window, POINT screen);
bool WouldDoubleClick(HWND window, POINT screen);

// Makes the window manager the receiver of the backend's host input.
void InstallHostInput();

}  // namespace platform::user
