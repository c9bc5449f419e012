// "BUTTON": push buttons, check boxes (two- and three-state), radio buttons and group
// boxes. The behaviour lives in button.cpp, the classic look in button_paint.cpp.
#pragma once
#include "controls/common.h"
#include "private.h"

namespace platform::controls {

struct Button : Control {
  static constexpr Kind kKind = Kind::Button;
  explicit Button(HWND window) : Control(kKind, window) {}
  bool pushed = false;  // drawn pressed (BST_PUSHED)
  bool focused = false;
  bool tracking = false;    // the left button went down on it and is still held
  bool spaceDown = false;   // Space went down while it had the focus
  bool mousePress = false;  // the focus is being taken by a press, not by the keyboard
  WPARAM check = BST_UNCHECKED;
};

// What a button style makes of the window.
enum class ButtonType { Push, CheckBox, Radio, GroupBox };
ButtonType TypeOfButton(DWORD style);

void PaintButton(Button& b, HDC dc);

}  // namespace platform::controls
