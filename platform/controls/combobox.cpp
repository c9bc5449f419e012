// "COMBOBOX": a selection field (an edit field for CBS_DROPDOWN and CBS_SIMPLE) over a
// list, which for the drop-down kinds is a top-level pop-up "ComboLBox" shown below the
// field while it is dropped. The CB_ messages are those of the list, the CBN_ notifications
// go to the parent, and the list's measure, draw, delete and compare requests reach the
// parent through the combo box under its id.
#include "controls/combobox.h"

#include <algorithm>

#include "controls/classes.h"
#include "controls/listbox.h"

namespace platform::controls::combo {
namespace {

// The user made `index` the selection (keyboard, or a pick in the list).
void Commit(ComboBox& c, int index, bool notify) {
  if (index != Current(c)) ToList(c, LB_SETCURSEL, static_cast<WPARAM>(index));
  if (index == c.committed) return;
  c.committed = index;
  ShowSelectionInField(c);
  if (notify && c.Alive()) Notify(c, CBN_SELCHANGE);
}

void CloseUp(ComboBox& c, bool ok, bool byUser);

void DropDown(ComboBox& c) {
  if (c.Simple() || c.dropped || !c.list) return;
  HWND window = c.window;
  // The parent may size the list (through the combo's height) on hearing this.
  Notify(c, CBN_DROPDOWN);
  if (!c.Alive() || c.dropped) return;
  RECT w;
  GetWindowRect(window, &w);
  int width = std::max<int>(c.droppedWidth, w.right - w.left);
  int height = std::max(c.fullHeight - FieldTotal(c), 0);
  int count = Count(c);
  if (count > 0) {
    // Not longer than its entries need.
    int needed = 2;
    for (int i = 0; i < count && needed < height; ++i)
      needed += static_cast<int>(ToList(c, LB_GETITEMHEIGHT, static_cast<WPARAM>(i)));
    height = std::min(height, needed);
  }
  height = std::max(height, static_cast<int>(ToList(c, LB_GETITEMHEIGHT)) + 2);
  int top = w.bottom;
  if (top + height > GetSystemMetrics(SM_CYSCREEN) && w.top - height >= 0) top = w.top - height;
  c.dropped = true;
  int current = Current(c);
  SetWindowPos(c.list, HWND_TOPMOST, w.left, top, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
  if (!c.Alive()) return;
  if (current >= 0) {
    ToList(c, LB_SETTOPINDEX, static_cast<WPARAM>(current));
    ToList(c, LB_SETCARETINDEX, static_cast<WPARAM>(current));
  }
  SetCapture(c.list);
  Redraw(c);
}

void CloseUp(ComboBox& c, bool ok, bool byUser) {
  if (!c.dropped) return;
  c.dropped = false;
  c.buttonDown = false;
  if (GetCapture() == c.list) ReleaseCapture();
  ShowWindow(c.list, SW_HIDE);
  if (!ok) {
    // What the pointer only passed over is not a choice.
    if (Current(c) != c.committed) ToList(c, LB_SETCURSEL, static_cast<WPARAM>(c.committed));
  }
  if (byUser) {
    Notify(c, ok ? CBN_SELENDOK : CBN_SELENDCANCEL);
    if (!c.Alive()) return;
  }
  Notify(c, CBN_CLOSEUP);
  if (!c.Alive()) return;
  if (ok) Commit(c, Current(c), true);
  if (c.Alive()) Redraw(c);
}

// Moves the selection by a key, as the list would, and announces it at once.
void KeySelect(ComboBox& c, UINT key) {
  int count = Count(c);
  if (count == 0) return;
  int current = Current(c);
  int page = std::max(1, c.dropped ? static_cast<int>(ToList(c, LB_GETCOUNT)) : 1);
  if (c.dropped) {
    RECT r;
    GetClientRect(c.list, &r);
    int height = std::max(1, static_cast<int>(ToList(c, LB_GETITEMHEIGHT)));
    page = std::max(1, static_cast<int>(r.bottom) / height);
  }
  int target = current;
  switch (key) {
    case VK_UP:
    case VK_LEFT:
      target = current < 0 ? 0 : current - 1;
      break;
    case VK_DOWN:
    case VK_RIGHT:
      target = current + 1;
      break;
    case VK_PRIOR:
      target = current - (page - 1);
      break;
    case VK_NEXT:
      target = current + (page - 1);
      break;
    case VK_HOME:
      target = 0;
      break;
    case VK_END:
      target = count - 1;
      break;
    default:
      return;
  }
  target = std::clamp(target, 0, count - 1);
  Commit(c, target, true);
}

void TypeAhead(ComboBox& c, char character) {
  if (c.OwnerDraw() && !(c.style & CBS_HASSTRINGS)) return;
  char prefix[2] = {character, '\0'};
  int found = static_cast<int>(
      ToList(c, LB_FINDSTRING, static_cast<WPARAM>(Current(c)), reinterpret_cast<LPARAM>(prefix)));
  if (found >= 0) Commit(c, found, true);
}

bool Key(ComboBox& c, UINT message, WPARAM key, LPARAM lParam) {
  bool alt = message == WM_SYSKEYDOWN || (lParam & (1L << 29));
  if (alt && (key == VK_DOWN || key == VK_UP)) {
    c.dropped ? CloseUp(c, true, true) : DropDown(c);
    return true;
  }
  if (message == WM_SYSKEYDOWN) return false;
  switch (key) {
    case VK_F4:
      if (c.extendedUI) return true;
      c.dropped ? CloseUp(c, true, true) : DropDown(c);
      return true;
    case VK_RETURN:
      if (!c.dropped) return false;
      CloseUp(c, true, true);
      return true;
    case VK_ESCAPE:
      if (!c.dropped) return false;
      CloseUp(c, false, true);
      return true;
    case VK_DOWN:
      if (c.extendedUI && !c.dropped && !c.Simple()) {
        DropDown(c);
        return true;
      }
      KeySelect(c, static_cast<UINT>(key));
      return true;
    case VK_UP:
    case VK_PRIOR:
    case VK_NEXT:
      KeySelect(c, static_cast<UINT>(key));
      return true;
    case VK_HOME:
    case VK_END:
    case VK_LEFT:
    case VK_RIGHT:
      if (c.edit) return false;  // the edit field's own keys
      KeySelect(c, static_cast<UINT>(key));
      return true;
    default:
      return false;
  }
}

void SetFocusState(ComboBox& c, bool focused) {
  if (c.focused == focused) return;
  c.focused = focused;
  if (!focused && c.dropped) CloseUp(c, false, true);
  if (!c.Alive()) return;
  Redraw(c);
  Notify(c, focused ? CBN_SETFOCUS : CBN_KILLFOCUS);
}

// Whether the focus is now on the combo box or its edit field.
bool HoldsFocus(const ComboBox& c, HWND focus) {
  return focus && (focus == c.window || (c.edit && focus == c.edit));
}

void Initialize(ComboBox& c) {
  if (c.initialized) return;
  c.initialized = true;
  DWORD style = StyleOf(c.window);
  c.style = style & 0xFFFF;
  c.metrics = MetricsOf(nullptr);
  c.fieldHeight = c.metrics.height + 2;
  // The scroll bars asked for are the list's, not the box's.
  if (style & (WS_VSCROLL | WS_HSCROLL))
    SetWindowLongA(c.window, GWL_STYLE, static_cast<LONG>(style & ~(WS_VSCROLL | WS_HSCROLL)));
}

LRESULT SetCurrent(ComboBox& c, int index) {
  LRESULT result = ToList(c, LB_SETCURSEL, static_cast<WPARAM>(index));
  c.committed = Current(c);
  ShowSelectionInField(c);
  return result;
}

LRESULT Handle(ComboBox& c, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = c.window;
  int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  switch (message) {
    case WM_CREATE:
      return Create(c, reinterpret_cast<CREATESTRUCTA*>(lParam));
    case WM_DESTROY:
      if (c.list && !c.Simple()) {
        HWND list = c.list;
        c.list = nullptr;
        c.dropped = false;
        DestroyWindow(list);
      }
      return 0;
    case WM_NCDESTROY:
      Detach(c);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_WINDOWPOSCHANGING: {
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (pos && !c.Simple() && !(pos->flags & SWP_NOSIZE)) {
        int total = FieldTotal(c);
        if (pos->cy != total) {
          c.fullHeight = pos->cy;
          pos->cy = total;
        }
      }
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_SIZE:
      PlaceEdit(c);
      PlaceSimpleList(c);
      Redraw(c);
      return 0;
    case WM_PAINT: {
      if (wParam) {
        PaintField(c, reinterpret_cast<HDC>(wParam));
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        PaintField(c, dc);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      if (c.HasEdit()) {
        RECT client = ClientRectOf(window);
        FillRect(reinterpret_cast<HDC>(wParam), &client,
                 ControlColours(window, reinterpret_cast<HDC>(wParam), WM_CTLCOLORSTATIC));
      }
      return 1;
    case WM_SETFONT:
      SetFont(c, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(c.font);
    case WM_SETTEXT:
      return SetText(c, reinterpret_cast<const char*>(lParam));
    case WM_GETTEXT:
      return GetText(c, wParam, reinterpret_cast<char*>(lParam));
    case WM_GETTEXTLENGTH:
      if (c.edit) return SendMessageA(c.edit, WM_GETTEXTLENGTH, 0, 0);
      return Current(c) >= 0 ? static_cast<LRESULT>(ItemText(c, Current(c)).size()) : 0;
    case WM_ENABLE:
      if (c.edit) EnableWindow(c.edit, wParam != 0);
      if (c.list) EnableWindow(c.list, wParam != 0);
      if (!wParam && c.dropped) CloseUp(c, false, true);
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_SYSCOLORCHANGE:
      InvalidateRect(window, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS | (c.dropped ? DLGC_WANTMESSAGE : 0);
    case WM_SETFOCUS:
      if (c.edit) {
        SetFocus(c.edit);
        return 0;
      }
      SetFocusState(c, true);
      return 0;
    case WM_KILLFOCUS:
      if (!HoldsFocus(c, reinterpret_cast<HWND>(wParam))) SetFocusState(c, false);
      return 0;
    case WM_COMMAND:
      if (c.edit && reinterpret_cast<HWND>(lParam) == c.edit) {
        switch (HIWORD(wParam)) {
          case EN_CHANGE:
            if (c.settingText) return 0;
            if (c.dropped) {
              // Typing in the field shows the first entry that starts with the text.
              char text[256];
              GetWindowTextA(c.edit, text, sizeof text);
              LRESULT found =
                  ToList(c, LB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(text));
              ToList(c, LB_SETCURSEL, static_cast<WPARAM>(found >= 0 ? found : -1));
            }
            Notify(c, CBN_EDITCHANGE);
            return 0;
          case EN_UPDATE:
            if (!c.settingText) Notify(c, CBN_EDITUPDATE);
            return 0;
          default:
            return 0;
        }
      }
      return 0;
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_COMPAREITEM:
      return Forward(c, message, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX: {
      LRESULT brush = 0;
      if (HWND parent = NotifyTarget(window)) brush = SendMessageA(parent, message, wParam, lParam);
      return brush ? brush : DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      POINT p = PointOf(lParam);
      bool onButton = Inside(ButtonRect(c), p);
      if (!onButton && c.HasEdit()) return 0;
      SetFocus(c.edit ? c.edit : window);
      if (!c.Alive()) return 0;
      if (c.dropped) {
        CloseUp(c, false, true);
        return 0;
      }
      c.buttonDown = true;
      DropDown(c);
      return 0;
    }
    case WM_LBUTTONUP:
      if (c.buttonDown) {
        c.buttonDown = false;
        Redraw(c);
      }
      // Whoever took the mouse while the button was down, the dropped list has it back.
      if (c.dropped && GetCapture() != c.list) SetCapture(c.list);
      return 0;
    case WM_CANCELMODE:
      if (c.dropped) CloseUp(c, false, true);
      return 0;
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
      if (Key(c, message, wParam, lParam)) return 0;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_CHAR:
      if (!c.edit && wParam > ' ') TypeAhead(c, static_cast<char>(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      if (!c.dropped) KeySelect(c, static_cast<SHORT>(HIWORD(wParam)) > 0 ? VK_UP : VK_DOWN);
      return 0;

    case CB_ADDSTRING:
      return ToList(c, LB_ADDSTRING, wParam, lParam);
    case CB_INSERTSTRING:
      return ToList(c, LB_INSERTSTRING, wParam, lParam);
    case CB_DELETESTRING: {
      LRESULT result = ToList(c, LB_DELETESTRING, wParam, lParam);
      if (result != CB_ERR) {
        c.committed = Current(c);
        Redraw(c);
      }
      return result;
    }
    case CB_RESETCONTENT:
      ToList(c, LB_RESETCONTENT);
      c.committed = -1;
      ShowSelectionInField(c);
      return CB_OKAY;
    case CB_GETCOUNT:
      return Count(c);
    case CB_GETLBTEXT:
      if (index < 0 || index >= Count(c) || !lParam) return CB_ERR;
      return ToList(c, LB_GETTEXT, wParam, lParam);
    case CB_GETLBTEXTLEN:
      return ToList(c, LB_GETTEXTLEN, wParam, lParam);
    case CB_GETITEMDATA:
      return ToList(c, LB_GETITEMDATA, wParam, lParam);
    case CB_SETITEMDATA:
      return ToList(c, LB_SETITEMDATA, wParam, lParam) == LB_ERR ? CB_ERR : CB_OKAY;
    case CB_FINDSTRING:
      return ToList(c, LB_FINDSTRING, wParam, lParam);
    case CB_FINDSTRINGEXACT:
      return ToList(c, LB_FINDSTRINGEXACT, wParam, lParam);
    case CB_SELECTSTRING: {
      LRESULT found = ToList(c, LB_FINDSTRING, wParam, lParam);
      if (found < 0) return CB_ERR;
      SetCurrent(c, static_cast<int>(found));
      return found;
    }
    case CB_SETCURSEL:
      return SetCurrent(c, index);
    case CB_GETCURSEL:
      return Current(c);
    case CB_SHOWDROPDOWN:
      if (wParam)
        DropDown(c);
      else
        CloseUp(c, false, false);
      return TRUE;
    case CB_GETDROPPEDSTATE:
      return c.dropped ? TRUE : FALSE;
    case CB_SETEXTENDEDUI:
      c.extendedUI = wParam != 0;
      return CB_OKAY;
    case CB_GETEXTENDEDUI:
      return c.extendedUI ? TRUE : FALSE;
    case CB_GETDROPPEDCONTROLRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      if (!out) return CB_ERR;
      RECT w;
      GetWindowRect(window, &w);
      int width = std::max<int>(c.droppedWidth, w.right - w.left);
      *out = c.Simple() ? w
                        : RECT{w.left, w.top, w.left + width,
                               w.top + std::max(c.fullHeight, static_cast<int>(w.bottom - w.top))};
      return TRUE;
    }
    case CB_SETDROPPEDWIDTH:
      c.droppedWidth = std::max(0, index);
      return c.droppedWidth;
    case CB_GETDROPPEDWIDTH: {
      RECT w;
      GetWindowRect(window, &w);
      return std::max<int>(c.droppedWidth, w.right - w.left);
    }
    case CB_SETITEMHEIGHT: {
      int height = static_cast<int>(static_cast<SHORT>(LOWORD(lParam)));
      if (height <= 0 || height > 255) return CB_ERR;
      if (index != -1) return ToList(c, LB_SETITEMHEIGHT, wParam, lParam);
      c.fieldHeight = height;
      FitHeight(c);
      PlaceEdit(c);
      PlaceSimpleList(c);
      InvalidateRect(window, nullptr, TRUE);
      return CB_OKAY;
    }
    case CB_GETITEMHEIGHT:
      if (index == -1) return c.fieldHeight;
      return ToList(c, LB_GETITEMHEIGHT, wParam, lParam);
    case CB_LIMITTEXT:
      if (!c.edit) return TRUE;
      SendMessageA(c.edit, EM_LIMITTEXT, wParam, 0);
      return TRUE;
    case CB_GETEDITSEL:
      if (!c.edit) return CB_ERR;
      return SendMessageA(c.edit, EM_GETSEL, wParam, lParam);
    case CB_SETEDITSEL:
      if (!c.edit) return CB_ERR;
      SendMessageA(c.edit, EM_SETSEL, static_cast<WPARAM>(static_cast<SHORT>(LOWORD(lParam))),
                   static_cast<SHORT>(HIWORD(lParam)));
      return TRUE;
    case CB_GETTOPINDEX:
      return ToList(c, LB_GETTOPINDEX);
    case CB_SETTOPINDEX:
      return ToList(c, LB_SETTOPINDEX, wParam) == LB_ERR ? CB_ERR : CB_OKAY;
    case CB_SETHORIZONTALEXTENT:
      ToList(c, LB_SETHORIZONTALEXTENT, wParam);
      return 0;
    case CB_GETHORIZONTALEXTENT:
      return ToList(c, LB_GETHORIZONTALEXTENT);
    case CB_INITSTORAGE:
      return ToList(c, LB_INITSTORAGE, wParam, lParam);
    case CB_SETLOCALE:
    case CB_GETLOCALE:
      return LOCALE_USER_DEFAULT;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace
}  // namespace platform::controls::combo

namespace platform::controls {

using namespace combo;

ComboLink TakePendingComboLink() {
  ComboLink link = pendingLink;
  pendingLink = ComboLink{};
  return link;
}

bool ComboEditKey(HWND combo, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ComboBox> c = ComboOf(combo);
  if (!c) return false;
  return Key(*c, message, wParam, lParam);
}

void ComboListNotify(HWND combo, WORD code) {
  std::shared_ptr<ComboBox> c = ComboOf(combo);
  if (!c) return;
  switch (code) {
    case LBN_SELCHANGE:
      if (c->dropped) {
        CloseUp(*c, true, true);  // a pick in the dropped list
      } else {
        Commit(*c, Current(*c), true);  // the simple kind's list
      }
      return;
    case LBN_SELCANCEL:
      // Anywhere outside the list, the combo box's own field and button included, closes it.
      if (c->dropped) CloseUp(*c, false, true);
      return;
    case LBN_DBLCLK:
      Notify(*c, CBN_DBLCLK);
      return;
    default:
      return;
  }
}

void ComboEditFocus(HWND combo, bool gained, HWND other) {
  std::shared_ptr<ComboBox> c = ComboOf(combo);
  if (!c) return;
  if (gained) {
    SetFocusState(*c, true);
    if (c->Alive() && c->edit) SendMessageA(c->edit, EM_SETSEL, 0, -1);
  } else if (!HoldsFocus(*c, other)) {
    SetFocusState(*c, false);
  }
}

void ComboPopupRelease(HWND combo) {
  std::shared_ptr<ComboBox> c = ComboOf(combo);
  if (!c || !c->buttonDown) return;
  c->buttonDown = false;
  Redraw(*c);
}

LRESULT ComboBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ComboBox> c = Attach<ComboBox>(window);
  if (!c) return DefWindowProcA(window, message, wParam, lParam);
  Initialize(*c);
  return Handle(*c, message, wParam, lParam);
}

}  // namespace platform::controls
