// What every built-in control shares: its state, kept with the window record; the
// notifications it sends to its parent; its font; and the classic drawing pieces.
#pragma once
#include <memory>
#include <string>

#include "controls/host.h"
#include "platform/win32.h"
#include "private.h"

namespace platform::controls {

enum class Kind { Button, Static, Edit, ListBox, ComboBox, ScrollBar, TrackBar };

// The state of one control window. A window procedure holds a reference for the length of
// one message, so a handler that destroys the window (through a notification) never
// leaves the procedure with freed state; after a callback it checks `Alive()`.
struct Control : Extension {
  Control(Kind kind, HWND window) : kind(kind), window(window) {}
  bool Alive() const { return IsWindow(window) && !destroyed; }

  const Kind kind;
  const HWND window;
  bool destroyed = false;  // WM_NCDESTROY seen
  HFONT font = nullptr;    // null: the system font
};

// The control state of `window` when it is a control of kind T (the window may belong to
// any class: superclasses reach the procedures through CallWindowProcA).
template <class T>
std::shared_ptr<T> Find(HWND window) {
  std::shared_ptr<Extension>* slot = ControlSlot(window);
  if (!slot || !*slot) return nullptr;
  auto* control = static_cast<Control*>(slot->get());
  if (control->kind != T::kKind) return nullptr;
  return std::static_pointer_cast<T>(*slot);
}

// The state of `window`, made on its first message. Null when the window is gone or is
// already another kind of control.
template <class T>
std::shared_ptr<T> Attach(HWND window) {
  std::shared_ptr<Extension>* slot = ControlSlot(window);
  if (!slot) return nullptr;
  if (*slot) {
    auto* control = static_cast<Control*>(slot->get());
    if (control->kind != T::kKind) return nullptr;
    return std::static_pointer_cast<T>(*slot);
  }
  auto made = std::make_shared<T>(window);
  *slot = made;
  return made;
}

// Drops the state at WM_NCDESTROY (the message's holder keeps it alive until it returns).
void Detach(Control& control);

DWORD StyleOf(HWND window);
// The window that receives the control's notifications: the parent, or the owner of a pop-up.
HWND NotifyTarget(HWND window);
// WM_COMMAND with the control id (read now, as a superclass may change it) and `code`.
void NotifyCommand(HWND window, WORD code);

// Asks the parent for the colours and brush of a WM_CTLCOLOR* request; the default when
// the parent answers nothing usable.
HBRUSH ControlColours(HWND window, HDC dc, UINT message);

HFONT FontOrSystem(HFONT font);
struct FontMetrics {
  int height = 16;       // tmHeight
  int averageWidth = 7;  // tmAveCharWidth
  int externalLeading = 0;
};
FontMetrics MetricsOf(HFONT font);
int TextWidth(HDC dc, const std::string& text);

// Drawing pieces of the classic look.
void FillSolid(HDC dc, const RECT& r, COLORREF colour);
void FillSysColour(HDC dc, const RECT& r, int index);
// The 50% checker of two colours that fills a scroll bar's track.
void FillChecker(HDC dc, const RECT& r, COLORREF even, COLORREF odd);
enum class Arrow { Up, Down, Left, Right };
// A solid arrow head centred in `r`, sized to it as the classic scroll arrows are.
void DrawArrowGlyph(HDC dc, const RECT& r, Arrow direction, COLORREF colour);
// Text drawn disabled: grey, with a highlight copy one pixel down and right beneath it.
void DrawDisabledText(HDC dc, const std::string& text, RECT r, UINT format);

inline RECT ClientRectOf(HWND window) {
  RECT r{0, 0, 0, 0};
  GetClientRect(window, &r);
  return r;
}
inline bool Inside(const RECT& r, POINT p) {
  return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom;
}
inline POINT PointOf(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }
inline bool KeyIsDown(int virtualKey) { return (GetKeyState(virtualKey) & 0x8000) != 0; }

}  // namespace platform::controls
