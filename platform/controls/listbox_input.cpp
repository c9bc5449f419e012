// The mouse and the keyboard of a list box: selection by pressing and dragging (scrolling
// when dragged past the edges), the keys of the single, multiple and extended selection
// styles, type-ahead, WM_VKEYTOITEM / WM_CHARTOITEM, and the dropped-down list of a combo
// box, whose selection follows the pointer and which closes on a pick.
#include <algorithm>

#include "controls/listbox.h"

namespace platform::controls {
namespace {

constexpr UINT_PTR kScrollTimer = 0xFFF1;
constexpr UINT kScrollInterval = 50;

HWND Owner(const ListBox& list) { return list.combo ? list.combo : NotifyTarget(list.window); }

void Changed(ListBox& list, bool changed) {
  if (changed) NotifyList(list, LBN_SELCHANGE);
}

// Selection at `index` for a press or a drag with the given modifier keys.
bool SelectAt(ListBox& list, int index, WPARAM keys, bool press) {
  bool shift = keys & MK_SHIFT, control = keys & MK_CONTROL;
  if (!list.Multiple()) {
    bool changed = SelectSingle(list, index);
    MakeVisible(list, index, false);
    return changed;
  }
  bool changed = false;
  if (!list.Extended()) {
    if (press) changed = Toggle(list, index);
  } else if (press && control && !shift) {
    changed = Toggle(list, index);
    list.anchor = index;
  } else if (shift) {
    changed = SelectRange(list, list.anchor, index, true, control);
  } else {
    if (press) list.anchor = index;
    changed = SelectRange(list, list.anchor, index, true, false);
  }
  SetCaret(list, index);
  MakeVisible(list, index, false);
  return changed;
}

void StartScrolling(ListBox& list, int direction) {
  if (direction == list.scrollDirection) return;
  list.scrollDirection = direction;
  if (direction)
    SetTimer(list.window, kScrollTimer, kScrollInterval, nullptr);
  else
    KillTimer(list.window, kScrollTimer);
}

void Drag(ListBox& list, POINT p) {
  RECT client = ClientRectOf(list.window);
  if (!list.MultiColumn()) StartScrolling(list, p.y < 0 ? -1 : p.y >= client.bottom ? 1 : 0);
  if (list.scrollDirection) return;  // the timer moves the selection while outside
  bool outside = false;
  int index = ItemAt(list, p, &outside);
  if (list.Count() == 0 || (outside && Inside(client, p))) return;
  SelectAt(list, index, list.trackKeys, false);
  list.clicked = true;
}

LRESULT Press(ListBox& list, UINT message, WPARAM keys, POINT p) {
  HWND window = list.window;
  if (GetFocus() != window && !list.combo) {
    SetFocus(window);
    if (!list.Alive()) return 0;
  }
  bool outside = false;
  int index = ItemAt(list, p, &outside);
  SetCapture(window);
  list.tracking = true;
  list.trackKeys = keys;
  list.clicked = false;
  if (list.Count() == 0 || outside) return 0;
  bool changed = SelectAt(list, index, keys, true);
  if (message == WM_LBUTTONDBLCLK) {
    // The first click has reported itself; the second speaks only of what it changed.
    Changed(list, changed);
    if (list.Alive()) NotifyList(list, LBN_DBLCLK);
    return 0;
  }
  // A click reports the selection when the button goes up, even an entry that was
  // selected already (a program may have selected it without a word).
  list.clicked = true;
  return 0;
}

// The dropped-down list of a combo box: it holds the capture while it shows.
LRESULT PopupMouse(ListBox& list, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = list.window;
  POINT p = PointOf(lParam);
  RECT client = ClientRectOf(window);
  POINT screen = p;
  ClientToScreen(window, &screen);
  RECT frame;
  GetWindowRect(window, &frame);
  switch (message) {
    case WM_MOUSEMOVE: {
      if (!Inside(client, p) || list.Count() == 0) {
        if ((wParam & MK_LBUTTON) && Inside(RECT{client.left, -0x4000, client.right, 0x4000}, p))
          StartScrolling(list, p.y < 0 ? -1 : p.y >= client.bottom ? 1 : 0);
        return 0;
      }
      StartScrolling(list, 0);
      bool outside = false;
      int index = ItemAt(list, p, &outside);
      if (!outside) SelectSingle(list, index);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (Inside(client, p)) {
        list.tracking = true;
        bool outside = false;
        int index = ItemAt(list, p, &outside);
        if (!outside) SelectSingle(list, index);
        return 0;
      }
      if (Inside(frame, screen)) {
        // The list's own scroll bar: follow it, then take the mouse back.
        LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(screen.x, screen.y));
        if (hit == HTVSCROLL || hit == HTHSCROLL)
          DefWindowProcA(window, WM_NCLBUTTONDOWN, static_cast<WPARAM>(hit),
                         MAKELPARAM(static_cast<WORD>(screen.x), static_cast<WORD>(screen.y)));
        if (list.Alive() && IsWindowVisible(window)) SetCapture(window);
        return 0;
      }
      ComboListNotify(list.combo, LBN_SELCANCEL);
      return 0;
    }
    case WM_LBUTTONUP: {
      StartScrolling(list, 0);
      ComboPopupRelease(list.combo);
      if (!list.Alive()) return 0;
      bool pressedInside = list.tracking;
      list.tracking = false;
      bool outside = true;
      if (Inside(client, p) && list.Count() > 0) ItemAt(list, p, &outside);
      // A release on an entry picks it, whether the press began here or on the combo box.
      if (!outside || (pressedInside && Inside(client, p)))
        ComboListNotify(list.combo, LBN_SELCHANGE);
      return 0;
    }
    default:
      return 0;
  }
}

int MoveTarget(const ListBox& list, UINT key) {
  int count = list.Count();
  int caret = std::clamp(list.caret, 0, std::max(count - 1, 0));
  int page = PageSize(list);
  int rows = list.MultiColumn() ? RowsPerColumn(list) : 1;
  switch (key) {
    case VK_UP:
      return caret - 1;
    case VK_DOWN:
      return caret + 1;
    case VK_LEFT:
      return caret - rows;
    case VK_RIGHT:
      return caret + rows;
    case VK_PRIOR:
      if (list.MultiColumn()) return caret - page;
      return caret != list.top ? list.top : caret - std::max(page - 1, 1);
    case VK_NEXT: {
      if (list.MultiColumn()) return caret + page;
      int last = list.top + page - 1;
      return caret != last ? last : caret + std::max(page - 1, 1);
    }
    case VK_HOME:
      return 0;
    case VK_END:
      return count - 1;
    default:
      return -2;
  }
}

// The keyboard's selection: single lists select as the caret moves; multiple-selection
// lists move the caret only; extended lists select unless Ctrl is held.
void KeyMove(ListBox& list, int target) {
  target = std::clamp(target, 0, list.Count() - 1);
  bool shift = KeyIsDown(VK_SHIFT), control = KeyIsDown(VK_CONTROL);
  if (!list.Multiple()) {
    bool changed = SelectSingle(list, target);
    SetCaret(list, target);
    MakeVisible(list, target, true);
    Changed(list, changed);
    return;
  }
  bool changed = false;
  if (list.Extended() && shift) {
    changed = SelectRange(list, list.anchor, target, true, control);
  } else if (list.Extended() && !control) {
    list.anchor = target;
    changed = SelectRange(list, target, target, true, false);
  }
  SetCaret(list, target);
  MakeVisible(list, target, true);
  Changed(list, changed);
}

void SpaceKey(ListBox& list) {
  if (!list.Multiple() || !list.Valid(list.caret)) return;
  bool changed;
  if (!list.Extended() || KeyIsDown(VK_CONTROL)) {
    changed = Toggle(list, list.caret);
  } else {
    list.anchor = list.caret;
    changed = SelectRange(list, list.caret, list.caret, true, KeyIsDown(VK_SHIFT));
  }
  list.anchor = list.caret;
  Changed(list, changed);
}

}  // namespace

void EndTracking(ListBox& list, bool notify) {
  bool clicked = list.clicked;
  list.tracking = false;
  list.clicked = false;
  StartScrolling(list, 0);
  if (GetCapture() == list.window && !list.popup) ReleaseCapture();
  if (notify && clicked && list.Alive() && list.Count() > 0) NotifyList(list, LBN_SELCHANGE);
}

void ListTimer(ListBox& list) {
  if (!list.scrollDirection || list.Count() == 0) return;
  SetTop(list, list.top + list.scrollDirection);
  if (list.popup) {
    int edge = list.scrollDirection < 0 ? list.top
                                        : std::min(list.top + PageSize(list) - 1, list.Count() - 1);
    SelectSingle(list, edge);
    return;
  }
  if (!list.tracking) return;
  int edge = list.scrollDirection < 0 ? list.top
                                      : std::min(list.top + PageSize(list) - 1, list.Count() - 1);
  SelectAt(list, edge, list.trackKeys, false);
  list.clicked = true;
}

LRESULT ListMouse(ListBox& list, UINT message, WPARAM wParam, LPARAM lParam) {
  if (list.popup) {
    if (message == WM_CAPTURECHANGED || message == WM_CANCELMODE) {
      list.tracking = false;
      StartScrolling(list, 0);
      return 0;
    }
    return PopupMouse(list, message, wParam, lParam);
  }
  switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      return Press(list, message, wParam, PointOf(lParam));
    case WM_MOUSEMOVE:
      if (list.tracking) Drag(list, PointOf(lParam));
      return 0;
    case WM_LBUTTONUP:
      if (list.tracking) EndTracking(list, true);
      return 0;
    case WM_CAPTURECHANGED:
      if (list.tracking && reinterpret_cast<HWND>(lParam) != list.window) {
        list.tracking = false;
        StartScrolling(list, 0);
      }
      return 0;
    case WM_CANCELMODE:
      if (list.tracking) EndTracking(list, false);
      return 0;
    default:
      return 0;
  }
}

LRESULT ListKey(ListBox& list, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = list.window;
  HWND owner = Owner(list);
  if (message == WM_KEYDOWN) {
    UINT key = static_cast<UINT>(wParam);
    if ((list.style & LBS_WANTKEYBOARDINPUT) && owner) {
      LRESULT answer = SendMessageA(
          owner, WM_VKEYTOITEM, MAKEWPARAM(static_cast<WORD>(key), static_cast<WORD>(list.caret)),
          reinterpret_cast<LPARAM>(window));
      if (!list.Alive() || answer == -2) return 0;
      if (answer >= 0 && list.Valid(static_cast<int>(answer)))
        SetCaret(list, static_cast<int>(answer));
    }
    if (list.Count() == 0) return 0;
    if (key == VK_SPACE) {
      SpaceKey(list);
      return 0;
    }
    int target = MoveTarget(list, key);
    if (target == -2) return DefWindowProcA(window, message, wParam, lParam);
    // The first arrow in a list without a selection selects the entry with the focus.
    if (!list.Multiple() && list.current < 0 &&
        (key == VK_UP || key == VK_DOWN || key == VK_LEFT || key == VK_RIGHT))
      target = list.caret;
    KeyMove(list, target);
    return 0;
  }
  // WM_CHAR
  auto character = static_cast<unsigned char>(wParam);
  if (!list.HasStrings()) {
    if (!(list.style & LBS_WANTKEYBOARDINPUT) || !owner) return 0;
    LRESULT answer =
        SendMessageA(owner, WM_CHARTOITEM,
                     MAKEWPARAM(static_cast<WORD>(character), static_cast<WORD>(list.caret)),
                     reinterpret_cast<LPARAM>(window));
    if (list.Alive() && answer >= 0 && list.Valid(static_cast<int>(answer)))
      KeyMove(list, static_cast<int>(answer));
    return 0;
  }
  if (character < ' ' || (character == ' ' && list.Multiple())) return 0;
  // Type-ahead by first letter: the next entry after the caret that starts with it.
  int found = FindPrefix(list, list.caret, std::string(1, static_cast<char>(character)), false);
  if (found >= 0) KeyMove(list, found);
  return 0;
}

}  // namespace platform::controls
