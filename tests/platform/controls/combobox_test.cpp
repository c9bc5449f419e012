#include <string>

#include "controls_test_util.h"

using namespace controltest;

namespace {

class ComboBoxTest : public ControlTest {
 protected:
  // A combo 145 wide asked 150 high: the field plus the dropped list.
  HWND Combo(DWORD style = CBS_DROPDOWNLIST | CBS_HASSTRINGS, int id = 6) {
    HWND c = Make(WC_COMBOBOXA, "", style | WS_VSCROLL | WS_TABSTOP, 10, 10, 145, 150, id,
                  WS_EX_CLIENTEDGE);
    SendMessageA(c, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    pt::PumpUntilIdle();
    Notes().clear();
    return c;
  }
  static void Add(HWND c, std::initializer_list<const char*> texts) {
    for (const char* t : texts) SendMessageA(c, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(t));
  }
  static std::string Text(HWND c) {
    char buffer[256];
    GetWindowTextA(c, buffer, sizeof buffer);
    return buffer;
  }
  static int Current(HWND c) { return static_cast<int>(SendMessageA(c, CB_GETCURSEL, 0, 0)); }
  static bool Dropped(HWND c) { return SendMessageA(c, CB_GETDROPPEDSTATE, 0, 0) != 0; }
  // The dropped list: the visible top-level "ComboLBox".
  static HWND DroppedList() {
    HWND found = nullptr;
    EnumWindows(
        [](HWND w, LPARAM out) {
          char name[32];
          GetClassNameA(w, name, sizeof name);
          if (std::string(name) == "ComboLBox" && IsWindowVisible(w)) {
            *reinterpret_cast<HWND*>(out) = w;
            return FALSE;
          }
          return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
  }
};

}  // namespace

TEST_F(ComboBoxTest, TheWindowKeepsTheHeightOfItsFieldAndTheRestIsTheList) {
  HWND c = Combo();
  RECT r;
  GetWindowRect(c, &r);
  EXPECT_EQ(r.bottom - r.top, 21);  // 13-pixel font: 15 for the entry, 2 margins, 4 edge
  EXPECT_EQ(SendMessageA(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 15);
  EXPECT_EQ(SendMessageA(c, CB_GETITEMHEIGHT, 0, 0), 13);
  RECT dropped;
  SendMessageA(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 150);
  SetWindowPos(c, nullptr, 0, 0, 145, 100, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(c, &r);
  EXPECT_EQ(r.bottom - r.top, 21);
  SendMessageA(c, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
  EXPECT_EQ(dropped.bottom - dropped.top, 100);
  EXPECT_EQ(GetWindow(c, GW_CHILD), nullptr);  // a drop-down list has no child
  WNDCLASSA wc;
  ASSERT_TRUE(GetClassInfoA(nullptr, "COMBOBOX", &wc));
  EXPECT_TRUE(wc.style & CS_DBLCLKS);
}

TEST_F(ComboBoxTest, ClickOpensAPickClosesAndNotifiesInOrder) {
  HWND c = Combo();
  Add(c, {"All files (*.*)", "MIDI (*.mid)", "Wave (*.wav)"});
  std::vector<int> sizes;
  ParentHook() = [c, &sizes](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    // The list is sized after the parent heard CBN_DROPDOWN, as a framework sizes it then.
    if (m == WM_COMMAND && HIWORD(wp) == CBN_DROPDOWN)
      SetWindowPos(c, nullptr, 0, 0, 145, 3 * 13 + 21 + 2, SWP_NOMOVE | SWP_NOZORDER);
    return -12345;
  };
  ClickAt(c, 70, 10);
  pt::PumpUntilIdle();
  ASSERT_TRUE(Dropped(c));
  HWND list = DroppedList();
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(GetCapture(), list);
  EXPECT_EQ(GetFocus(), c);
  RECT lr, cr;
  GetWindowRect(list, &lr);
  GetWindowRect(c, &cr);
  EXPECT_EQ(lr.top, cr.bottom);
  EXPECT_EQ(lr.bottom - lr.top, 3 * 13 + 2);
  EXPECT_EQ(Commands(), (std::vector<int>{CBN_SETFOCUS, CBN_DROPDOWN}));
  Notes().clear();
  POINT item{15, 13 + 6};
  ClientToScreen(list, &item);
  pt::MouseMove(item.x, item.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(c), 1);  // the selection follows the pointer
  EXPECT_TRUE(Commands().empty());
  pt::Click(item.x, item.y);
  pt::PumpUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  EXPECT_EQ(Current(c), 1);
  EXPECT_EQ(Text(c), "MIDI (*.mid)");
  ParentHook() = nullptr;
}

// A framework over the combo box takes the mouse on a press and lets its own capture go on
// the release, the way a control that captures the mouse does. The list must still hold the
// mouse while dropped, and a click in it picks an entry without taking the activation.
namespace {
WNDPROC comboProcedure = nullptr;
LRESULT CapturingProcedure(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  LRESULT result = CallWindowProcA(comboProcedure, w, m, wp, lp);
  if (m == WM_LBUTTONDOWN) SetCapture(w);
  if (m == WM_LBUTTONUP && GetCapture() == w) ReleaseCapture();
  return result;
}
}  // namespace

TEST_F(ComboBoxTest, AFrameworkThatTakesTheMouseOnAPressStillLetsTheListPick) {
  HWND c = Combo();
  Add(c, {"All files (*.*)", "MIDI (*.mid)", "Wave (*.wav)"});
  comboProcedure = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(c, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(CapturingProcedure)));
  SetActiveWindow(parent_);
  ClickAt(c, 70, 10);
  pt::PumpUntilIdle();
  ASSERT_TRUE(Dropped(c));
  HWND list = DroppedList();
  EXPECT_EQ(GetCapture(), list);
  Notes().clear();
  POINT item = At(list, 15, 2 * 13 + 6);
  pt::Click(item.x, item.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  EXPECT_EQ(Current(c), 2);
  EXPECT_EQ(GetActiveWindow(), parent_);
  EXPECT_EQ(GetFocus(), c);
}

TEST_F(ComboBoxTest, EscapeAndAClickOutsideCancelWhatThePointerPassedOver) {
  HWND c = Combo();
  Add(c, {"a", "b", "c"});
  SendMessageA(c, CB_SETCURSEL, 0, 0);
  EXPECT_TRUE(Commands().empty());
  SetFocus(c);
  pt::KeyDown(VK_F4);
  pt::KeyUp(VK_F4);
  pt::PumpUntilIdle();
  ASSERT_TRUE(Dropped(c));
  HWND list = DroppedList();
  POINT item{10, 2 * 13 + 6};
  ClientToScreen(list, &item);
  pt::MouseMove(item.x, item.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(c), 2);
  Notes().clear();
  pt::PressKey(VK_ESCAPE);
  pt::PumpUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Current(c), 0);
  EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
  SendMessageA(c, CB_SHOWDROPDOWN, TRUE, 0);
  Notes().clear();
  pt::Click(350, 250);  // the parent, far from the list
  pt::PumpUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Commands(), (std::vector<int>{CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_EQ(CountOf(WM_LBUTTONDOWN), 0);  // the click that closed the list went nowhere else
}

TEST_F(ComboBoxTest, KeyboardSelectsInTheClosedBoxAndNotifiesEachTime) {
  HWND c = Combo();
  Add(c, {"apple", "banana", "cherry", "blueberry"});
  SetFocus(c);
  pt::PumpUntilIdle();
  Notes().clear();
  pt::PressKey(VK_DOWN);
  pt::PressKey(VK_DOWN);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(c), 1);
  pt::PressKey(VK_END);
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(c), 3);
  pt::PressKey(VK_HOME);
  pt::TypeText("b");
  pt::PumpUntilIdle();
  EXPECT_EQ(Current(c), 1);
  EXPECT_EQ(Commands(), std::vector<int>(5, CBN_SELCHANGE));
  EXPECT_FALSE(Dropped(c));
  // Alt+Down opens, Enter picks.
  pt::KeyDown(VK_MENU);
  pt::PressKey(VK_DOWN);
  pt::KeyUp(VK_MENU);
  pt::PumpUntilIdle();
  ASSERT_TRUE(Dropped(c));
  pt::PressKey(VK_DOWN);  // moves and announces at once while dropped
  pt::PressKey(VK_RETURN);
  pt::PumpUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Current(c), 2);
  EXPECT_EQ(Text(c), "cherry");
}

TEST_F(ComboBoxTest, DropDownWithAnEditFieldAndTextMessages) {
  HWND c = Combo(CBS_DROPDOWN | CBS_HASSTRINGS | CBS_AUTOHSCROLL);
  HWND edit = GetWindow(c, GW_CHILD);
  ASSERT_NE(edit, nullptr);
  char name[16];
  GetClassNameA(edit, name, sizeof name);
  EXPECT_EQ(std::string(name), "Edit");
  Add(c, {"one", "two"});
  SetFocus(c);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetFocus(), edit);
  Notes().clear();
  pt::TypeText("tw");
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(c), "tw");
  EXPECT_EQ(Commands(),
            (std::vector<int>{CBN_EDITUPDATE, CBN_EDITCHANGE, CBN_EDITUPDATE, CBN_EDITCHANGE}));
  SendMessageA(c, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(Text(c), "two");
  SendMessageA(c, CB_LIMITTEXT, 2, 0);
  EXPECT_EQ(SendMessageA(edit, EM_GETLIMITTEXT, 0, 0), 2);
  // Removing every entry clears the field as documented.
  SendMessageA(c, CB_RESETCONTENT, 0, 0);
  EXPECT_EQ(Text(c), "");
  EXPECT_EQ(SendMessageA(c, CB_GETCOUNT, 0, 0), 0);
  HWND simple = Combo(CBS_SIMPLE | CBS_HASSTRINGS, 7);
  HWND first = GetWindow(simple, GW_CHILD);
  HWND second = GetWindow(first, GW_HWNDNEXT);
  GetClassNameA(first, name, sizeof name);
  EXPECT_EQ(std::string(name), "ComboLBox");
  GetClassNameA(second, name, sizeof name);
  EXPECT_EQ(std::string(name), "Edit");
}

TEST_F(ComboBoxTest, DropDownListTextIsItsSelection) {
  HWND c = Combo();
  Add(c, {"c: [system]", "d: []"});
  EXPECT_TRUE(SetWindowTextA(c, "D: []"));
  EXPECT_EQ(Current(c), 1);
  EXPECT_EQ(GetWindowTextLengthA(c), 5);
  EXPECT_EQ(SendMessageA(c, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x:")), CB_ERR);
  EXPECT_EQ(Current(c), 1);
  EXPECT_TRUE(Commands().empty());
  char buffer[8];
  EXPECT_EQ(SendMessageA(c, CB_GETLBTEXT, 5, reinterpret_cast<LPARAM>(buffer)), CB_ERR);
  EXPECT_EQ(SendMessageA(c, CB_SETCURSEL, 7, 0), CB_ERR);
  EXPECT_EQ(SendMessageA(c, CB_GETITEMDATA, 9, 0), CB_ERR);
}

TEST_F(ComboBoxTest, OwnerDrawnComboSendsItsRequestsUnderItsOwnId) {
  std::vector<MEASUREITEMSTRUCT> measures;
  std::vector<DRAWITEMSTRUCT> draws;
  ParentHook() = [&](UINT m, WPARAM, LPARAM lp) -> LRESULT {
    if (m == WM_MEASUREITEM) {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lp);
      measures.push_back(*mis);
      mis->itemHeight = mis->itemID == static_cast<UINT>(-1) ? 18 : 16;
      return TRUE;
    }
    if (m == WM_DRAWITEM) {
      draws.push_back(*reinterpret_cast<DRAWITEMSTRUCT*>(lp));
      return TRUE;
    }
    return -12345;
  };
  HWND c = Combo(CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS, 9);
  ASSERT_GE(measures.size(), 2u);
  for (const MEASUREITEMSTRUCT& m : measures) {
    EXPECT_EQ(m.CtlType, static_cast<UINT>(ODT_COMBOBOX));
    EXPECT_EQ(m.CtlID, 9u);
  }
  EXPECT_EQ(SendMessageA(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 18);
  EXPECT_EQ(SendMessageA(c, CB_GETITEMHEIGHT, 0, 0), 16);
  Add(c, {"a:", "c: [system]"});
  SendMessageA(c, CB_SETCURSEL, 1, 0);
  draws.clear();
  SendMessageA(c, CB_SHOWDROPDOWN, TRUE, 0);
  pt::PumpUntilIdle();
  bool listEntry = false, field = false;
  for (const DRAWITEMSTRUCT& d : draws) {
    EXPECT_EQ(d.CtlType, static_cast<UINT>(ODT_COMBOBOX));
    EXPECT_EQ(d.CtlID, 9u);
    EXPECT_EQ(d.hwndItem, c);
    if (d.itemState & ODS_COMBOBOXEDIT)
      field = true;
    else if (d.itemID == 1 && (d.itemState & ODS_SELECTED))
      listEntry = true;
  }
  EXPECT_TRUE(listEntry);
  EXPECT_TRUE(field);
  SendMessageA(c, CB_SHOWDROPDOWN, FALSE, 0);
  ParentHook() = nullptr;
}

TEST_F(ComboBoxTest, ClassicLookOfTheClosedBox) {
  HWND c = Combo();
  pt::PumpUntilIdle();
  RECT client;
  GetClientRect(c, &client);
  ASSERT_EQ(client.bottom, 17);
  // White field, then the drop button (a raised square with a black arrow) on the right.
  EXPECT_TRUE(LooksLike(c, RECT{0, 0, client.right - 16, 17},
                        [](HDC dc) { Fill(dc, 0, 0, 200, 17, kWhite); }));
  int left = client.right - 16;
  EXPECT_EQ(pt::WindowPixel(c, left, 0), kFace);
  EXPECT_EQ(pt::WindowPixel(c, left + 1, 1), kWhite);
  EXPECT_EQ(pt::WindowPixel(c, left + 15, 16), kBlack);
  EXPECT_EQ(pt::WindowPixel(c, left + 14, 15), kShadow);
  EXPECT_EQ(pt::WindowPixel(c, left + 7, 8), kBlack);  // the arrow's tip row
}

TEST_F(ComboBoxTest, ExtendedUiOpensWithDownAndTheFieldHeightIsSetApart) {
  HWND c = Combo();
  Add(c, {"one", "two", "three"});
  EXPECT_EQ(SendMessageA(c, CB_SETEXTENDEDUI, TRUE, 0), CB_OKAY);
  EXPECT_TRUE(SendMessageA(c, CB_GETEXTENDEDUI, 0, 0));
  SetFocus(c);
  pt::PumpUntilIdle();
  Notes().clear();
  pt::PressKey(VK_F4);  // does nothing in the extended interface
  pt::PumpUntilIdle();
  EXPECT_FALSE(Dropped(c));
  EXPECT_EQ(Current(c), CB_ERR);
  pt::PressKey(VK_DOWN);  // opens instead of selecting
  pt::PumpUntilIdle();
  EXPECT_TRUE(Dropped(c));
  EXPECT_EQ(Commands(), (std::vector<int>{CBN_DROPDOWN}));
  pt::PressKey(VK_ESCAPE);
  pt::PumpUntilIdle();
  EXPECT_FALSE(Dropped(c));

  // The selection field's height (-1) makes the window taller; the entries keep theirs.
  EXPECT_EQ(SendMessageA(c, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), 20), CB_OKAY);
  RECT r;
  GetWindowRect(c, &r);
  EXPECT_EQ(r.bottom - r.top, 20 + 6);
  EXPECT_EQ(SendMessageA(c, CB_GETITEMHEIGHT, 0, 0), 13);
  EXPECT_EQ(SendMessageA(c, CB_SETITEMHEIGHT, 0, 17), CB_OKAY);
  EXPECT_EQ(SendMessageA(c, CB_GETITEMHEIGHT, 0, 0), 17);
  EXPECT_EQ(SendMessageA(c, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0), 20);
  EXPECT_EQ(SendMessageA(c, CB_SETITEMHEIGHT, 0, 300), CB_ERR);  // no taller than 255
}
