// Menu handles and items: building, querying and changing menus, stale handles, the bar in
// the window frame and the system menu.
#include <cstring>
#include <string>

#include "user_test_util.h"

using namespace usertest;

namespace {

class MenuTest : public UserTest {};

std::string StringOf(HMENU menu, UINT item, UINT flags) {
  char buffer[64];
  int n = GetMenuStringA(menu, item, buffer, sizeof(buffer), flags);
  return std::string(buffer, static_cast<std::size_t>(n));
}

RECT ClientOnScreen(HWND w) {
  RECT r;
  GetClientRect(w, &r);
  POINT p{0, 0};
  ClientToScreen(w, &p);
  return RECT{p.x, p.y, p.x + r.right, p.y + r.bottom};
}

}  // namespace

TEST_F(MenuTest, PositionsPastTheEndAppendWhenInsertingAndFailOtherwise) {
  HMENU menu = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(menu, MF_STRING, 10, "&Open"));
  ASSERT_TRUE(InsertMenuA(menu, 99, MF_BYPOSITION | MF_STRING, 11, "&Save"));
  ASSERT_TRUE(InsertMenuA(menu, 0, MF_BYPOSITION | MF_STRING, 9, "&New"));
  ASSERT_TRUE(InsertMenuA(menu, 11, MF_BYCOMMAND | MF_STRING, 12, "Save &As"));
  EXPECT_EQ(GetMenuItemCount(menu), 4);
  EXPECT_EQ(GetMenuItemID(menu, 0), 9u);
  EXPECT_EQ(GetMenuItemID(menu, 2), 12u);
  EXPECT_EQ(StringOf(menu, 3, MF_BYPOSITION), "&Save");

  SetLastError(0);
  EXPECT_FALSE(ModifyMenuA(menu, 4, MF_BYPOSITION | MF_STRING, 1, "x"));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MENU_ITEM_NOT_FOUND));
  EXPECT_FALSE(DeleteMenu(menu, 77, MF_BYCOMMAND));
  EXPECT_FALSE(InsertMenuA(menu, 77, MF_BYCOMMAND | MF_STRING, 1, "x"));
  EXPECT_EQ(GetMenuItemID(menu, 4), static_cast<UINT>(-1));
  EXPECT_EQ(GetMenuState(menu, 4, MF_BYPOSITION), static_cast<UINT>(-1));
  DestroyMenu(menu);
}

TEST_F(MenuTest, CommandsAreFoundInSubMenusAndStatesReportTheirFlags) {
  HMENU bar = CreateMenu(), file = CreatePopupMenu(), recent = CreatePopupMenu();
  AppendMenuA(recent, MF_STRING | MF_CHECKED, 30, "one.mid");
  AppendMenuA(recent, MF_STRING | MF_GRAYED, 31, "two.mid");
  AppendMenuA(file, MF_STRING, 20, "E&xit");
  AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
  AppendMenuA(file, MF_SEPARATOR, 0, nullptr);
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");

  EXPECT_EQ(GetMenuState(bar, 30, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(GetMenuState(bar, 31, MF_BYCOMMAND), static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(GetMenuState(file, 1, MF_BYPOSITION), static_cast<UINT>((2 << 8) | MF_POPUP));
  EXPECT_EQ(GetMenuState(file, 2, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetMenuItemID(file, 1), static_cast<UINT>(-1));
  EXPECT_EQ(GetSubMenu(bar, 0), file);
  EXPECT_EQ(StringOf(bar, 20, MF_BYCOMMAND), "E&xit");

  // Check and enable answer the state before the change, -1 for a missing item.
  EXPECT_EQ(CheckMenuItem(bar, 30, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(CheckMenuItem(bar, 30, MF_BYCOMMAND | MF_CHECKED), static_cast<DWORD>(MF_UNCHECKED));
  EXPECT_EQ(EnableMenuItem(bar, 31, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  EXPECT_EQ(EnableMenuItem(bar, 31, MF_BYCOMMAND | MF_GRAYED), MF_ENABLED);
  EXPECT_EQ(CheckMenuItem(bar, 99, MF_CHECKED), static_cast<DWORD>(-1));
  EXPECT_EQ(EnableMenuItem(bar, 99, MF_GRAYED), -1);
  DestroyMenu(bar);
}

TEST_F(MenuTest, DeleteDestroysTheSubMenuRemoveKeepsIt) {
  HMENU bar = CreateMenu(), a = CreatePopupMenu(), b = CreatePopupMenu(), inner = CreatePopupMenu();
  AppendMenuA(a, MF_POPUP, reinterpret_cast<UINT_PTR>(inner), "Inner");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(a), "A");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(b), "B");
  EXPECT_TRUE(RemoveMenu(bar, 1, MF_BYPOSITION));
  EXPECT_TRUE(IsMenu(b));
  EXPECT_TRUE(DeleteMenu(bar, 0, MF_BYPOSITION));
  EXPECT_FALSE(IsMenu(a));
  EXPECT_FALSE(IsMenu(inner));  // sub-menus go with their menu
  EXPECT_EQ(GetMenuItemCount(bar), 0);
  DestroyMenu(bar);
  DestroyMenu(b);
}

TEST_F(MenuTest, EveryCallRefusesADestroyedMenu) {
  HMENU menu = CreatePopupMenu();
  AppendMenuA(menu, MF_STRING, 1, "x");
  ASSERT_TRUE(DestroyMenu(menu));
  HMENU other = CreatePopupMenu();  // may reuse the slot, never the handle
  EXPECT_NE(other, menu);
  auto refused = [](bool failed) {
    return failed && GetLastError() == static_cast<DWORD>(ERROR_INVALID_MENU_HANDLE);
  };
  SetLastError(0);
  EXPECT_TRUE(refused(!DestroyMenu(menu)));
  EXPECT_TRUE(refused(!AppendMenuA(menu, MF_STRING, 2, "y")));
  EXPECT_TRUE(refused(GetMenuItemCount(menu) == -1));
  EXPECT_TRUE(refused(CheckMenuItem(menu, 1, MF_CHECKED) == static_cast<DWORD>(-1)));
  EXPECT_TRUE(refused(GetMenuState(menu, 0, MF_BYPOSITION) == static_cast<UINT>(-1)));
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_ID;
  EXPECT_TRUE(refused(!GetMenuItemInfoA(menu, 0, TRUE, &info)));
  EXPECT_FALSE(IsMenu(menu));
  HWND w = TopLevel();
  EXPECT_TRUE(refused(!SetMenu(w, menu)));
  EXPECT_TRUE(refused(!TrackPopupMenu(menu, 0, 0, 0, 0, w, nullptr)));
  // A sub-menu that does not exist, or one that would hold its own parent, is refused.
  EXPECT_FALSE(AppendMenuA(other, MF_POPUP, reinterpret_cast<UINT_PTR>(menu), "gone"));
  HMENU child = CreatePopupMenu();
  ASSERT_TRUE(AppendMenuA(other, MF_POPUP, reinterpret_cast<UINT_PTR>(child), "child"));
  EXPECT_FALSE(AppendMenuA(child, MF_POPUP, reinterpret_cast<UINT_PTR>(other), "loop"));
  EXPECT_FALSE(AppendMenuA(child, MF_POPUP, reinterpret_cast<UINT_PTR>(child), "self"));
  DestroyMenu(other);
  EXPECT_FALSE(IsMenu(child));
}

TEST_F(MenuTest, ItemInfoRoundTripsAndReportsTextLengths) {
  HMENU menu = CreatePopupMenu();
  char text[] = "&Repeat\tF2";
  MENUITEMINFOA info{};
  info.cbSize = sizeof(info);
  info.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA;
  info.fType = MFT_RADIOCHECK | MFT_MENUBREAK;
  info.fState = MFS_CHECKED | MFS_DEFAULT;
  info.wID = 116;
  info.dwItemData = 0xABCD;
  info.dwTypeData = text;
  ASSERT_TRUE(InsertMenuItemA(menu, 0, TRUE, &info));
  // The historical size without the item bitmap is accepted; an unknown size is not.
  MENUITEMINFOA old = info;
  old.cbSize = 44;
  EXPECT_TRUE(InsertMenuItemA(menu, 5, TRUE, &old));
  old.cbSize = 40;
  EXPECT_FALSE(InsertMenuItemA(menu, 5, TRUE, &old));

  MENUITEMINFOA out{};
  out.cbSize = sizeof(out);
  out.fMask = MIIM_STATE | MIIM_ID | MIIM_TYPE | MIIM_DATA;
  ASSERT_TRUE(GetMenuItemInfoA(menu, 116, FALSE, &out));
  EXPECT_EQ(out.cch, 10u);  // no buffer: the length
  char buffer[5];
  out.dwTypeData = buffer;
  out.cch = sizeof(buffer);
  ASSERT_TRUE(GetMenuItemInfoA(menu, 0, TRUE, &out));
  EXPECT_STREQ(buffer, "&Rep");
  EXPECT_EQ(out.cch, 4u);
  EXPECT_EQ(out.fType, static_cast<UINT>(MFT_RADIOCHECK | MFT_MENUBREAK));
  EXPECT_EQ(out.fState, static_cast<UINT>(MFS_CHECKED | MFS_DEFAULT));
  EXPECT_EQ(out.dwItemData, 0xABCDu);
  EXPECT_EQ(GetMenuDefaultItem(menu, TRUE, 0), 0u);

  MENUITEMINFOA change{};
  change.cbSize = sizeof(change);
  change.fMask = MIIM_STRING;
  change.dwTypeData = const_cast<char*>("&Sequence\tF3");
  ASSERT_TRUE(SetMenuItemInfoA(menu, 116, FALSE, &change));
  EXPECT_EQ(StringOf(menu, 116, MF_BYCOMMAND), "&Sequence\tF3");
  EXPECT_EQ(GetMenuState(menu, 116, MF_BYCOMMAND) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  DestroyMenu(menu);
}

TEST_F(MenuTest, RadioItemsAndTheDefaultItemAreExclusive) {
  HMENU menu = CreatePopupMenu();
  for (UINT id = 1; id <= 4; ++id) AppendMenuA(menu, MF_STRING, id, "item");
  ASSERT_TRUE(CheckMenuRadioItem(menu, 1, 3, 2, MF_BYCOMMAND));
  ASSERT_TRUE(CheckMenuRadioItem(menu, 0, 2, 2, MF_BYPOSITION));
  EXPECT_EQ(GetMenuState(menu, 2, MF_BYCOMMAND) & MF_CHECKED, 0u);
  EXPECT_EQ(GetMenuState(menu, 3, MF_BYCOMMAND), static_cast<UINT>(MF_CHECKED | MFT_RADIOCHECK));
  EXPECT_EQ(GetMenuState(menu, 4, MF_BYCOMMAND), 0u);  // outside the range: untouched
  ASSERT_TRUE(SetMenuDefaultItem(menu, 1, FALSE));
  ASSERT_TRUE(SetMenuDefaultItem(menu, 3, TRUE));
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), 4u);
  EXPECT_FALSE(SetMenuDefaultItem(menu, 9, FALSE));
  ASSERT_TRUE(SetMenuDefaultItem(menu, static_cast<UINT>(-1), FALSE));
  EXPECT_EQ(GetMenuDefaultItem(menu, FALSE, 0), static_cast<UINT>(-1));
  DestroyMenu(menu);
}

TEST_F(MenuTest, TheBarTakesItsHeightFromTheFrameAndWrapsWhenNarrow) {
  HWND w = TopLevel(10, 10, 300, 200);
  RECT before;
  GetClientRect(w, &before);
  HMENU bar = CreateMenu();
  for (const char* caption : {"&File", "&Edit", "&View", "&Option", "&Window", "&Help"})
    AppendMenuA(bar, MF_STRING, 1, caption);
  ASSERT_TRUE(SetMenu(w, bar));
  EXPECT_EQ(GetMenu(w), bar);
  RECT one;
  GetClientRect(w, &one);
  EXPECT_EQ(before.bottom - one.bottom, GetSystemMetrics(SM_CYMENU));
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(30, ClientOnScreen(w).top - 5)), HTMENU);

  MoveWindow(w, 10, 10, 120, 200, TRUE);
  RECT narrow;
  GetClientRect(w, &narrow);
  EXPECT_GE(200 - narrow.bottom, 2 * GetSystemMetrics(SM_CYMENU) + GetSystemMetrics(SM_CYCAPTION));
  RECT first, last;
  ASSERT_TRUE(GetMenuItemRect(w, bar, 0, &first));
  ASSERT_TRUE(GetMenuItemRect(w, bar, 5, &last));
  EXPECT_GT(last.top, first.top);
  EXPECT_LE(last.bottom, ClientOnScreen(w).top);

  // A change reaches the frame with DrawMenuBar.
  MoveWindow(w, 10, 10, 600, 200, TRUE);
  AppendMenuA(bar, MF_STRING | MF_MENUBREAK, 2, "&Second line");
  ASSERT_TRUE(DrawMenuBar(w));
  RECT two;
  GetClientRect(w, &two);
  EXPECT_EQ(one.bottom - two.bottom, GetSystemMetrics(SM_CYMENU));

  ASSERT_TRUE(SetMenu(w, nullptr));
  RECT none;
  GetClientRect(w, &none);
  EXPECT_EQ(none.bottom, before.bottom);
  EXPECT_TRUE(IsMenu(bar));  // taking a menu off a window keeps it
  ASSERT_TRUE(SetMenu(w, bar));
  DestroyWindow(w);
  EXPECT_FALSE(IsMenu(bar));  // a window's bar goes with the window
}

TEST_F(MenuTest, TheSystemMenuIsTheWindowsOwnCopy) {
  HWND w = TopLevel();
  HMENU system = GetSystemMenu(w, FALSE);
  ASSERT_TRUE(system);
  EXPECT_EQ(GetSystemMenu(w, FALSE), system);
  EXPECT_EQ(GetMenuItemCount(system), 7);
  EXPECT_EQ(StringOf(system, SC_CLOSE, MF_BYCOMMAND), "&Close\tAlt+F4");
  EXPECT_EQ(GetMenuDefaultItem(system, FALSE, 0), static_cast<UINT>(SC_CLOSE));
  // Taking out entries, as the application window does.
  EXPECT_TRUE(DeleteMenu(system, SC_MAXIMIZE, MF_BYCOMMAND));
  EXPECT_TRUE(DeleteMenu(system, SC_SIZE, MF_BYCOMMAND));
  EXPECT_TRUE(DeleteMenu(system, SC_MOVE, MF_BYCOMMAND));
  EXPECT_EQ(GetMenuItemCount(system), 4);
  // Reverting drops the copy; the next request makes a fresh one.
  EXPECT_EQ(GetSystemMenu(w, TRUE), nullptr);
  EXPECT_FALSE(IsMenu(system));
  HMENU fresh = GetSystemMenu(w, FALSE);
  EXPECT_EQ(GetMenuItemCount(fresh), 7);
  HWND noBox = TopLevel(0, 0, 100, 100, WS_POPUP);
  EXPECT_EQ(GetSystemMenu(noBox, FALSE), nullptr);
  DestroyWindow(w);
  EXPECT_FALSE(IsMenu(fresh));
}
