// "LISTBOX" (and "ComboLBox", the list of a combo box): the entries, their selection, the
// view over them (top entry, scrolling, columns) and the owner-draw protocol.
#pragma once
#include <string>
#include <vector>

#include "controls/common.h"
#include "private.h"

namespace platform::controls {

struct ListItem {
  std::string text;  // empty for owner-drawn lists without strings
  ULONG_PTR data = 0;
  int height = 0;         // variable owner-draw only
  bool selected = false;  // multiple-selection lists only
};

struct ListBox : Control {
  static constexpr Kind kKind = Kind::ListBox;
  explicit ListBox(HWND window) : Control(kKind, window) {}

  bool initialized = false;
  DWORD style = 0;  // the list box styles, fixed at creation
  FontMetrics metrics;
  bool hasVerticalBar = false;    // created with WS_VSCROLL
  bool hasHorizontalBar = false;  // created with WS_HSCROLL
  std::vector<ListItem> items;
  int top = 0;       // first visible entry
  int caret = 0;     // the entry with the focus rectangle
  int anchor = 0;    // where an extended selection started
  int current = -1;  // the selected entry of a single-selection list
  int itemHeight = 16;
  int horizontalExtent = 0;
  int horizontalOffset = 0;
  int columnWidth = 0;
  std::vector<int> tabStops;  // dialog units
  bool redraw = true;
  bool focused = false;
  bool tracking = false;    // a left press is being followed
  WPARAM trackKeys = 0;     // the modifier keys of the press
  bool clicked = false;     // the press (or the drag) reached an entry: the release reports it
  int scrollDirection = 0;  // while tracking outside: -1 up, 1 down
  bool updatingBars = false;
  char lastTyped = 0;
  HWND combo = nullptr;  // the combo box this list belongs to
  bool popup = false;    // the dropped-down list of a combo box

  bool OwnerDraw() const { return style & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE); }
  bool Variable() const { return (style & LBS_OWNERDRAWVARIABLE) && !(style & LBS_MULTICOLUMN); }
  bool HasStrings() const { return !OwnerDraw() || (style & LBS_HASSTRINGS); }
  bool Multiple() const { return style & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL); }
  bool Extended() const { return style & LBS_EXTENDEDSEL; }
  bool MultiColumn() const { return style & LBS_MULTICOLUMN; }
  bool Sorted() const { return style & LBS_SORT; }
  bool Notifies() const { return (style & LBS_NOTIFY) || combo; }
  int Count() const { return static_cast<int>(items.size()); }
  bool Valid(int index) const { return index >= 0 && index < Count(); }
  bool IsSelected(int index) const {
    return Multiple() ? items[static_cast<std::size_t>(index)].selected : index == current;
  }
};

// View (listbox_view.cpp).
int HeightOf(const ListBox& list, int index);
// Entries that fit the client area from `top` (whole entries, at least 1).
int PageSize(const ListBox& list);
int RowsPerColumn(const ListBox& list);
int LastTop(const ListBox& list);
RECT ItemRect(const ListBox& list, int index);
// The entry at a client point (nearest when outside), and whether the point is beyond it.
int ItemAt(const ListBox& list, POINT p, bool* outside);
void SetTop(ListBox& list, int top);
void MakeVisible(ListBox& list, int index, bool fully);
void UpdateScrollBars(ListBox& list);
void RedrawItem(ListBox& list, int index, UINT action);
void RedrawAll(ListBox& list);
void Paint(ListBox& list, HDC dc, const RECT* area);
void OnVerticalScroll(ListBox& list, int code);
void OnHorizontalScroll(ListBox& list, int code);

// Entries and selection (listbox.cpp).
void NotifyList(ListBox& list, WORD code);
// The user (or the program) selects one entry of a single-selection list.
bool SelectSingle(ListBox& list, int index);
void SetCaret(ListBox& list, int index);
// Extended selection: selects the range from the anchor to `index` (clearing the rest
// unless `keep`).
bool SelectRange(ListBox& list, int from, int to, bool select, bool keep);
bool Toggle(ListBox& list, int index);
int FindPrefix(const ListBox& list, int after, const std::string& prefix, bool exact);

// Input (listbox_input.cpp).
LRESULT ListMouse(ListBox& list, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT ListKey(ListBox& list, UINT message, WPARAM wParam, LPARAM lParam);
void ListTimer(ListBox& list);
void EndTracking(ListBox& list, bool notify);

// Joins a list to its combo box: notifications and owner-draw requests go to the combo.
void AttachListToCombo(HWND list, HWND combo, bool popup);
// What a combo box's list tells its combo (combobox.cpp): LBN_ codes, and for the
// dropped-down list the end of a pick (LBN_SELCHANGE after a release on an entry,
// LBN_SELCANCEL for a press outside the list, which holds the mouse capture).
void ComboListNotify(HWND combo, WORD code);
// The left button went up while the dropped-down list held the mouse.
void ComboPopupRelease(HWND combo);

}  // namespace platform::controls
