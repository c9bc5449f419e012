// "LISTBOX": entries and their data, sorting, searching, selection, the LB_ messages and
// the owner-draw requests for measuring, comparing and deleting entries.
#include "controls/listbox.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "controls/classes.h"
#include "controls/combobox.h"
#include "kernel/names.h"

namespace platform::controls {
namespace {

constexpr int kMaximumItemHeight = 255;

HWND Owner(const ListBox& list) { return list.combo ? list.combo : NotifyTarget(list.window); }
UINT IdOf(const ListBox& list) { return static_cast<UINT>(GetWindowLongA(list.window, GWLP_ID)); }

void Initialize(ListBox& list) {
  if (list.initialized) return;
  list.initialized = true;
  DWORD style = StyleOf(list.window);
  list.style = style & 0xFFFF;
  // A multi-column list has one height for all its entries.
  if (list.style & LBS_MULTICOLUMN) list.style &= ~static_cast<DWORD>(LBS_OWNERDRAWVARIABLE);
  if ((list.style & LBS_OWNERDRAWFIXED) && (list.style & LBS_OWNERDRAWVARIABLE))
    list.style &= ~static_cast<DWORD>(LBS_OWNERDRAWVARIABLE);
  list.hasVerticalBar = style & WS_VSCROLL;
  list.hasHorizontalBar = style & WS_HSCROLL;
  list.metrics = MetricsOf(nullptr);
  list.itemHeight = list.metrics.height;
  ComboLink link = TakePendingComboLink();
  if (link.combo) {
    list.combo = link.combo;
    list.popup = link.popup;
  }
}

int Measure(ListBox& list, int index, ULONG_PTR data) {
  MEASUREITEMSTRUCT measure{ODT_LISTBOX,
                            IdOf(list),
                            static_cast<UINT>(index),
                            static_cast<UINT>(std::max<LONG>(ClientRectOf(list.window).right, 0)),
                            static_cast<UINT>(list.itemHeight),
                            data};
  if (HWND owner = Owner(list))
    SendMessageA(owner, WM_MEASUREITEM, measure.CtlID, reinterpret_cast<LPARAM>(&measure));
  // Absurd answers are clamped to what an entry can be.
  return std::clamp<int>(static_cast<int>(std::min<UINT>(measure.itemHeight, 100000)), 1,
                         kMaximumItemHeight);
}

int CompareByOwner(ListBox& list, int index, ULONG_PTR data) {
  COMPAREITEMSTRUCT compare{ODT_LISTBOX,
                            IdOf(list),
                            list.window,
                            static_cast<UINT>(index),
                            list.items[static_cast<std::size_t>(index)].data,
                            static_cast<UINT>(-1),
                            data,
                            static_cast<LCID>(LOCALE_USER_DEFAULT)};
  HWND owner = Owner(list);
  if (!owner) return -1;
  return static_cast<int>(
      SendMessageA(owner, WM_COMPAREITEM, compare.CtlID, reinterpret_cast<LPARAM>(&compare)));
}

// Where a new entry goes in a sorted list: after the entries that do not sort after it.
int SortedPosition(ListBox& list, const ListItem& item) {
  int low = 0, high = list.Count();
  while (low < high) {
    int middle = low + (high - low) / 2;
    bool after;
    if (list.HasStrings()) {
      const std::string& other = list.items[static_cast<std::size_t>(middle)].text;
      after = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, other.data(),
                             static_cast<int>(other.size()), item.text.data(),
                             static_cast<int>(item.text.size())) == CSTR_GREATER_THAN;
    } else {
      after = CompareByOwner(list, middle, item.data) > 0;
      if (!list.Alive()) return -1;
    }
    if (after)
      high = middle;
    else
      low = middle + 1;
  }
  return low;
}

bool Visible(const ListBox& list, int index) {
  RECT r = ItemRect(list, index), client = ClientRectOf(list.window), shown;
  return IntersectRect(&shown, &r, &client) != FALSE;
}

LRESULT Insert(ListBox& list, int index, LPARAM value, bool sorted) {
  ListItem item;
  if (list.HasStrings()) {
    if (!value) return LB_ERR;
    item.text = reinterpret_cast<const char*>(value);
  } else {
    item.data = static_cast<ULONG_PTR>(value);
  }
  if (sorted) {
    index = SortedPosition(list, item);
    if (index < 0) return LB_ERR;
  } else if (index < 0) {
    index = list.Count();
  } else if (index > list.Count()) {
    return LB_ERR;
  }
  if (list.Variable()) {
    item.height = Measure(list, index, item.data);
    if (!list.Alive()) return LB_ERR;
    index = std::min(index, list.Count());
  }
  try {
    list.items.insert(list.items.begin() + index, std::move(item));
  } catch (const std::bad_alloc&) {
    return LB_ERRSPACE;
  }
  if (list.current >= index) ++list.current;
  if (list.Count() > 1 && list.caret >= index) ++list.caret;
  if (list.Multiple() && list.anchor >= index && list.Count() > 1) ++list.anchor;
  UpdateScrollBars(list);
  if (Visible(list, index) || index < list.top) RedrawAll(list);
  return index;
}

void SendDelete(ListBox& list, int index, const ListItem& item) {
  if (!list.OwnerDraw()) return;
  DELETEITEMSTRUCT erase{ODT_LISTBOX, IdOf(list), static_cast<UINT>(index), list.window, item.data};
  if (HWND owner = Owner(list))
    SendMessageA(owner, WM_DELETEITEM, erase.CtlID, reinterpret_cast<LPARAM>(&erase));
}

LRESULT Delete(ListBox& list, int index) {
  if (!list.Valid(index)) return LB_ERR;
  ListItem item = std::move(list.items[static_cast<std::size_t>(index)]);
  list.items.erase(list.items.begin() + index);
  if (list.current == index)
    list.current = -1;
  else if (list.current > index)
    --list.current;
  if (list.caret > index || list.caret >= list.Count()) list.caret = std::max(list.caret - 1, 0);
  if (list.anchor > index || list.anchor >= list.Count())
    list.anchor = std::max(list.anchor - 1, 0);
  list.top = std::clamp(list.top, 0, LastTop(list));
  UpdateScrollBars(list);
  RedrawAll(list);
  SendDelete(list, index, item);
  return list.Count();
}

// Empties the list; the owner hears of each entry after the list is already empty.
void Reset(ListBox& list, bool redraw) {
  std::vector<ListItem> gone;
  gone.swap(list.items);
  list.current = -1;
  list.caret = list.anchor = list.top = 0;
  list.horizontalOffset = 0;
  if (redraw) {
    UpdateScrollBars(list);
    RedrawAll(list);
  }
  for (std::size_t i = 0; i < gone.size(); ++i) SendDelete(list, static_cast<int>(i), gone[i]);
}

LRESULT GetText(const ListBox& list, int index, char* buffer) {
  if (!list.Valid(index) || !buffer) return LB_ERR;
  const ListItem& item = list.items[static_cast<std::size_t>(index)];
  if (!list.HasStrings()) {
    std::memcpy(buffer, &item.data, sizeof item.data);
    return sizeof item.data;
  }
  std::memcpy(buffer, item.text.c_str(), item.text.size() + 1);
  return static_cast<LRESULT>(item.text.size());
}

int Find(const ListBox& list, WPARAM start, LPARAM value, bool exact) {
  if (list.HasStrings()) {
    if (!value) return LB_ERR;
    return FindPrefix(list, static_cast<int>(static_cast<INT_PTR>(start)),
                      reinterpret_cast<const char*>(value), exact);
  }
  int count = list.Count();
  int after = static_cast<int>(static_cast<INT_PTR>(start));
  if (after < -1 || after >= count) after = -1;
  for (int step = 1; step <= count; ++step) {
    int i = (after + step) % count;
    if (list.items[static_cast<std::size_t>(i)].data == static_cast<ULONG_PTR>(value)) return i;
  }
  return LB_ERR;
}

LRESULT SetCurrentSelection(ListBox& list, int index) {
  if (list.Multiple()) return LB_ERR;
  if (index == -1) {
    SelectSingle(list, -1);
    return LB_ERR;
  }
  if (!list.Valid(index)) return LB_ERR;
  SelectSingle(list, index);
  MakeVisible(list, index, false);
  return index;
}

LRESULT SetSelection(ListBox& list, bool select, int index) {
  if (!list.Multiple()) return LB_ERR;
  if (index == -1) {
    if (list.Count() > 0) SelectRange(list, 0, list.Count() - 1, select, true);
    return 0;
  }
  if (!list.Valid(index)) return LB_ERR;
  SelectRange(list, index, index, select, true);
  return 0;
}

LRESULT GetSelectedItems(const ListBox& list, int room, int* out) {
  if (!list.Multiple()) return LB_ERR;
  if (!out || room < 0) return LB_ERR;
  int n = 0;
  for (int i = 0; i < list.Count() && n < room; ++i)
    if (list.items[static_cast<std::size_t>(i)].selected) out[n++] = i;
  return n;
}

LRESULT SetItemHeight(ListBox& list, int index, int height) {
  if (height <= 0 || height > kMaximumItemHeight) return LB_ERR;
  if (list.Variable()) {
    if (!list.Valid(index)) return LB_ERR;
    list.items[static_cast<std::size_t>(index)].height = height;
  } else {
    list.itemHeight = height;
  }
  list.top = std::clamp(list.top, 0, LastTop(list));
  UpdateScrollBars(list);
  RedrawAll(list);
  return 0;
}

void SetFont(ListBox& list, HFONT font, bool redraw) {
  list.font = font;
  list.metrics = MetricsOf(font);
  if (!list.OwnerDraw()) list.itemHeight = list.metrics.height;
  list.top = std::clamp(list.top, 0, LastTop(list));
  UpdateScrollBars(list);
  if (redraw) RedrawAll(list);
}

void OnCreate(ListBox& list) {
  if (list.style & LBS_OWNERDRAWFIXED) list.itemHeight = Measure(list, 0, 0);
  if (!list.Alive()) return;
  UpdateScrollBars(list);
}

void OnFocus(ListBox& list, bool focused) {
  list.focused = focused;
  if (!focused && list.tracking) EndTracking(list, false);
  RedrawItem(list, list.Count() ? list.caret : -1, ODA_FOCUS);
  if (!list.combo) NotifyCommand(list.window, focused ? LBN_SETFOCUS : LBN_KILLFOCUS);
}

LRESULT Handle(ListBox& list, UINT message, WPARAM wParam, LPARAM lParam) {
  HWND window = list.window;
  int index = static_cast<int>(static_cast<INT_PTR>(wParam));
  switch (message) {
    case WM_CREATE:
      OnCreate(list);
      return 0;
    case WM_DESTROY:
      if (list.tracking) EndTracking(list, false);
      Reset(list, false);
      return 0;
    case WM_NCDESTROY:
      Detach(list);
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_PAINT: {
      if (wParam) {
        Paint(list, reinterpret_cast<HDC>(wParam), nullptr);
        return 0;
      }
      PAINTSTRUCT ps;
      if (HDC dc = BeginPaint(window, &ps)) {
        if (list.redraw) Paint(list, dc, &ps.rcPaint);
        EndPaint(window, &ps);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;  // the entries and the background are painted together
    case WM_SIZE:
      UpdateScrollBars(list);
      if (!list.updatingBars) RedrawAll(list);
      return 0;
    case WM_SETREDRAW:
      list.redraw = wParam != 0;
      if (list.redraw) UpdateScrollBars(list);
      return 0;
    case WM_SETFONT:
      SetFont(list, reinterpret_cast<HFONT>(wParam), LOWORD(lParam) != 0);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(list.font);
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE:
      RedrawAll(list);
      return 0;
    case WM_SETFOCUS:
      OnFocus(list, true);
      return 0;
    case WM_KILLFOCUS:
      OnFocus(list, false);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_VSCROLL:
      OnVerticalScroll(list, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnHorizontalScroll(list, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      int notches = static_cast<SHORT>(HIWORD(wParam)) / WHEEL_DELTA;
      SetTop(list, list.top - notches * static_cast<int>(lines));
      return 0;
    }
    case WM_MOUSEACTIVATE:
      // A click in a dropped-down list picks an entry; it never takes the activation (and
      // with it the focus) from the window that holds the combo box.
      if (list.popup) return MA_NOACTIVATE;
      return DefWindowProcA(window, message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
    case WM_CAPTURECHANGED:
    case WM_CANCELMODE:
      return ListMouse(list, message, wParam, lParam);
    case WM_TIMER:
      ListTimer(list);
      return 0;
    case WM_KEYDOWN:
    case WM_CHAR:
      return ListKey(list, message, wParam, lParam);

    case LB_ADDSTRING:
      return Insert(list, -1, lParam, list.Sorted());
    case LB_INSERTSTRING:
      return Insert(list, index, lParam, false);
    case LB_DELETESTRING:
      return Delete(list, index);
    case LB_RESETCONTENT:
      Reset(list, true);
      return 0;
    case LB_GETCOUNT:
      return list.Count();
    case LB_GETTEXT:
      return GetText(list, index, reinterpret_cast<char*>(lParam));
    case LB_GETTEXTLEN:
      if (!list.Valid(index)) return LB_ERR;
      return list.HasStrings()
                 ? static_cast<LRESULT>(list.items[static_cast<std::size_t>(index)].text.size())
                 : static_cast<LRESULT>(sizeof(ULONG_PTR));
    case LB_GETITEMDATA:
      if (!list.Valid(index)) return LB_ERR;
      return static_cast<LRESULT>(list.items[static_cast<std::size_t>(index)].data);
    case LB_SETITEMDATA:
      if (!list.Valid(index)) return LB_ERR;
      list.items[static_cast<std::size_t>(index)].data = static_cast<ULONG_PTR>(lParam);
      return TRUE;
    case LB_FINDSTRING:
      return Find(list, wParam, lParam, false);
    case LB_FINDSTRINGEXACT:
      return Find(list, wParam, lParam, true);
    case LB_SELECTSTRING: {
      int found = Find(list, wParam, lParam, false);
      if (found < 0 || list.Multiple()) return LB_ERR;
      SetCurrentSelection(list, found);
      return found;
    }
    case LB_SETCURSEL:
      return SetCurrentSelection(list, index);
    case LB_GETCURSEL:
      if (list.Multiple()) return list.Count() ? list.caret : LB_ERR;
      return list.current;
    case LB_SETSEL:
      return SetSelection(list, wParam != 0, static_cast<int>(static_cast<LONG>(lParam)));
    case LB_GETSEL:
      if (!list.Valid(index)) return LB_ERR;
      return list.IsSelected(index) ? 1 : 0;
    case LB_GETSELCOUNT:
      if (!list.Multiple()) return LB_ERR;
      return std::count_if(list.items.begin(), list.items.end(),
                           [](const ListItem& item) { return item.selected; });
    case LB_GETSELITEMS:
      return GetSelectedItems(list, index, reinterpret_cast<int*>(lParam));
    case LB_SELITEMRANGE: {
      if (!list.Multiple()) return LB_ERR;
      int first = LOWORD(lParam), last = HIWORD(lParam);
      if (list.Count() == 0) return 0;
      SelectRange(list, std::min(first, list.Count() - 1), std::min(last, list.Count() - 1),
                  wParam != 0, true);
      return 0;
    }
    case LB_SELITEMRANGEEX: {
      if (!list.Multiple() || list.Count() == 0) return LB_ERR;
      int first = static_cast<int>(static_cast<INT_PTR>(wParam));
      int last = static_cast<int>(lParam);
      bool select = first <= last;
      SelectRange(list, std::clamp(std::min(first, last), 0, list.Count() - 1),
                  std::clamp(std::max(first, last), 0, list.Count() - 1), select, true);
      return 0;
    }
    case LB_SETTOPINDEX:
      if (!list.Valid(index) && !(index == 0 && list.Count() == 0)) return LB_ERR;
      SetTop(list, index);
      return 0;
    case LB_GETTOPINDEX:
      return list.top;
    case LB_SETCARETINDEX:
      if (!list.Valid(index)) return LB_ERR;
      SetCaret(list, index);
      MakeVisible(list, index, LOWORD(lParam) == 0);
      return 0;
    case LB_GETCARETINDEX:
      if (!list.Multiple() && list.current >= 0) return list.current;
      return list.caret;
    case LB_SETANCHORINDEX:
      if (!list.Valid(index)) return LB_ERR;
      list.anchor = index;
      return 0;
    case LB_GETANCHORINDEX:
      return list.anchor;
    case LB_SETITEMHEIGHT:
      return SetItemHeight(list, index, static_cast<int>(static_cast<SHORT>(LOWORD(lParam))));
    case LB_GETITEMHEIGHT:
      if (list.Variable()) return list.Valid(index) ? HeightOf(list, index) : LB_ERR;
      return list.itemHeight;
    case LB_GETITEMRECT: {
      auto* out = reinterpret_cast<RECT*>(lParam);
      // The first slot has a rectangle even while the list is empty.
      if (!out || !(list.Valid(index) || (index == 0 && list.Count() == 0))) return LB_ERR;
      *out = ItemRect(list, index);
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      bool outside = false;
      int at = ItemAt(list, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, &outside);
      return MAKELONG(static_cast<WORD>(at), outside ? 1 : 0);
    }
    case LB_SETHORIZONTALEXTENT:
      list.horizontalExtent = std::max(0, index);
      UpdateScrollBars(list);
      RedrawAll(list);
      return 0;
    case LB_GETHORIZONTALEXTENT:
      return list.horizontalExtent;
    case LB_SETCOLUMNWIDTH:
      list.columnWidth = std::max(0, index);
      list.top = std::clamp(list.top, 0, LastTop(list));
      UpdateScrollBars(list);
      RedrawAll(list);
      return 0;
    case LB_SETTABSTOPS: {
      if (!(list.style & LBS_USETABSTOPS)) return FALSE;
      const int* stops = reinterpret_cast<const int*>(lParam);
      if (index < 0 || (index > 0 && !stops)) return FALSE;
      list.tabStops.assign(stops, stops + index);
      RedrawAll(list);
      return TRUE;
    }
    case LB_INITSTORAGE:
      if (index > 0) list.items.reserve(list.items.size() + static_cast<std::size_t>(index));
      return static_cast<LRESULT>(list.items.capacity());
    case LB_SETLOCALE:
      return static_cast<LRESULT>(static_cast<LCID>(LOCALE_USER_DEFAULT));
    case LB_GETLOCALE:
      return static_cast<LRESULT>(static_cast<LCID>(LOCALE_USER_DEFAULT));
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

}  // namespace

void NotifyList(ListBox& list, WORD code) {
  if (!list.Notifies()) return;
  if (list.combo) {
    ComboListNotify(list.combo, code);
    return;
  }
  NotifyCommand(list.window, code);
}

bool SelectSingle(ListBox& list, int index) {
  int old = list.current;
  if (old == index) return false;
  list.current = index;
  int oldCaret = list.caret;
  if (index >= 0) list.caret = index;
  RedrawItem(list, old, ODA_SELECT);
  if (index >= 0) RedrawItem(list, index, ODA_SELECT);
  if (oldCaret != list.caret && oldCaret != old) RedrawItem(list, oldCaret, ODA_FOCUS);
  return true;
}

void SetCaret(ListBox& list, int index) {
  if (index == list.caret) return;
  int old = list.caret;
  list.caret = index;
  RedrawItem(list, old, ODA_FOCUS);
  RedrawItem(list, index, ODA_FOCUS);
}

bool SelectRange(ListBox& list, int from, int to, bool select, bool keep) {
  if (from > to) std::swap(from, to);
  bool changed = false;
  for (int i = 0; i < list.Count(); ++i) {
    bool inside = i >= from && i <= to;
    if (!inside && keep) continue;
    bool wanted = inside ? select : false;
    ListItem& item = list.items[static_cast<std::size_t>(i)];
    if (item.selected == wanted) continue;
    item.selected = wanted;
    changed = true;
    RedrawItem(list, i, ODA_SELECT);
  }
  return changed;
}

bool Toggle(ListBox& list, int index) {
  if (!list.Valid(index)) return false;
  ListItem& item = list.items[static_cast<std::size_t>(index)];
  item.selected = !item.selected;
  RedrawItem(list, index, ODA_SELECT);
  return true;
}

int FindPrefix(const ListBox& list, int after, const std::string& prefix, bool exact) {
  int count = list.Count();
  if (count == 0) return LB_ERR;
  if (after < -1 || after >= count) after = -1;
  for (int step = 1; step <= count; ++step) {
    int i = (after + step) % count;
    const std::string& text = list.items[static_cast<std::size_t>(i)].text;
    if (exact ? text.size() != prefix.size() : text.size() < prefix.size()) continue;
    if (kernel::SameNoCase(std::string_view(text).substr(0, prefix.size()), prefix)) return i;
  }
  return LB_ERR;
}

void AttachListToCombo(HWND window, HWND combo, bool popup) {
  std::shared_ptr<ListBox> list = Attach<ListBox>(window);
  if (!list) return;
  Initialize(*list);
  list->combo = combo;
  list->popup = popup;
}

LRESULT ListBoxProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  std::shared_ptr<ListBox> list = Attach<ListBox>(window);
  if (!list) return DefWindowProcA(window, message, wParam, lParam);
  Initialize(*list);
  return Handle(*list, message, wParam, lParam);
}

}  // namespace platform::controls
