// DefWindowProcA: the default answers a window procedure leaves to the system.
#include <algorithm>
#include <cstring>

#include "controls/window_scrollbars.h"
#include "gdi/surface.h"
#include "platform/kernel.h"
#include "platform/messagebox.h"
#include "user/input.h"
#include "user/menus.h"
#include "user/nonclient.h"
#include "user/state.h"

namespace platform::user {
namespace {

POINT ScreenPoint(LPARAM lParam) { return POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}; }

// The class cursor in the client area, the sizing arrows on a sizing border, else the arrow.
LRESULT SetDefaultCursor(const Window* w, int hit) {
  LPCSTR shape = IDC_ARROW;
  switch (hit) {
    case HTCLIENT:
      if (w->windowClass->cursor) {
        SetCursor(w->windowClass->cursor);
        return TRUE;
      }
      return FALSE;
    case HTERROR:
    case HTTRANSPARENT:
      return FALSE;
    case HTLEFT:
    case HTRIGHT:
      shape = IDC_SIZEWE;
      break;
    case HTTOP:
    case HTBOTTOM:
      shape = IDC_SIZENS;
      break;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT:
      shape = IDC_SIZENWSE;
      break;
    case HTTOPRIGHT:
    case HTBOTTOMLEFT:
      shape = IDC_SIZENESW;
      break;
    default:
      break;
  }
  SetCursor(LoadCursorA(nullptr, shape));
  return TRUE;
}

LRESULT CalcSize(Window* w, LPARAM lParam) {
  // Both forms of the message start with the proposed window rectangle.
  auto* r = reinterpret_cast<RECT*>(lParam);
  if (!r) return 0;
  if (w->style & WS_MINIMIZE) {
    r->right = r->left;
    r->bottom = r->top;
    return 0;
  }
  RECT in = NonClientInsets(w->style, w->exStyle, false, true);
  int bar = HasMenuBar(w) ? MenuBarHeight(w, r->right - r->left) : 0;
  r->left += in.left;
  r->top += in.top + bar;
  r->right -= in.right;
  r->bottom -= in.bottom;
  r->right = std::max(r->right, r->left);
  r->bottom = std::max(r->bottom, r->top);
  return 0;
}

// A press on a window scroll bar becomes the system command that tracks it.
LRESULT ScrollBarPress(HWND window, WPARAM hit, LPARAM screenPoint) {
  WPARAM command = (hit == HTVSCROLL ? SC_VSCROLL : SC_HSCROLL) | hit;
  return SendMessageA(window, WM_SYSCOMMAND, command, screenPoint);
}

// The menu keys (Alt and F10) open the menu bar when they are released with no other key
// or button pressed since they went down.
struct MenuKey {
  WPARAM key = 0;
  unsigned serial = 0;
};
MenuKey menuKey;

LRESULT SysCommand(HWND window, Window* w, WPARAM command, LPARAM lParam) {
  switch (command & 0xFFF0) {
    case SC_VSCROLL:
    case SC_HSCROLL:
      controls::TrackWindowScrollBar(window, (command & 0xFFF0) == SC_VSCROLL ? SB_VERT : SB_HORZ,
                                     POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    case SC_CLOSE:
      if (w->windowClass->style & CS_NOCLOSE) return 0;
      return SendMessageA(window, WM_CLOSE, 0, 0);
    case SC_MINIMIZE:
      ShowWindow(window, SW_MINIMIZE);
      return 0;
    case SC_MAXIMIZE:
      ShowWindow(window, SW_MAXIMIZE);
      return 0;
    case SC_RESTORE:
      ShowWindow(window, SW_RESTORE);
      return 0;
    case SC_MOVE:
    case SC_SIZE:
      MoveOrSize(w, command, lParam);
      return 0;
    case SC_MOUSEMENU:
    case SC_KEYMENU:
      // Menus belong to the top-level window; a child hands the command up to it.
      if (w->IsChild()) {
        if (Window* top = TopLevelOf(w); top && top != w)
          return SendMessageA(top->handle, WM_SYSCOMMAND, command, lParam);
        return 0;
      }
      if ((command & 0xFFF0) == SC_KEYMENU)
        TrackMenuBarByKey(window, static_cast<char>(lParam));
      else if ((command & 0x000F) == HTSYSMENU)
        TrackSystemMenu(window, ScreenPoint(lParam), false);
      else
        TrackMenuBarByMouse(window, ScreenPoint(lParam));
      return 0;
    default:
      return 0;
  }
}

LRESULT KeyDefaults(HWND window, Window* w, UINT message, WPARAM wParam, LPARAM lParam) {
  bool altHeld = (lParam & (1L << 29)) != 0;
  switch (message) {
    case WM_SYSKEYDOWN:
      if (wParam == VK_F4 && altHeld) {
        // Alt+F4 closes the top-level window.
        PostMessageA(TopLevelOf(w)->handle, WM_SYSCOMMAND, SC_CLOSE, 0);
      } else if ((wParam == VK_MENU || wParam == VK_F10) && !(lParam & (1L << 30))) {
        menuKey = MenuKey{wParam, PressSerial()};
        return 0;
      }
      menuKey = MenuKey{};
      return 0;
    case WM_KEYUP:
    case WM_SYSKEYUP: {
      MenuKey pressed = menuKey;
      menuKey = MenuKey{};
      if (pressed.key && pressed.key == wParam && pressed.serial == PressSerial())
        SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, 0);
      return 0;
    }
    case WM_SYSCHAR:
      if (altHeld && wParam && wParam != VK_TAB && wParam != VK_ESCAPE)
        SendMessageA(window, WM_SYSCOMMAND, SC_KEYMENU, static_cast<LPARAM>(wParam));
      else if (!altHeld && wParam != VK_ESCAPE)
        MessageBeep(0);
      return 0;
    default:
      return 0;
  }
}

}  // namespace
}  // namespace platform::user

using namespace platform::user;

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Window* w = LookupQuiet(window);
  if (!w) return 0;
  switch (message) {
    case WM_NCCREATE: {
      auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
      if (create && create->lpszName && !IS_INTRESOURCE(create->lpszName))
        w->text = create->lpszName;
      return TRUE;
    }
    case WM_NCCALCSIZE:
      return CalcSize(w, lParam);
    case WM_NCHITTEST:
      return HitTest(w, ScreenPoint(lParam));
    case WM_NCACTIVATE:
      // The caption changes colour now, not at the next paint.
      if (ReallyVisible(w) && w->HasNonClientArea()) SendMessageA(window, WM_NCPAINT, 1, 0);
      return TRUE;
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE && !(w->style & WS_MINIMIZE)) SetFocus(window);
      return 0;
    case WM_MOUSEACTIVATE:
      if (w->IsChild() && w->parent) {
        LRESULT answer = SendMessageA(w->parent->handle, WM_MOUSEACTIVATE, wParam, lParam);
        if (answer) return answer;
      }
      return MA_ACTIVATE;
    case WM_SETCURSOR:
      if (w->IsChild() && w->parent) {
        if (SendMessageA(w->parent->handle, WM_SETCURSOR, wParam, lParam)) return TRUE;
        if (!(w = LookupQuiet(window))) return FALSE;
      }
      return SetDefaultCursor(w, static_cast<SHORT>(LOWORD(lParam)));
    case WM_MOUSEWHEEL:
    case WM_CONTEXTMENU:
      if (w->IsChild() && w->parent)
        return SendMessageA(w->parent->handle, message, wParam, lParam);
      // A right click on the caption opens the system menu there.
      if (message == WM_CONTEXTMENU && lParam != -1 && (w->style & WS_SYSMENU)) {
        LRESULT hit = HitTest(w, ScreenPoint(lParam));
        if (hit == HTCAPTION || hit == HTSYSMENU)
          TrackSystemMenu(window, ScreenPoint(lParam), false);
      }
      return 0;
    case WM_RBUTTONUP: {
      POINT p{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      ClientToScreen(window, &p);
      SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                   MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y)));
      return 0;
    }
    case WM_NCRBUTTONUP:
      SendMessageA(window, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window), lParam);
      return 0;
    case WM_SETTEXT:
      w->text = lParam ? reinterpret_cast<const char*>(lParam) : "";
      if ((w->style & WS_CAPTION) == WS_CAPTION && ReallyVisible(w))
        SendMessageA(window, WM_NCPAINT, 1, 0);
      return TRUE;
    case WM_GETTEXT: {
      auto* buffer = reinterpret_cast<char*>(lParam);
      if (!buffer || wParam == 0) return 0;
      std::size_t count = std::min<std::size_t>(w->text.size(), wParam - 1);
      std::memcpy(buffer, w->text.data(), count);
      buffer[count] = '\0';
      return static_cast<LRESULT>(count);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(w->text.size());
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT paint;
      if (BeginPaint(window, &paint)) EndPaint(window, &paint);
      return 0;
    }
    case WM_ERASEBKGND:
      return EraseBackground(w, reinterpret_cast<HDC>(wParam));
    case WM_NCPAINT:
      PaintNonClient(w);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!pos) return 0;
      if (!(pos->flags & SWP_NOCLIENTMOVE)) {
        POINT origin{w->rect.left + w->client.left, w->rect.top + w->client.top};
        SendMessageA(window, WM_MOVE, 0,
                     MAKELPARAM(static_cast<WORD>(origin.x), static_cast<WORD>(origin.y)));
        if (!(w = LookupQuiet(window))) return 0;
      }
      if (!(pos->flags & SWP_NOCLIENTSIZE)) {
        WPARAM kind = (w->style & WS_MINIMIZE)   ? SIZE_MINIMIZED
                      : (w->style & WS_MAXIMIZE) ? SIZE_MAXIMIZED
                                                 : SIZE_RESTORED;
        int cx = w->client.right - w->client.left, cy = w->client.bottom - w->client.top;
        SendMessageA(window, WM_SIZE, kind,
                     MAKELPARAM(static_cast<WORD>(cx), static_cast<WORD>(cy)));
      }
      return 0;
    }
    case WM_SYSCOMMAND:
      return SysCommand(window, w, wParam, lParam);
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
      return KeyDefaults(window, w, message, wParam, lParam);
    case WM_CANCELMODE:
      if (Global().capture == w) ReleaseCapture();
      return 0;
    case WM_NCLBUTTONDOWN:
      if (wParam == HTVSCROLL || wParam == HTHSCROLL) return ScrollBarPress(window, wParam, lParam);
      return NonClientButtonDown(w, wParam, lParam);
    case WM_SHOWWINDOW: {
      // A window hidden with its minimised owner comes back when the owner is restored.
      constexpr UINT kQuiet = SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE;
      if (lParam == SW_PARENTCLOSING && !wParam && w->Visible()) {
        SetPosition(w, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | kQuiet);
        if ((w = LookupQuiet(window))) w->flags |= kHiddenWithOwner;
      } else if (lParam == SW_PARENTOPENING && wParam && w->Has(kHiddenWithOwner)) {
        SetPosition(w, nullptr, 0, 0, 0, 0, SWP_SHOWWINDOW | kQuiet);
      }
      return 0;
    }
    case WM_NCLBUTTONDBLCLK:
      if (wParam == HTVSCROLL || wParam == HTHSCROLL) return ScrollBarPress(window, wParam, lParam);
      if (wParam == HTCAPTION) {
        // The icon of a minimised window opens it again.
        if (w->style & WS_MINIMIZE) {
          SendMessageA(window, WM_SYSCOMMAND, SC_RESTORE, lParam);
          return 0;
        }
        if (w->style & WS_MAXIMIZEBOX)
          SendMessageA(window, WM_SYSCOMMAND, (w->style & WS_MAXIMIZE) ? SC_RESTORE : SC_MAXIMIZE,
                       lParam);
        return 0;
      }
      if (wParam == HTSYSMENU) {
        SendMessageA(window, WM_SYSCOMMAND, SC_CLOSE, lParam);
        return 0;
      }
      // A quick second press on a box or border acts as a press of its own.
      return NonClientButtonDown(w, wParam, lParam);
    case WM_QUERYENDSESSION:
    case WM_QUERYOPEN:
      return TRUE;
    case WM_GETICON:
      return reinterpret_cast<LRESULT>(wParam == 1 ? w->icon : w->iconSmall);
    case WM_SETICON: {
      HICON* slot = wParam == 1 ? &w->icon : &w->iconSmall;
      HICON old = *slot;
      *slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_SETREDRAW:
      // Redraw off hides the window from painting without hiding it from the program.
      platform::gdi::WindowsChanged();
      if (wParam) {
        w->style |= WS_VISIBLE;
      } else {
        w->style &= ~WS_VISIBLE;
        DropUpdates(w);  // nothing is painted until redraw is on again and the caller invalidates
      }
      return 0;
    case WM_CHARTOITEM:
    case WM_VKEYTOITEM:
      return -1;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSCROLLBAR:
    case WM_CTLCOLORSTATIC:
      return ControlColour(message, reinterpret_cast<HDC>(wParam));
    default:
      return 0;
  }
}
