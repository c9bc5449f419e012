// The window manager's menu records: menus behind opaque handles (index and generation,
// like windows), their items, the layout of a menu bar and of a pop-up, and the entry
// points of the menu loop. GUI thread only.
#pragma once
#include <string>
#include <vector>

#include "platform/menu.h"
#include "private.h"
#include "user/state.h"

namespace platform::user {

struct MenuItem {
  UINT type = MFT_STRING;  // MFT_ bits
  UINT state = 0;          // MFS_ bits; MFS_HILITE marks the selected item
  UINT id = 0;
  HMENU subMenu = nullptr;
  HBITMAP checkedBitmap = nullptr;
  HBITMAP uncheckedBitmap = nullptr;
  HBITMAP bitmap = nullptr;  // MFT_BITMAP items
  ULONG_PTR data = 0;
  std::string text;  // the whole text: caption, then a tab and the shortcut text
  // Layout: bar items in window coordinates, pop-up items in the pop-up's client area.
  RECT rect{0, 0, 0, 0};
  // The x of the bar drawn before this item's column (MFT_MENUBARBREAK), or -1.
  int barBefore = -1;

  bool Separator() const { return (type & MFT_SEPARATOR) != 0; }
  bool Grayed() const { return (state & MF_GRAYED) != 0; }
  bool Inactive() const { return (state & (MF_GRAYED | MF_DISABLED)) != 0; }
  // What the keyboard and the mouse can highlight (grayed items too, as usual).
  bool Selectable() const { return !Separator(); }
};

struct Menu {
  HMENU handle = nullptr;
  bool popup = false;   // made by CreatePopupMenu
  bool system = false;  // a window's system menu
  std::vector<MenuItem> items;
  HWND barOf = nullptr;    // the window showing this menu as its bar (SetMenu)
  HWND shownIn = nullptr;  // the pop-up window showing it while a menu loop runs
  SIZE popupSize{0, 0};    // the pop-up's size after LayoutPopup
};

// Handles (menu.cpp).
Menu* LookupMenu(HMENU menu);  // sets ERROR_INVALID_MENU_HANDLE for a stale handle
Menu* LookupMenuQuiet(HMENU menu);
// The menu holding an item and its index there: by position in `menu`, or by command in
// `menu` and its sub-menus, depth first. False (and ERROR_MENU_ITEM_NOT_FOUND) when absent.
bool FindMenuItem(HMENU menu, UINT item, bool byPosition, Menu** owner, int* index);
// A menu's contents changed: a pop-up showing it is laid out and drawn again.
void MenuContentChanged(Menu* menu);
// Destroys the menu bar and system menu a window still holds (the window is going).
void DestroyMenusOf(Window* w);

// Layout and drawing (menu_draw.cpp).
HFONT MenuFont(bool bold = false);
// The text before the tab, and after it.
std::string CaptionPart(const std::string& text);
std::string ShortcutPart(const std::string& text);
// Lays out a bar within `bar` (window coordinates); returns the bar's height.
int LayoutBar(Menu* menu, const RECT& bar);
void LayoutPopup(Menu* menu);
void DrawBar(Menu* menu, HDC windowDc, const RECT& bar, bool windowActive);
void DrawBarItem(Menu* menu, HDC windowDc, int index);
void DrawPopup(Menu* menu, HDC dc, const RECT& client);
void DrawPopupItem(Menu* menu, HDC dc, int index);

// The menu bar in the non-client area (menu_bar.cpp).
bool HasMenuBar(const Window* w);
// The bar's rectangle in window coordinates, laid out for the window's current width.
RECT MenuBarRect(Window* w);
// The bar's height for a window of this width (and style).
int MenuBarHeight(Window* w, int windowWidth);
void PaintMenuBar(Window* w, HDC windowDc);
// Draws the bar now, outside any paint cycle (selection changes during a menu loop).
void RedrawMenuBar(HWND window);
int BarItemAt(Window* w, POINT screen);

// The menu loop (menu_loop.cpp). `character` 0 selects the first bar item, ' ' opens the
// system menu, another character is a mnemonic.
void TrackMenuBarByMouse(HWND window, POINT screen);
void TrackMenuBarByKey(HWND window, char character);
void TrackSystemMenu(HWND window, POINT screen, bool byKey);
bool MenuLoopActive();
// Wakes a menu loop waiting for input so that it sees a menu destroyed outside any message.
void NudgeMenuLoop();

// The system menu (sysmenu.cpp): its default items, and their states for a window.
HMENU MakeSystemMenu();
void UpdateSystemMenu(Window* w, HMENU menu);

}  // namespace platform::user
