// The framework's message model: the message record (classes/rtti.h), the control
// messages from FM_BASE, the reflected notifications from FN_BASE and the shapes of the
// records some of them carry. Every number stays below 0xC000, so it is routed to the
// handler tables (RouteMessage).
#pragma once
#include "classes/rtti.h"
#include "platform/win32.h"

class TControl;
class TDragObject;

inline constexpr UINT FM_BASE = 0xB000;
inline constexpr UINT FN_BASE = 0xBC00;

// Control messages. wParam and lParam are 0 unless the comment says otherwise.
inline constexpr UINT FM_ACTIVATE = FM_BASE + 0x00;       // the form becomes the active form
inline constexpr UINT FM_DEACTIVATE = FM_BASE + 0x01;     // the form stops being active
inline constexpr UINT FM_CANCEL_MODE = FM_BASE + 0x04;    // lParam: the control pressed, or null
inline constexpr UINT FM_DIALOG_KEY = FM_BASE + 0x05;     // wParam key, lParam key data
inline constexpr UINT FM_DIALOG_CHAR = FM_BASE + 0x06;    // wParam character, lParam key data
inline constexpr UINT FM_FOCUS_CHANGED = FM_BASE + 0x07;  // lParam: the control now focused
inline constexpr UINT FM_PARENT_FONT_CHANGED = FM_BASE + 0x08;
inline constexpr UINT FM_PARENT_COLOR_CHANGED = FM_BASE + 0x09;
inline constexpr UINT FM_HIT_TEST = FM_BASE + 0x0A;  // lParam: client point (two 16-bit halves)
inline constexpr UINT FM_VISIBLE_CHANGED = FM_BASE + 0x0B;
inline constexpr UINT FM_ENABLED_CHANGED = FM_BASE + 0x0C;
inline constexpr UINT FM_COLOR_CHANGED = FM_BASE + 0x0D;
inline constexpr UINT FM_FONT_CHANGED = FM_BASE + 0x0E;
inline constexpr UINT FM_CURSOR_CHANGED = FM_BASE + 0x0F;
inline constexpr UINT FM_CTL3D_CHANGED = FM_BASE + 0x10;
inline constexpr UINT FM_PARENT_CTL3D_CHANGED = FM_BASE + 0x11;
inline constexpr UINT FM_TEXT_CHANGED = FM_BASE + 0x12;
inline constexpr UINT FM_MOUSE_ENTER = FM_BASE + 0x13;  // lParam: the control
inline constexpr UINT FM_MOUSE_LEAVE = FM_BASE + 0x14;  // lParam: the control
inline constexpr UINT FM_MENU_CHANGED = FM_BASE + 0x15;
inline constexpr UINT FM_APP_KEY_DOWN = FM_BASE + 0x16;     // wParam key, lParam key data
inline constexpr UINT FM_APP_SYS_COMMAND = FM_BASE + 0x17;  // lParam: the TMessage*
inline constexpr UINT FM_BUTTON_PRESSED = FM_BASE + 0x18;   // wParam group, lParam button
inline constexpr UINT FM_SHOWING_CHANGED = FM_BASE + 0x19;
inline constexpr UINT FM_ENTER = FM_BASE + 0x1A;
inline constexpr UINT FM_EXIT = FM_BASE + 0x1B;
inline constexpr UINT FM_DESIGN_HIT_TEST = FM_BASE + 0x1C;  // result 0: no designer here
inline constexpr UINT FM_ICON_CHANGED = FM_BASE + 0x1D;
inline constexpr UINT FM_WANT_SPECIAL_KEY = FM_BASE + 0x1E;  // wParam key; nonzero = wanted
inline constexpr UINT FM_RELEASE = FM_BASE + 0x21;
inline constexpr UINT FM_SHOW_HINT_CHANGED = FM_BASE + 0x22;
inline constexpr UINT FM_PARENT_SHOW_HINT_CHANGED = FM_BASE + 0x23;
inline constexpr UINT FM_SYS_COLOR_CHANGE = FM_BASE + 0x24;
inline constexpr UINT FM_WIN_INI_CHANGE = FM_BASE + 0x25;
inline constexpr UINT FM_SYS_FONT_CHANGE = FM_BASE + 0x26;
inline constexpr UINT FM_TIME_CHANGE = FM_BASE + 0x27;
inline constexpr UINT FM_TAB_STOP_CHANGED = FM_BASE + 0x28;
inline constexpr UINT FM_CONTROL_CHANGE = FM_BASE + 0x2C;  // wParam child, lParam 1 in / 0 out
inline constexpr UINT FM_CHILD_KEY = FM_BASE + 0x2E;       // wParam key, lParam the child
inline constexpr UINT FM_DRAG = FM_BASE + 0x2F;            // wParam TDragMessage, lParam TDragRec*
inline constexpr UINT FM_RECREATE_WINDOW = FM_BASE + 0x33;
inline constexpr UINT FM_INVALIDATE = FM_BASE + 0x34;  // wParam 0 repaint, 1 pass the notice up

// Reflected notifications: FN_BASE + the platform message a parent received for a child.
inline constexpr UINT FN_KEYDOWN = FN_BASE + WM_KEYDOWN;
inline constexpr UINT FN_KEYUP = FN_BASE + WM_KEYUP;
inline constexpr UINT FN_CHAR = FN_BASE + WM_CHAR;
inline constexpr UINT FN_SYSKEYDOWN = FN_BASE + WM_SYSKEYDOWN;
inline constexpr UINT FN_SYSKEYUP = FN_BASE + WM_SYSKEYUP;
inline constexpr UINT FN_SYSCHAR = FN_BASE + WM_SYSCHAR;
inline constexpr UINT FN_COMMAND = FN_BASE + WM_COMMAND;
inline constexpr UINT FN_NOTIFY = FN_BASE + WM_NOTIFY;
inline constexpr UINT FN_HSCROLL = FN_BASE + WM_HSCROLL;
inline constexpr UINT FN_VSCROLL = FN_BASE + WM_VSCROLL;
inline constexpr UINT FN_DRAWITEM = FN_BASE + WM_DRAWITEM;
inline constexpr UINT FN_MEASUREITEM = FN_BASE + WM_MEASUREITEM;
inline constexpr UINT FN_COMPAREITEM = FN_BASE + WM_COMPAREITEM;
inline constexpr UINT FN_DELETEITEM = FN_BASE + WM_DELETEITEM;
inline constexpr UINT FN_CHARTOITEM = FN_BASE + WM_CHARTOITEM;
inline constexpr UINT FN_VKEYTOITEM = FN_BASE + WM_VKEYTOITEM;
inline constexpr UINT FN_PARENTNOTIFY = FN_BASE + WM_PARENTNOTIFY;
inline constexpr UINT FN_CTLCOLORMSGBOX = FN_BASE + WM_CTLCOLORMSGBOX;
inline constexpr UINT FN_CTLCOLOREDIT = FN_BASE + WM_CTLCOLOREDIT;
inline constexpr UINT FN_CTLCOLORLISTBOX = FN_BASE + WM_CTLCOLORLISTBOX;
inline constexpr UINT FN_CTLCOLORBTN = FN_BASE + WM_CTLCOLORBTN;
inline constexpr UINT FN_CTLCOLORDLG = FN_BASE + WM_CTLCOLORDLG;
inline constexpr UINT FN_CTLCOLORSCROLLBAR = FN_BASE + WM_CTLCOLORSCROLLBAR;
inline constexpr UINT FN_CTLCOLORSTATIC = FN_BASE + WM_CTLCOLORSTATIC;

// Requests of FM_DRAG (wParam); lParam points at a TDragRec.
enum TDragMessage : WPARAM {
  dmDragEnter = 0,
  dmDragLeave = 1,
  dmDragMove = 2,
  dmDragDrop = 3,
  dmDragCancel = 4,
  dmFindTarget = 5
};

// The request record of FM_DRAG: the pointer in screen coordinates, the drag object and
// the target control. A find-target request answers with the control (as LRESULT).
struct TDragRec {
  POINT Pos;
  TDragObject* Source;
  TControl* Target;
};

// Mouse messages carry the point as two signed 16-bit halves of lParam (x low, y high)
// and the key flags (MK_...) in wParam.
inline POINT PointFromLParam(LPARAM lParam) {
  return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
}
inline LPARAM LParamFromPoint(int x, int y) {
  return MAKELPARAM(static_cast<WORD>(x), static_cast<WORD>(y));
}

// Builds a record with result 0.
inline TMessage MakeMessage(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) {
  return TMessage{msg, wParam, lParam, 0};
}
