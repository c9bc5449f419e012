// "BUTTON": push buttons and default push buttons in the classic look. Other button types
// behave as push buttons.
#include "controls/classes.h"
#include "controls/common.h"

namespace platform::controls {
namespace {

struct Button : Control {
  static constexpr Kind kKind = Kind::Button;
  explicit Button(HWND window) : Control(kKind, window) {}
  bool pushed = false;  // drawn pressed (BST_PUSHED)
  bool focused = false;
  bool tracking = false;   // the left button went down on it and is still held
  bool spaceDown = false;  // Space went down while it had the focus
  WPARAM check = BST_UNCHECKED;
};

bool IsDefault(HWND window) { return (StyleOf(window) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

void SetPushed(Button& b, bool pushed) {
  if (b.pushed == pushed) return;
  b.pushed = pushed;
  InvalidateRect(b.window, nullptr, FALSE);
}

UINT TextFormat(DWORD style) {
  UINT format = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE | DT_VCENTER;
  switch (style & BS_CENTER) {
    case BS_LEFT:
      return format | DT_LEFT;
    case BS_RIGHT:
      return format | DT_RIGHT;
    default:
      return format | DT_CENTER;
  }
}

void Paint(Button& b, HDC dc) {
  HWND window = b.window;
  DWORD style = StyleOf(window);
  RECT outer = ClientRectOf(window);
  HGDIOBJ oldFont = SelectObject(dc, FontOrSystem(b.font));
  // Parents may want to know; a push button keeps the system colours whatever they answer.
  ControlColours(window, dc, WM_CTLCOLORBTN);
  RECT r = outer;
  bool isDefault = IsDefault(window);
  if (isDefault) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    InflateRect(&r, -1, -1);
  }
  int shift = 0;
  if (b.pushed) {
    FrameRect(dc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
    InflateRect(&r, -1, -1);
    FillSysColour(dc, r, COLOR_BTNFACE);
    shift = 1;
  } else {
    DrawEdge(dc, &r, EDGE_RAISED, BF_RECT | BF_SOFT | BF_MIDDLE | BF_ADJUST);
  }

  char text[1024];
  int length = GetWindowTextA(window, text, sizeof text);
  RECT area{r.left + 1 + shift, r.top + 1 + shift, r.right - 1 + shift, r.bottom - 1 + shift};
  UINT format = TextFormat(style);
  if ((style & BS_MULTILINE) && length > 0) {
    // Several lines are centred as a block.
    RECT measure = area;
    DrawTextA(dc, text, length, &measure, format | DT_CALCRECT);
    int offset = ((area.bottom - area.top) - (measure.bottom - measure.top)) / 2;
    if (offset > 0) area.top += offset;
  }
  if (length > 0) {
    if (IsWindowEnabled(window)) {
      int oldMode = SetBkMode(dc, TRANSPARENT);
      COLORREF oldColour = SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
      DrawTextA(dc, text, length, &area, format);
      SetTextColor(dc, oldColour);
      SetBkMode(dc, oldMode);
    } else {
      DrawDisabledText(dc, std::string(text, static_cast<std::size_t>(length)), area, format);
    }
  }
  if (b.focused) {
    RECT focus = outer;
    InflateRect(&focus, isDefault ? -4 : -3, isDefault ? -4 : -3);
    DrawFocusRect(dc, &focus);
  }
  SelectObject(dc, oldFont);
}

void Click(Button& b) { NotifyCommand(b.window, BN_CLICKED); }

void ReleaseButton(Button& b) {
  bool click = b.pushed;
  b.tracking = false;
  SetPushed(b, false);
  if (GetCapture() == b.window) ReleaseCapture();
  if (click && b.Alive()) Click(b);
}

LRESULT Handle(Button& b, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = b.window;
  switch (message) {
    case WM_PAINT: {
      if (wParam) {
        Paint(b, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        Paint(b, dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_GETDLGCODE:
      return DLGC_BUTTON | (IsDefault(window) ? DLGC_DEFPUSHBUTTON : DLGC_UNDEFPUSHBUTTON);
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
      if (GetFocus() != window) SetFocus(window);
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
      if (wParam == VK_SPACE && !b.tracking) {
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
      b.check = wParam & (BST_CHECKED | BST_INDETERMINATE);
      return 0;
    case BM_SETSTYLE: {
      DWORD style = (StyleOf(window) & 0xFFFF0000u) | (wParam & 0xFFFFu);
      SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(style));
      if (LOWORD(lParam)) InvalidateRect(window, nullptr, TRUE);
      return 0;
    }
    case BM_CLICK:
      if (!IsWindowEnabled(window)) return 0;
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
