#include <string>

#include "controls_test_util.h"

using namespace controltest;

namespace {

class ListBoxTest : public ControlTest {
 protected:
  HWND List(DWORD style = LBS_NOTIFY | LBS_HASSTRINGS, int height = 100, int id = 5) {
    HWND list = Make(WC_LISTBOXA, "", style | WS_VSCROLL | WS_TABSTOP | LBS_NOINTEGRALHEIGHT, 10,
                     10, 120, height, id, WS_EX_CLIENTEDGE);
    pt::PumpUntilIdle();
    Notes().clear();
    return list;
  }
  static void Add(HWND list, std::initializer_list<const char*> texts) {
    for (const char* t : texts) SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  }
  static std::string Text(HWND list, int i) {
    char buffer[256] = "";
    SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(buffer));
    return buffer;
  }
  static std::vector<std::string> Texts(HWND list) {
    std::vector<std::string> out;
    int n = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < n; ++i) out.push_back(Text(list, i));
    return out;
  }
  static int Current(HWND list) { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }
  // Clicks the middle of an entry.
  static void ClickItem(HWND list, int index) {
    RECT r;
    SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r));
    ClickAt(list, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }
  std::vector<Note> Of(UINT message) {
    std::vector<Note> out;
    for (const Note& n : Notes())
      if (n.message == message) out.push_back(n);
    return out;
  }
};

}  // namespace

TEST_F(ListBoxTest, SortedInsertionIgnoresCaseAndReturnsThePlaceChosen) {
  HWND list = List(LBS_SORT | LBS_HASSTRINGS);
  EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("b")), 0);
  EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("a")), 0);
  Add(list, {"Gamma", "beta", "ALPHA", "delta"});
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "ALPHA", "b", "beta", "delta", "Gamma"}));
  EXPECT_EQ(Current(list), LB_ERR);
  // Insertion at a position ignores the sorting.
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("zz")), 0);
  EXPECT_EQ(Text(list, 0), "zz");
}

TEST_F(ListBoxTest, FindingMatchesPrefixesWithoutCaseAndWrapsAround) {
  HWND list = List();
  Add(list, {"Song.mid", "song2.MID", "Other", "SONG3"});
  auto find = [&](UINT message, int start, const char* text) {
    return SendMessageA(list, message, static_cast<WPARAM>(start), reinterpret_cast<LPARAM>(text));
  };
  EXPECT_EQ(find(LB_FINDSTRING, -1, "song"), 0);
  EXPECT_EQ(find(LB_FINDSTRING, 0, "SONG"), 1);
  EXPECT_EQ(find(LB_FINDSTRING, 3, "song"), 0);  // past the end it starts again at the top
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, "song3"), 3);
  EXPECT_EQ(find(LB_FINDSTRINGEXACT, -1, "song"), LB_ERR);
  EXPECT_EQ(find(LB_FINDSTRING, -1, "x"), LB_ERR);
  EXPECT_EQ(find(LB_SELECTSTRING, -1, "oth"), 2);
  EXPECT_EQ(Current(list), 2);
  EXPECT_TRUE(Commands().empty());
}

TEST_F(ListBoxTest, BadRequestsAnswerErrorsAndChangeNothing) {
  HWND list = List();
  Add(list, {"a", "b", "c"});
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  char buffer[16];
  EXPECT_EQ(SendMessageA(list, LB_DELETESTRING, 3, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 7, reinterpret_cast<LPARAM>(buffer)), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETTEXT, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, -2, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, 9, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 3, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETITEMDATA, 3, 7), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_INSERTSTRING, 4, reinterpret_cast<LPARAM>("x")), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_ADDSTRING, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 0, 0), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETITEMHEIGHT, 0, 256), LB_ERR);
  EXPECT_EQ(SendMessageA(list, LB_SETSEL, TRUE, 0), LB_ERR);  // single selection
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), LB_ERR);
  EXPECT_EQ(Texts(list), (std::vector<std::string>{"a", "b", "c"}));
  EXPECT_EQ(Current(list), 1);
  // -1 clears the selection and, as documented, still answers LB_ERR.
  EXPECT_EQ(SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(-1), 0), LB_ERR);
  EXPECT_EQ(Current(list), LB_ERR);
  DestroyWindow(list);
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
}

TEST_F(ListBoxTest, ProgramSelectionIsSilentAndAClickNotifiesOnce) {
  HWND list = List();
  Add(list, {"one", "two", "three", "four"});
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  EXPECT_TRUE(Commands().empty());
  ClickItem(list, 2);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 2);
  ASSERT_EQ(Of(WM_COMMAND).size(), 2u);  // the focus, then the selection
  EXPECT_EQ(Commands(), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
  EXPECT_EQ(LOWORD(Of(WM_COMMAND)[1].wParam), 5);
  EXPECT_EQ(Of(WM_COMMAND)[1].lParam, reinterpret_cast<LPARAM>(list));
  // The click speaks when the button goes up, and also of an entry that was selected
  // already: a program's silent selection is heard of at the next click on it.
  Notes().clear();
  pt::AdvanceTime(1000);
  SendMessageA(list, LB_SETCURSEL, 3, 0);
  RECT r;
  SendMessageA(list, LB_GETITEMRECT, 3, reinterpret_cast<LPARAM>(&r));
  POINT p = At(list, 20, (r.top + r.bottom) / 2);
  pt::MouseDown(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Commands(), std::vector<int>{});
  pt::MouseUp(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Commands(), std::vector<int>{LBN_SELCHANGE});
  EXPECT_EQ(GetCapture(), nullptr);
  // A press below the last entry selects nothing and says nothing.
  Notes().clear();
  pt::AdvanceTime(1000);
  ClickAt(list, 20, 90);
  pt::PumpUntilIdle();
  EXPECT_EQ(Commands(), std::vector<int>{});
  EXPECT_EQ(Current(list), 3);
}

TEST_F(ListBoxTest, DoubleClickSendsSelectionChangeThenDoubleClick) {
  HWND list = List();
  Add(list, {"one", "two", "three"});
  SetFocus(list);
  pt::PumpUntilIdle();
  Notes().clear();
  RECT r;
  SendMessageA(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  POINT p = At(list, 20, (r.top + r.bottom) / 2);
  pt::DoubleClick(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Commands(), (std::vector<int>{LBN_SELCHANGE, LBN_DBLCLK}));
  // Without LBS_NOTIFY nothing is said.
  HWND quiet = List(LBS_HASSTRINGS, 100, 6);
  Add(quiet, {"x", "y"});
  SendMessageA(quiet, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r));
  SetFocus(quiet);
  pt::PumpUntilIdle();
  Notes().clear();
  p = At(quiet, 20, (r.top + r.bottom) / 2);
  pt::DoubleClick(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(Commands().empty());
  EXPECT_EQ(Current(quiet), 1);
}

TEST_F(ListBoxTest, KeyboardMovesTheSelectionAndStopsAtBothEnds) {
  HWND list = List(LBS_NOTIFY | LBS_HASSTRINGS, 5 * 13 + 4);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (int i = 0; i < 12; ++i) {
    std::string text = (i % 3 == 0 ? "apple " : "grape ") + std::to_string(i);
    Add(list, {text.c_str()});
  }
  SetFocus(list);
  pt::PumpUntilIdle();
  Notes().clear();
  pt::PressKey(VK_DOWN);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 0);  // nothing selected yet: the first entry
  pt::PressKey(VK_UP);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 0);
  EXPECT_EQ(Commands(), (std::vector<int>{LBN_SELCHANGE}));
  pt::PressKey(VK_NEXT);  // to the last entry that shows
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 4);
  pt::PressKey(VK_NEXT);  // then a page further
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 8);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 4);
  pt::PressKey(VK_END);
  pt::PressKey(VK_DOWN);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 11);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 7);
  pt::PressKey(VK_HOME);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 0);
  pt::TypeText("a");  // type-ahead: the next entry after the caret with that letter
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 3);
  pt::TypeText("A");
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(list), 6);
  EXPECT_EQ(SendMessageA(list, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS | DLGC_WANTCHARS);
}

TEST_F(ListBoxTest, ExtendedSelectionWithShiftAndControl) {
  HWND list = List(LBS_NOTIFY | LBS_HASSTRINGS | LBS_EXTENDEDSEL);
  Add(list, {"0", "1", "2", "3", "4", "5"});
  ClickItem(list, 1);
  pt::PumpUntilIdle();
  pt::KeyDown(VK_SHIFT);
  ClickItem(list, 4);
  pt::PumpUntilIdle();
  pt::KeyUp(VK_SHIFT);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 4);
  pt::KeyDown(VK_CONTROL);
  ClickItem(list, 2);
  pt::PumpUntilIdle();
  pt::KeyUp(VK_CONTROL);
  int selected[8];
  ASSERT_EQ(SendMessageA(list, LB_GETSELITEMS, 8, reinterpret_cast<LPARAM>(selected)), 3);
  EXPECT_EQ((std::vector<int>(selected, selected + 3)), (std::vector<int>{1, 3, 4}));
  EXPECT_EQ(SendMessageA(list, LB_GETCARETINDEX, 0, 0), 2);
  pt::KeyDown(VK_SHIFT);
  pt::PressKey(VK_DOWN);  // from the anchor (2) to 3
  pt::KeyUp(VK_SHIFT);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageA(list, LB_GETSEL, 2, 0), 1);
  EXPECT_EQ(SendMessageA(list, LB_GETSEL, 3, 0), 1);
  SendMessageA(list, LB_SETSEL, TRUE, -1);
  EXPECT_EQ(SendMessageA(list, LB_GETSELCOUNT, 0, 0), 6);
}

TEST_F(ListBoxTest, DraggingSelectsAndScrollsPastTheEdge) {
  HWND list = List(LBS_NOTIFY | LBS_HASSTRINGS, 5 * 13 + 4);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (int i = 0; i < 20; ++i) {
    std::string text = std::to_string(i);
    Add(list, {text.c_str()});
  }
  POINT start = At(list, 20, 5), below = At(list, 20, 100);
  pt::MouseDown(start.x, start.y);
  pt::MouseMove(below.x, below.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCapture(), list);
  pt::AdvanceTime(500);  // the timer scrolls ten entries on
  EXPECT_GE(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 8);
  pt::MouseUp(below.x, below.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCapture(), nullptr);
  int top = static_cast<int>(SendMessageA(list, LB_GETTOPINDEX, 0, 0));
  EXPECT_EQ(Current(list), top + 4);
  // However far the selection travelled, the drag is reported once, at its end.
  EXPECT_EQ(Commands(), (std::vector<int>{LBN_SETFOCUS, LBN_SELCHANGE}));
  pt::AdvanceTime(500);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), top);
}

TEST_F(ListBoxTest, OwnerDrawnListMeasuresFirstAndHearsOfEveryDeletion) {
  std::vector<UINT> order;
  ParentHook() = [&order](UINT m, WPARAM, LPARAM lp) -> LRESULT {
    if (m == WM_MEASUREITEM) {
      order.push_back(m);
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      EXPECT_EQ(mis->CtlType, static_cast<UINT>(ODT_LISTBOX));
      EXPECT_EQ(mis->CtlID, 5u);
      mis->itemHeight = 20;
      return TRUE;
    }
    if (m == WM_DRAWITEM) order.push_back(m);
    return -12345;
  };
  HWND list = List(LBS_OWNERDRAWFIXED | LBS_NOTIFY);
  ASSERT_FALSE(order.empty());
  for (ULONG_PTR data : {11, 22, 33})
    SendMessageA(list, LB_ADDSTRING, 0, static_cast<LPARAM>(data));
  pt::PumpUntilIdle();
  ASSERT_FALSE(order.empty());
  EXPECT_EQ(order.front(), static_cast<UINT>(WM_MEASUREITEM));
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 20);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMDATA, 1, 0), 22);
  EXPECT_EQ(SendMessageA(list, LB_GETTEXTLEN, 1, 0), static_cast<LRESULT>(sizeof(ULONG_PTR)));
  auto draws = Of(WM_DRAWITEM);
  ASSERT_GE(draws.size(), 3u);
  auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(draws[0].lParam);
  (void)dis;  // the record lives only during the call; checked through the hook below
  Notes().clear();
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  auto deletions = Of(WM_DELETEITEM);
  EXPECT_EQ(deletions.size(), 3u);
  for (ULONG_PTR data : {44, 55}) SendMessageA(list, LB_ADDSTRING, 0, static_cast<LPARAM>(data));
  Notes().clear();
  DestroyWindow(list);
  EXPECT_EQ(Of(WM_DELETEITEM).size(), 2u);
  ParentHook() = nullptr;
}

TEST_F(ListBoxTest, DrawRequestsCarryTheEntryStateAndOnlyVisibleEntriesAreDrawn) {
  struct Draw {
    UINT id, action, state;
    RECT rect;
    ULONG_PTR data;
  };
  std::vector<Draw> draws;
  ParentHook() = [&draws](UINT m, WPARAM, LPARAM lp) -> LRESULT {
    if (m == WM_MEASUREITEM) {
      reinterpret_cast<MEASUREITEMSTRUCT*>(lp)->itemHeight = 10;
      return TRUE;
    }
    if (m == WM_DRAWITEM) {
      auto* d = reinterpret_cast<DRAWITEMSTRUCT*>(lp);
      draws.push_back(Draw{d->itemID, d->itemAction, d->itemState, d->rcItem, d->itemData});
      return TRUE;
    }
    return -12345;
  };
  HWND list = List(LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOTIFY, 100);
  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  for (int i = 0; i < 10000; ++i)
    SendMessageA(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>("x"));
  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  EXPECT_TRUE(IsWindowVisible(list));
  SendMessageA(list, LB_SETCURSEL, 2, 0);
  InvalidateRect(list, nullptr, TRUE);
  draws.clear();
  pt::PumpUntilIdle();
  RECT client;
  GetClientRect(list, &client);
  EXPECT_EQ(static_cast<int>(draws.size()), (client.bottom + 9) / 10);
  ASSERT_GT(draws.size(), 3u);
  EXPECT_EQ(draws[2].id, 2u);
  EXPECT_EQ(draws[2].action, static_cast<UINT>(ODA_DRAWENTIRE));
  EXPECT_EQ(draws[2].state, static_cast<UINT>(ODS_SELECTED));
  EXPECT_EQ(draws[3].rect.top, 30);
  draws.clear();
  SetFocus(list);
  pt::PumpUntilIdle();
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back().id, 2u);
  EXPECT_EQ(draws.back().state, static_cast<UINT>(ODS_SELECTED | ODS_FOCUS));
  // An empty list with the focus draws its focus alone.
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  draws.clear();
  pt::PumpUntilIdle();
  ASSERT_FALSE(draws.empty());
  EXPECT_EQ(draws.back().id, static_cast<UINT>(-1));
  EXPECT_EQ(draws.back().action, static_cast<UINT>(ODA_FOCUS));
  ParentHook() = nullptr;
}

TEST_F(ListBoxTest, VariableHeightsAreMeasuredPerEntryAndClamped) {
  ParentHook() = [](UINT m, WPARAM, LPARAM lp) -> LRESULT {
    if (m != WM_MEASUREITEM) return -12345;
    auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
    mis->itemHeight = mis->itemData == 1 ? 0 : mis->itemData == 2 ? 1000 : 30;
    return TRUE;
  };
  HWND list = List(LBS_OWNERDRAWVARIABLE);
  for (ULONG_PTR data : {1, 2, 3}) SendMessageA(list, LB_ADDSTRING, 0, static_cast<LPARAM>(data));
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 1);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 1, 0), 255);
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 2, 0), 30);
  RECT r;
  SendMessageA(list, LB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.top, 256);
  ParentHook() = nullptr;
}

TEST_F(ListBoxTest, SortedOwnerDrawnListWithoutStringsAsksTheOwnerToCompare) {
  int comparisons = 0;
  ParentHook() = [&comparisons](UINT m, WPARAM, LPARAM lp) -> LRESULT {
    if (m != WM_COMPAREITEM) return -12345;
    ++comparisons;
    auto* c = reinterpret_cast<COMPAREITEMSTRUCT*>(lp);
    EXPECT_EQ(c->itemID2, static_cast<UINT>(-1));
    return c->itemData1 < c->itemData2 ? -1 : c->itemData1 > c->itemData2 ? 1 : 0;
  };
  HWND list = List(LBS_OWNERDRAWFIXED | LBS_SORT);
  for (ULONG_PTR data : {30, 10, 20, 40})
    SendMessageA(list, LB_ADDSTRING, 0, static_cast<LPARAM>(data));
  EXPECT_GT(comparisons, 0);
  std::vector<LRESULT> order;
  for (int i = 0; i < 4; ++i) order.push_back(SendMessageA(list, LB_GETITEMDATA, i, 0));
  EXPECT_EQ(order, (std::vector<LRESULT>{10, 20, 30, 40}));
  ParentHook() = nullptr;
}

TEST_F(ListBoxTest, ScrollBarShowsOnlyWhenNeeded) {
  HWND list = List(LBS_HASSTRINGS, 5 * 13 + 4);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  Add(list, {"1", "2", "3"});
  EXPECT_FALSE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL);
  Add(list, {"4", "5", "6", "7"});
  EXPECT_TRUE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL);
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(list, SB_VERT, &info));
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, 6);
  EXPECT_EQ(info.nPage, 5u);
  SendMessageA(list, LB_DELETESTRING, 0, 0);
  SendMessageA(list, LB_DELETESTRING, 0, 0);
  EXPECT_FALSE(GetWindowLongA(list, GWL_STYLE) & WS_VSCROLL);

  HWND keeps = List(LBS_HASSTRINGS | LBS_DISABLENOSCROLL, 5 * 13, 6);
  EXPECT_TRUE(GetWindowLongA(keeps, GWL_STYLE) & WS_VSCROLL);
}

TEST_F(ListBoxTest, ArrowOfTheScrollBarScrollsOneEntry) {
  HWND list = List(LBS_HASSTRINGS, 5 * 13 + 4);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (int i = 0; i < 20; ++i) Add(list, {"entry"});
  pt::PumpUntilIdle();
  RECT w;
  GetWindowRect(list, &w);
  // The down arrow: the bottom square of the bar, inside the client edge.
  POINT arrow{w.right - 2 - 8, w.bottom - 2 - 8};
  pt::Click(arrow.x, arrow.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 1);
  EXPECT_EQ(GetScrollPos(list, SB_VERT), 1);
  // A press in the track below the thumb pages down.
  pt::Click(arrow.x, arrow.y - 20);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 5);
}

TEST_F(ListBoxTest, TopIndexItemRectangleAndItemFromPoint) {
  HWND list = List(LBS_HASSTRINGS, 5 * 13 + 4);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  for (int i = 0; i < 10; ++i) Add(list, {"e"});
  EXPECT_EQ(SendMessageA(list, LB_GETITEMHEIGHT, 0, 0), 13);
  SendMessageA(list, LB_SETTOPINDEX, 9, 0);
  EXPECT_EQ(SendMessageA(list, LB_GETTOPINDEX, 0, 0), 5);  // the last page stays full
  RECT r;
  SendMessageA(list, LB_GETITEMRECT, 6, reinterpret_cast<LPARAM>(&r));
  EXPECT_EQ(r.top, 13);
  EXPECT_EQ(r.bottom, 26);
  EXPECT_EQ(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 30)), MAKELONG(7, 0));
  SendMessageA(list, LB_SETTOPINDEX, 0, 0);
  SendMessageA(list, LB_DELETESTRING, 9, 0);
  EXPECT_EQ(HIWORD(SendMessageA(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(5, 200))), 1);
}

TEST_F(ListBoxTest, SuperclassedListAnswersItsMessages) {
  WNDCLASSA wc{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "listbox", &wc));
  EXPECT_TRUE(wc.style & CS_DBLCLKS);
  EXPECT_EQ(wc.cbWndExtra, static_cast<int>(sizeof(void*)));
  static WNDPROC system = wc.lpfnWndProc;
  wc.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) {
    return CallWindowProcA(system, w, m, wp, lp);
  };
  wc.lpszClassName = "TFileListBox";
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND list = Make("TFileListBox", "", LBS_SORT | LBS_HASSTRINGS | LBS_NOTIFY, 10, 10, 100, 80, 3);
  Add(list, {"b.mid", "a.mid"});
  EXPECT_EQ(SendMessageA(list, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(Text(list, 0), "a.mid");
  SetWindowLongA(list, GWLP_ID, 77);
  Notes().clear();
  ClickItem(list, 1);
  pt::PumpUntilIdle();
  ASSERT_FALSE(Of(WM_COMMAND).empty());
  EXPECT_EQ(LOWORD(Of(WM_COMMAND).back().wParam), 77);
}

TEST_F(ListBoxTest, ClassicLookSelectedRowOnTheWindowColour) {
  HWND list = List(LBS_HASSTRINGS, 60);
  SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  Add(list, {"", "", ""});
  SendMessageA(list, LB_SETCURSEL, 1, 0);
  pt::PumpUntilIdle();
  RECT client;
  GetClientRect(list, &client);
  EXPECT_TRUE(LooksLike(list, client, [&](HDC dc) {
    Fill(dc, 0, 0, client.right, client.bottom, kWhite);
    Fill(dc, 0, 13, client.right, 26, kNavy);
  }));
  // The sunken client edge around it.
  pt::Image shot = pt::CaptureWindow(list);
  ASSERT_GT(shot.width, 4);
  auto at = [&](int x, int y) { return shot.Pixel(x, y); };
  EXPECT_EQ(at(0, 0), kShadow);
  EXPECT_EQ(at(1, 1), kBlack);
  EXPECT_EQ(at(shot.width - 1, shot.height - 1), kWhite);
  EXPECT_EQ(at(shot.width - 2, shot.height - 2), kFace);
}
