#include <string>

#include "controls_test_util.h"

using namespace controltest;

namespace {

class ListBoxStylesTest : public ControlTest {
 protected:
  HWND List(DWORD style, int width = 120, int height = 100) {
    HWND list = Make(WC_LISTBOXA, "", style | LBS_NOINTEGRALHEIGHT | WS_TABSTOP, 10, 10, width,
                     height, 5, WS_EX_CLIENTEDGE);
    pt::PumpUntilIdle();
    Notes().clear();
    return list;
  }
  static void Add(HWND list, int count, const char* stem = "entry ") {
    for (int i = 0; i < count; ++i) {
      std::string text = stem + std::to_string(i);
      SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
  }
  static RECT ItemRect(HWND list, int i) {
    RECT r{};
    SendMessageA(list, LB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&r));
    return r;
  }
  static void ClickItem(HWND list, int i) {
    RECT r = ItemRect(list, i);
    ClickAt(list, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  static std::vector<int> Selected(HWND list) {
    int items[64];
    int n =
        static_cast<int>(SendMessageA(list, LB_GETSELITEMS, 64, reinterpret_cast<LPARAM>(items)));
    return std::vector<int>(items, items + std::max(n, 0));
  }
  // The rightmost dark pixel of a row of the list's client area.
  static int LastInk(HWND list, int y) {
    for (int x = 110; x >= 0; --x)
      if (pt::WindowPixel(list, x, y) == kBlack) return x;
    return -1;
  }
};

}  // namespace

TEST_F(ListBoxStylesTest, MultipleSelectionTogglesWithClicksAndSpace) {
  HWND list = List(LBS_NOTIFY | LBS_HASSTRINGS | LBS_MULTIPLESEL | WS_VSCROLL);
  Add(list, 6);
  ClickItem(list, 1);
  ClickItem(list, 3);
  pt::PumpUntilIdle();
  EXPECT_EQ(Selected(list), (std::vector<int>{1, 3}));
  ClickItem(list, 1);  // a second click takes it out again
  pt::PumpUntilIdle();
  EXPECT_EQ(Selected(list), (std::vector<int>{3}));
  EXPECT_EQ(Commands(),
            (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE, LBN_SELCHANGE, LBN_SELCHANGE}));
  // The arrows move the focus only; Space toggles the entry that has it.
  pt::PressKey(VK_DOWN);
  pt::PressKey(VK_DOWN);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 3);
  EXPECT_EQ(Selected(list), (std::vector<int>{3}));
  pt::PressKey(VK_SPACE);
  pt::PressKey(VK_DOWN);
  pt::PressKey(VK_SPACE);
  pt::PumpUntilIdle();
  EXPECT_EQ(Selected(list), (std::vector<int>{4}));
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 1);
  // The single-selection messages belong to the other kind of list.
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 2, 0), LB_ERR);
  EXPECT_EQ(Selected(list), (std::vector<int>{4}));
  EXPECT_EQ(SendMessageA(list, LB_SETSEL, TRUE, -1), 0);  // -1: every entry
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 6);
}

TEST_F(ListBoxStylesTest, WantKeyboardInputLetsTheParentDecide) {
  HWND list = List(LBS_NOTIFY | LBS_HASSTRINGS | LBS_WANTKEYBOARDINPUT | WS_VSCROLL);
  Add(list, 8);
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SetFocus(list);
  pt::PumpUntilIdle();
  LRESULT answer = -1;
  ParentHook() = [&](UINT m, WPARAM, LPARAM) -> LRESULT {
    return m == WM_VKEYTOITEM ? answer : -12345;
  };
  Notes().clear();
  pt::PressKey(VK_DOWN);  // -1: the list does what the key does
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
  ASSERT_EQ(CountOf(WM_VKEYTOITEM), 1);
  EXPECT_EQ(LOWORD(Notes()[0].wParam), VK_DOWN);
  EXPECT_EQ(HIWORD(Notes()[0].wParam), 1);  // the caret before the key
  EXPECT_EQ(Notes()[0].lParam, reinterpret_cast<LPARAM>(list));
  answer = -2;  // taken: nothing moves
  pt::PressKey(VK_DOWN);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 2);
  answer = 5;  // the key acts from entry 5
  pt::PressKey(VK_DOWN);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), 6);

  // Without strings the characters are the parent's too.
  HWND drawn = List(LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_WANTKEYBOARDINPUT);
  for (int i = 0; i < 4; ++i) SendMessageA(drawn, LB_ADDSTRING, 0, 100 + i);
  SetFocus(drawn);
  pt::PumpUntilIdle();
  ParentHook() = [](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    if (m == WM_CHARTOITEM) return LOWORD(wp) == 'c' ? 2 : -1;
    return -12345;
  };
  Notes().clear();
  pt::TypeText("c");
  pt::PumpUntilIdle();
  EXPECT_EQ(CountOf(WM_CHARTOITEM), 1);
  EXPECT_EQ(SendMessageA(drawn, LB_GETCURSEL, 0, 0), 2);
}

TEST_F(ListBoxStylesTest, MultipleColumnsFillDownThenAcross) {
  HWND list = List(LBS_NOTIFY | LBS_HASSTRINGS | LBS_MULTICOLUMN | WS_HSCROLL, 200, 100);
  SendMessageA(list, LB_SETCOLUMNWIDTH, 60, 0);
  Add(list, 30);  // five columns, two more than show
  int height = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0));
  RECT client;
  GetClientRect(list, &client);
  int rows = client.bottom / height;
  ASSERT_GT(rows, 1);
  RECT second = ItemRect(list, rows);  // the top of the second column
  EXPECT_EQ(second.left, 60);
  EXPECT_EQ(second.top, 0);
  EXPECT_EQ(second.right - second.left, 60);
  EXPECT_EQ(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(65, height + 1)), rows + 1);
  // Right moves a column, Left back; past the last whole column the list scrolls sideways.
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  SetFocus(list);
  pt::PressKey(VK_RIGHT);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETCURSEL, 0, 0), rows + 1);
  for (int i = 0; i < 3; ++i) pt::PressKey(VK_RIGHT);
  pt::PumpUntilIdle();
  int current = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  EXPECT_EQ(current, rows * 4 + 1);
  EXPECT_GT(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
  RECT shown = ItemRect(list, current);
  EXPECT_GE(shown.left, 0);
  EXPECT_LE(shown.right, client.right);
}

TEST_F(ListBoxStylesTest, TabStopsInDialogUnitsOfTheFont) {
  HWND list = List(LBS_HASSTRINGS | LBS_USETABSTOPS, 120, 60);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a\tb"));
  HDC dc = GetDC(list);
  HGDIOBJ old = SelectObject(dc, font_);
  TEXTMETRICA metrics;
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(list, dc);
  int y = static_cast<int>(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0)) / 2;
  int stops[1] = {20};
  EXPECT_TRUE(SendMessageA(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops)));
  InvalidateRect(list, nullptr, TRUE);
  pt::PumpUntilIdle();
  int near = LastInk(list, y);
  stops[0] = 60;
  SendMessageA(list, LB_SETTABSTOPS, 1, reinterpret_cast<LPARAM>(stops));
  InvalidateRect(list, nullptr, TRUE);
  pt::PumpUntilIdle();
  int far = LastInk(list, y);
  ASSERT_GT(near, 0);
  EXPECT_NEAR(far - near, 40 * metrics.tmAveCharWidth / 4, 1);
}

TEST_F(ListBoxStylesTest, ParentColoursTheListThroughCtlColorListBox) {
  HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
  ParentHook() = [&](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    if (m != WM_CTLCOLORLISTBOX) return -12345;
    SetTextColor(reinterpret_cast<HDC>(wp), RGB(255, 0, 0));
    SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 0));
    return reinterpret_cast<LRESULT>(yellow);
  };
  HWND list = List(LBS_HASSTRINGS);
  SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("WWW"));
  InvalidateRect(list, nullptr, TRUE);
  pt::PumpUntilIdle();
  EXPECT_GE(CountOf(WM_CTLCOLORLISTBOX), 1);
  EXPECT_EQ(pt::WindowPixel(list, 100, 50), RGB(255, 255, 0));
  RECT entry{0, 0, 60, 13};
  EXPECT_GT(PixelsOf(list, entry, RGB(255, 0, 0)), 5);
  EXPECT_EQ(PixelsOf(list, entry, kBlack), 0);
  DestroyWindow(list);
  ParentHook() = nullptr;
  DeleteObject(yellow);
}
