// The dialog keyboard interface: Tab and Shift+Tab between WS_TABSTOP controls, the arrow
// keys within a group, Enter for the default push button, Esc as IDCANCEL, and Alt+letter
// for a control's mnemonic. Works for any window, not only dialogs.
#include <cctype>
#include <cstring>
#include <vector>

#include "controls/common.h"

namespace platform::controls {
namespace {

bool Usable(HWND w) { return IsWindowVisible(w) && IsWindowEnabled(w); }

// The controls of a dialog in tab order: its children in z-order, descending into children
// with WS_EX_CONTROLPARENT.
void Collect(HWND parent, std::vector<HWND>& out) {
  for (HWND c = GetWindow(parent, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    if (GetWindowLongA(c, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) {
      if (Usable(c)) Collect(c, out);
    } else {
      out.push_back(c);
    }
  }
}

std::vector<HWND> ControlsOf(HWND dialog) {
  std::vector<HWND> all;
  Collect(dialog, all);
  return all;
}

UINT DialogCode(HWND control, const MSG* msg) {
  return static_cast<UINT>(
      SendMessageA(control, WM_GETDLGCODE, msg ? msg->wParam : 0, reinterpret_cast<LPARAM>(msg)));
}

bool IsPushButton(UINT code) { return code & (DLGC_DEFPUSHBUTTON | DLGC_UNDEFPUSHBUTTON); }

// The control whose child `w` is, directly under the dialog or a control parent.
HWND ControlOf(HWND dialog, HWND w) {
  std::vector<HWND> all = ControlsOf(dialog);
  for (HWND c = w; c && c != dialog; c = GetParent(c))
    for (HWND candidate : all)
      if (candidate == c) return c;
  return nullptr;
}

// Where a window that does not answer DM_GETDEFID keeps the id of the button that looked
// like the default before the focus lent that look to another push button.
constexpr char kDefaultIdProperty[] = "PlatformDefaultButtonId";

// The id the dialog declares with DM_GETDEFID, or 0.
int DeclaredDefaultId(HWND dialog) {
  LRESULT answer = SendMessageA(dialog, DM_GETDEFID, 0, 0);
  if (HIWORD(static_cast<ULONG_PTR>(answer)) == DC_HASDEFID)
    return LOWORD(static_cast<ULONG_PTR>(answer));
  auto remembered = reinterpret_cast<ULONG_PTR>(GetPropA(dialog, kDefaultIdProperty));
  return static_cast<int>(remembered);
}

// The default button's id: the declared one, else the first button that looks like the
// default, else IDOK.
int DefaultId(HWND dialog, HWND* button) {
  *button = nullptr;
  if (int id = DeclaredDefaultId(dialog)) {
    *button = GetDlgItem(dialog, id);
    return id;
  }
  for (HWND c : ControlsOf(dialog)) {
    if (DialogCode(c, nullptr) & DLGC_DEFPUSHBUTTON) {
      *button = c;
      return static_cast<int>(GetWindowLongA(c, GWLP_ID));
    }
  }
  *button = GetDlgItem(dialog, IDOK);
  return IDOK;
}

void SetButtonLook(HWND button, bool isDefault) {
  UINT code = DialogCode(button, nullptr);
  if (!IsPushButton(code)) return;
  if (((code & DLGC_DEFPUSHBUTTON) != 0) == isDefault) return;
  SendMessageA(button, BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// A push button with the focus looks like the default; otherwise the dialog's default does.
void UpdateDefaultLook(HWND dialog, HWND focus) {
  bool focusIsButton = focus && IsPushButton(DialogCode(focus, nullptr));
  int declared = DeclaredDefaultId(dialog);
  if (!declared && focusIsButton) {
    for (HWND c : ControlsOf(dialog))
      if (c != focus && (DialogCode(c, nullptr) & DLGC_DEFPUSHBUTTON)) {
        declared = static_cast<int>(GetWindowLongA(c, GWLP_ID));
        SetPropA(dialog, kDefaultIdProperty,
                 reinterpret_cast<HANDLE>(static_cast<ULONG_PTR>(declared)));
      }
  }
  HWND defaultButton = declared ? GetDlgItem(dialog, declared) : nullptr;
  HWND wanted = focusIsButton ? focus : defaultButton;
  if (!wanted) return;  // no declared default: leave the looks as the program set them
  for (HWND c : ControlsOf(dialog))
    if (c != wanted) SetButtonLook(c, false);
  SetButtonLook(wanted, true);
}

void MoveFocus(HWND dialog, HWND to) {
  if (!to) return;
  SetFocus(to);
  if (DialogCode(to, nullptr) & DLGC_HASSETSEL) SendMessageA(to, EM_SETSEL, 0, -1);
  UpdateDefaultLook(dialog, to);
}

void PressButton(HWND dialog, int id, HWND button) {
  if (button && !IsWindowEnabled(button)) return;
  HWND target = button ? GetParent(button) : dialog;
  if (!target) target = dialog;
  SendMessageA(target, WM_COMMAND, MAKEWPARAM(static_cast<WORD>(id), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

char Mnemonic(HWND control) {
  char text[256];
  int length = GetWindowTextA(control, text, sizeof text);
  for (int i = 0; i + 1 < length; ++i) {
    if (text[i] != '&') continue;
    if (text[i + 1] == '&') {
      ++i;
      continue;
    }
    return static_cast<char>(std::tolower(static_cast<unsigned char>(text[i + 1])));
  }
  return 0;
}

// Alt+letter (or the letter alone where the focus takes no characters): a button is
// pressed, a label hands the focus to the next control.
bool ActivateMnemonic(HWND dialog, char key) {
  key = static_cast<char>(std::tolower(static_cast<unsigned char>(key)));
  std::vector<HWND> all = ControlsOf(dialog);
  for (std::size_t i = 0; i < all.size(); ++i) {
    HWND c = all[i];
    if (!Usable(c) || Mnemonic(c) != key) continue;
    UINT code = DialogCode(c, nullptr);
    if (code & DLGC_STATIC) {
      for (std::size_t j = i + 1; j < all.size(); ++j) {
        if (Usable(all[j]) && (GetWindowLongA(all[j], GWL_STYLE) & WS_TABSTOP)) {
          MoveFocus(dialog, all[j]);
          break;
        }
      }
      return true;
    }
    if (IsPushButton(code) || (code & DLGC_BUTTON)) {
      SendMessageA(c, BM_CLICK, 0, 0);
      return true;
    }
    MoveFocus(dialog, c);
    return true;
  }
  return false;
}

}  // namespace
}  // namespace platform::controls

using namespace platform::controls;

HWND GetNextDlgTabItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog)) return nullptr;
  std::vector<HWND> all = ControlsOf(dialog);
  if (all.empty()) return nullptr;
  int count = static_cast<int>(all.size());
  int start = -1;
  HWND current = control ? ControlOf(dialog, control) : nullptr;
  for (int i = 0; i < count; ++i)
    if (all[i] == current) start = i;
  if (start < 0) start = previous ? 0 : count - 1;
  for (int step = 1; step <= count; ++step) {
    int i = previous ? (start - step + count * 2) % count : (start + step) % count;
    HWND c = all[i];
    if (Usable(c) && (GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP)) return c;
  }
  return current;
}

HWND GetNextDlgGroupItem(HWND dialog, HWND control, BOOL previous) {
  if (!IsWindow(dialog)) return nullptr;
  std::vector<HWND> all = ControlsOf(dialog);
  HWND current = control ? ControlOf(dialog, control) : nullptr;
  int at = -1, count = static_cast<int>(all.size());
  for (int i = 0; i < count; ++i)
    if (all[i] == current) at = i;
  if (at < 0) return nullptr;
  // A group runs from a WS_GROUP control to the control before the next WS_GROUP one.
  int first = at;
  while (first > 0 && !(GetWindowLongA(all[first], GWL_STYLE) & WS_GROUP)) --first;
  int last = at;
  while (last + 1 < count && !(GetWindowLongA(all[last + 1], GWL_STYLE) & WS_GROUP)) ++last;
  int size = last - first + 1;
  for (int step = 1; step < size; ++step) {
    int offset = previous ? (at - first - step + size * 2) % size : (at - first + step) % size;
    HWND c = all[first + offset];
    if (Usable(c)) return c;
  }
  return current;
}

LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SendMessageA(item, message, wParam, lParam) : 0;
}

BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text) {
  HWND item = GetDlgItem(dialog, id);
  return item ? SetWindowTextA(item, text) : FALSE;
}

UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size) {
  HWND item = GetDlgItem(dialog, id);
  if (!item) {
    if (buffer && size > 0) buffer[0] = '\0';
    return 0;
  }
  return static_cast<UINT>(GetWindowTextA(item, buffer, size));
}

BOOL IsDialogMessageA(HWND dialog, LPMSG msg) {
  if (!msg || !IsWindow(dialog)) return FALSE;
  if (msg->hwnd != dialog && !IsChild(dialog, msg->hwnd)) return FALSE;
  switch (msg->message) {
    case WM_KEYDOWN: {
      UINT code = DialogCode(msg->hwnd, msg);
      if (code & DLGC_WANTMESSAGE) break;
      switch (msg->wParam) {
        case VK_TAB:
          if (code & DLGC_WANTTAB) break;
          MoveFocus(dialog, GetNextDlgTabItem(dialog, GetFocus(), KeyIsDown(VK_SHIFT)));
          return TRUE;
        case VK_LEFT:
        case VK_UP:
        case VK_RIGHT:
        case VK_DOWN:
          if (code & DLGC_WANTARROWS) break;
          MoveFocus(dialog, GetNextDlgGroupItem(dialog, GetFocus(),
                                                msg->wParam == VK_LEFT || msg->wParam == VK_UP));
          return TRUE;
        case VK_RETURN: {
          HWND focus = GetFocus();
          if (focus && IsChild(dialog, focus) && IsPushButton(DialogCode(focus, nullptr))) {
            PressButton(dialog, static_cast<int>(GetWindowLongA(focus, GWLP_ID)), focus);
            return TRUE;
          }
          HWND button;
          int id = DefaultId(dialog, &button);
          PressButton(dialog, id, button);
          return TRUE;
        }
        case VK_ESCAPE:
          PressButton(dialog, IDCANCEL, GetDlgItem(dialog, IDCANCEL));
          return TRUE;
        default:
          break;
      }
      break;
    }
    case WM_CHAR: {
      UINT code = DialogCode(msg->hwnd, msg);
      if (code & (DLGC_WANTCHARS | DLGC_WANTMESSAGE)) break;
      if (msg->wParam > ' ' && ActivateMnemonic(dialog, static_cast<char>(msg->wParam)))
        return TRUE;
      break;
    }
    case WM_SYSCHAR:
      if (msg->wParam > ' ' && ActivateMnemonic(dialog, static_cast<char>(msg->wParam)))
        return TRUE;
      break;
    default:
      break;
  }
  TranslateMessage(msg);
  DispatchMessageA(msg);
  return TRUE;
}
