// "BUTTON": what the buttons do. A press and release over the button, or Space, clicks it;
// the automatic check boxes and radio buttons change their own check before telling the
// parent (BN_CLICKED), the others leave that to the parent. A radio button that gets the
// focus from the keyboard is clicked, so moving through a group with the arrows selects.
// A group box only frames its group: the mouse passes through it and it takes no keys.
#include "controls/button.h"

#include "controls/classes.h"

namespace platform::controls {

ButtonType TypeOfButton(DWORD style) {
  switch (style & BS_TYPEMASK) {
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_3STATE:
    case BS_AUTO3STATE:
      return ButtonType::CheckBox;
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return ButtonType::Radio;
    case BS_GROUPBOX:
      return ButtonType::GroupBox;
    default:
      return ButtonType::Push;
  }
}

namespace {

bool IsDefault(HWND window) { return (StyleOf(window) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }
ButtonType TypeOf(const Button& b) { return TypeOfButton(StyleOf(b.window)); }

void SetPushed(Button& b, bool pushed) {
  if (b.pushed == pushed) return;
  b.pushed = pushed;
  InvalidateRect(b.window, nullptr, FALSE);
}

// The check as the button's type can hold it: a two-state box and a radio button are
// checked or not; a push button keeps what it is given, as it never shows it.
WPARAM CheckFor(DWORD style, WPARAM value) {
  value &= BST_CHECKED | BST_INDETERMINATE;
  switch (style & BS_TYPEMASK) {
    case BS_3STATE:
    case BS_AUTO3STATE:
      return (value & BST_INDETERMINATE) ? BST_INDETERMINATE : value;
    case BS_CHECKBOX:
    case BS_AUTOCHECKBOX:
    case BS_RADIOBUTTON:
    case BS_AUTORADIOBUTTON:
      return value ? BST_CHECKED : BST_UNCHECKED;
    default:
      return value;
  }
}

void SetCheck(Button& b, WPARAM value) {
  DWORD style = StyleOf(b.window);
  ButtonType type = TypeOfButton(style);
  if (type == ButtonType::GroupBox) return;
  value = CheckFor(style, value);
  if (value == b.check) return;
  b.check = value;
  if (type == ButtonType::Radio) {
    // The checked button of a group is the one Tab lands on.
    DWORD tabStop = value ? style | WS_TABSTOP : style & ~static_cast<DWORD>(WS_TABSTOP);
    if (tabStop != style) SetWindowLongA(b.window, GWL_STYLE, static_cast<LONG>(tabStop));
  }
  if (type != ButtonType::Push) InvalidateRect(b.window, nullptr, FALSE);
}

bool StartsGroup(HWND w) { return StyleOf(w) & WS_GROUP; }

// Unchecks the other automatic radio buttons of the group: the siblings from the last one
// with WS_GROUP up to this button to the one before the next WS_GROUP.
void UncheckGroup(Button& b) {
  auto uncheck = [&](HWND sibling) {
    std::shared_ptr<Button> other = Find<Button>(sibling);
    if (other && (StyleOf(sibling) & BS_TYPEMASK) == BS_AUTORADIOBUTTON) SetCheck(*other, 0);
  };
  if (!StartsGroup(b.window)) {
    for (HWND w = GetWindow(b.window, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
      uncheck(w);
      if (StartsGroup(w)) break;
    }
  }
  for (HWND w = GetWindow(b.window, GW_HWNDNEXT); w && !StartsGroup(w);
       w = GetWindow(w, GW_HWNDNEXT))
    uncheck(w);
}

void Click(Button& b) {
  switch (StyleOf(b.window) & BS_TYPEMASK) {
    case BS_AUTOCHECKBOX:
      SetCheck(b, b.check == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED);
      break;
    case BS_AUTO3STATE:
      SetCheck(b, b.check == BST_UNCHECKED ? BST_CHECKED
                  : b.check == BST_CHECKED ? BST_INDETERMINATE
                                           : BST_UNCHECKED);
      break;
    case BS_AUTORADIOBUTTON:
      SetCheck(b, BST_CHECKED);
      UncheckGroup(b);
      break;
    default:
      break;
  }
  NotifyCommand(b.window, BN_CLICKED);
}

void ReleaseButton(Button& b) {
  bool click = b.pushed;
  b.tracking = false;
  SetPushed(b, false);
  if (GetCapture() == b.window) ReleaseCapture();
  if (click && b.Alive()) Click(b);
}

LRESULT DialogCode(const Button& b) {
  switch (TypeOf(b)) {
    case ButtonType::Push:
      return DLGC_BUTTON | (IsDefault(b.window) ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
    case ButtonType::CheckBox:
      return DLGC_BUTTON;
    case ButtonType::Radio:
      return DLGC_BUTTON | DLGC_RADIOBUTTON;
    case ButtonType::GroupBox:
      return DLGC_STATIC;
  }
  return DLGC_BUTTON;
}

LRESULT Handle(Button& b, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = b.window;
  bool group = TypeOf(b) == ButtonType::GroupBox;
  switch (message) {
    case WM_PAINT: {
      if (wParam) {
        PaintButton(b, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        PaintButton(b, dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCHITTEST:
      if (group) return HTTRANSPARENT;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_GETDLGCODE:
      return DialogCode(b);
    case WM_SETFONT:
      b.font = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(b.font);
    case WM_SETTEXT: {
      LRESULT result = DefWindowProcA(window, message, wParam, lParam);
      InvalidateRect(window, nullptr, TRUE);
      return result;
    }
    case WM_ENABLE:
      if (!wParam && (b.tracking || b.spaceDown)) {
        b.spaceDown = false;
        b.tracking = false;
        SetPushed(b, false);
        if (GetCapture() == window) ReleaseCapture();
      }
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SYSCOLORCHANGE:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SETFOCUS:
      b.focused = true;
      InvalidateRect(window, nullptr, FALSE);
      if (StyleOf(window) & BS_NOTIFY) NotifyCommand(window, BN_SETFOCUS);
      if (b.Alive() && TypeOf(b) == ButtonType::Radio && !b.mousePress && b.check == BST_UNCHECKED)
        Click(b);
      return 0;
    case WM_KILLFOCUS:
      b.focused = false;
      if (b.spaceDown) {
        b.spaceDown = false;
        SetPushed(b, false);
      }
      if (b.tracking && GetCapture() == window) ReleaseCapture();
      InvalidateRect(window, nullptr, FALSE);
      if (StyleOf(window) & BS_NOTIFY) NotifyCommand(window, BN_KILLFOCUS);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      if (group) return 0;
      if (GetFocus() != window) {
        b.mousePress = true;
        SetFocus(window);
        b.mousePress = false;
      }
      if (!b.Alive()) return 0;
      SetCapture(window);
      b.tracking = true;
      SetPushed(b, true);
      return 0;
    case WM_MOUSEMOVE:
      if (b.tracking) SetPushed(b, Inside(ClientRectOf(window), PointOf(lParam)));
      return 0;
    case WM_LBUTTONUP:
      if (b.tracking) ReleaseButton(b);
      return 0;
    case WM_CAPTURECHANGED:
      if (b.tracking && reinterpret_cast<HWND>(lParam) != window) {
        b.tracking = false;
        SetPushed(b, false);
      }
      return 0;
    case WM_CANCELMODE:
      if (b.tracking && GetCapture() == window) ReleaseCapture();
      return 0;
    case WM_KEYDOWN:
      if (wParam == VK_SPACE && !b.tracking && !group) {
        b.spaceDown = true;
        SetPushed(b, true);
        return 0;
      }
      if (wParam == VK_RETURN && IsDefault(window)) {
        Click(b);
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_KEYUP:
      if (wParam == VK_SPACE && b.spaceDown) {
        b.spaceDown = false;
        ReleaseButton(b);
        return 0;
      }
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
      if (wParam == ' ' || wParam == '\r') return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    case BM_GETSTATE:
      return static_cast<LRESULT>(b.check | (b.pushed ? BST_PUSHED : 0) |
                                  (b.focused ? BST_FOCUS : 0));
    case BM_SETSTATE:
      SetPushed(b, wParam != 0);
      return 0;
    case BM_GETCHECK:
      return static_cast<LRESULT>(b.check);
    case BM_SETCHECK:
      SetCheck(b, wParam);
      return 0;
    case BM_SETSTYLE: {
      DWORD style = (StyleOf(window) & 0xFFFF0000u) | (wParam & 0xFFFFu);
      SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
      b.check = CheckFor(style, b.check);
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case BM_CLICK:
      if (!IsWindowEnabled(window) || group) return 0;
      // As a real press and release, so that focus and capture behave as for the mouse.
      SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, 0);
      if (!b.Alive()) return 0;
      b.pushed = true;  // even a button of no size is clicked
      SendMessageA(window, WM_LBUTTONUP, 0, 0);
      return 0;
    case WM_NCDESTROY:
      Detach(b);
      return DefWindowProcA(window, message, wParam, lParam);
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

LRESULT ButtonProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<Button> b = Attach<Button>(window);
  if (!b) return DefWindowProcA(window, message, wParam, lParam);
  return Handle(*b, message, wParam, lParam);
}

}  // namespace platform::controls
