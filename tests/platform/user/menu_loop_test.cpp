// The menu loop: the messages the owner window receives, in order, when a menu bar, the
// system menu or a pop-up menu is driven by mouse and by keyboard; what is drawn.
#include <string>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

constexpr UINT kOpen = 101, kOne = 201, kTwo = 202, kRepeat = 301, kSequence = 302;

struct Sent {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  bool operator==(const Sent&) const = default;
};

bool MenuMessage(UINT m) {
  return m == WM_ENTERMENULOOP || m == WM_EXITMENULOOP || m == WM_INITMENU ||
         m == WM_INITMENUPOPUP || m == WM_MENUSELECT || m == WM_MENUCHAR || m == WM_COMMAND ||
         m == WM_SYSCOMMAND || m == WM_CLOSE;
}

LPARAM L(HMENU menu) { return reinterpret_cast<LPARAM>(menu); }
WPARAM W(HMENU menu) { return reinterpret_cast<WPARAM>(menu); }
WPARAM Select(UINT item, UINT flags) {
  return MAKEWPARAM(static_cast<WORD>(item), static_cast<WORD>(flags));
}

POINT Centre(const RECT& r) { return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The menu windows on the screen (the loop also keeps an invisible one for the mouse).
int ShownMenus() {
  int count = 0;
  EnumWindows(
      [](HWND w, LPARAM counter) {
        char name[16];
        GetClassNameA(w, name, sizeof(name));
        if (std::string(name) == "#32768" && IsWindowVisible(w)) ++*reinterpret_cast<int*>(counter);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&count));
  return count;
}

class MenuLoopTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    bar = CreateMenu();
    file = CreatePopupMenu();
    recent = CreatePopupMenu();
    option = CreatePopupMenu();
    AppendMenuA(recent, MF_STRING, kOne, "&one.mid");
    AppendMenuA(recent, MF_STRING, kTwo, "&two.mid");
    AppendMenuA(file, MF_STRING, kOpen, "&Open");
    AppendMenuA(file, MF_POPUP, reinterpret_cast<UINT_PTR>(recent), "&Recent");
    AppendMenuA(option, MF_STRING | MF_CHECKED, kRepeat, "&Repeat\tF2");
    AppendMenuA(option, MF_STRING | MF_GRAYED, kSequence, "&Sequence\tF3");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(file), "&File");
    AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(option), "&Option");
    window = TopLevel(100, 100, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
    SetMenu(window, bar);
    pt::PumpUntilIdle();
    Log().clear();
  }

  std::vector<Sent> Menus() const {
    std::vector<Sent> out;
    for (const Entry& e : Log())
      if (e.window == window && MenuMessage(e.message))
        out.push_back(Sent{e.message, e.wParam, e.lParam});
    return out;
  }

  POINT BarItem(int index) {
    RECT r;
    EXPECT_TRUE(GetMenuItemRect(window, bar, static_cast<UINT>(index), &r));
    return Centre(r);
  }
  // An item of a menu shown as a pop-up (only while the loop runs).
  static POINT Item(HMENU menu, int index) {
    RECT r;
    EXPECT_TRUE(GetMenuItemRect(nullptr, menu, static_cast<UINT>(index), &r));
    return Centre(r);
  }

  HMENU bar, file, recent, option;
  HWND window;
};

TEST_F(MenuLoopTest, PressDragReleaseThroughACascadeSendsTheDocumentedSequence) {
  POINT f = BarItem(0);
  pt::MouseDown(f.x, f.y);
  pt::AtIdle([] {
    POINT p = Item(GetSubMenu(GetMenu(GetActiveWindow()), 0), 1);
    pt::MouseMove(p.x, p.y);
  });
  pt::AtIdle([this] {
    POINT p = Item(recent, 1);
    pt::MouseMove(p.x, p.y);
    pt::MouseUp(p.x, p.y);
  });
  pt::PumpUntilIdle();
  std::vector<Sent> expected = {
      {WM_SYSCOMMAND, SC_MOUSEMENU, MAKELPARAM(f.x, f.y)},
      {WM_ENTERMENULOOP, FALSE, 0},
      {WM_INITMENU, W(bar), 0},
      {WM_MENUSELECT, Select(0, MF_POPUP | MF_HILITE | MF_MOUSESELECT), L(bar)},
      {WM_INITMENUPOPUP, W(file), MAKELPARAM(0, FALSE)},
      {WM_MENUSELECT, Select(1, MF_POPUP | MF_HILITE | MF_MOUSESELECT), L(file)},
      {WM_INITMENUPOPUP, W(recent), MAKELPARAM(1, FALSE)},
      {WM_MENUSELECT, Select(kTwo, MF_HILITE | MF_MOUSESELECT), L(recent)},
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
      {WM_EXITMENULOOP, FALSE, 0},
      {WM_COMMAND, MAKEWPARAM(kTwo, 0), 0},
  };
  EXPECT_EQ(Menus(), expected);
  // The pop-up windows are gone, the capture is back, nothing stays highlighted.
  EXPECT_EQ(FindWindowA("#32768", nullptr), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_EQ(GetMenuState(bar, 0, MF_BYPOSITION) & MF_HILITE, 0u);
}

TEST_F(MenuLoopTest, TheKeyboardWalksTheSameMenusFromAnAltTap) {
  pt::KeyDown(VK_MENU);
  pt::KeyUp(VK_MENU);
  for (UINT key : {VK_DOWN, VK_DOWN, VK_RIGHT, VK_DOWN, VK_RETURN}) pt::PressKey(key);
  pt::PumpUntilIdle();
  std::vector<Sent> expected = {
      {WM_SYSCOMMAND, SC_KEYMENU, 0},
      {WM_ENTERMENULOOP, FALSE, 0},
      {WM_INITMENU, W(bar), 0},
      {WM_MENUSELECT, Select(0, MF_POPUP | MF_HILITE), L(bar)},
      {WM_INITMENUPOPUP, W(file), MAKELPARAM(0, FALSE)},
      {WM_MENUSELECT, Select(kOpen, MF_HILITE), L(file)},
      {WM_MENUSELECT, Select(1, MF_POPUP | MF_HILITE), L(file)},
      {WM_INITMENUPOPUP, W(recent), MAKELPARAM(1, FALSE)},
      {WM_MENUSELECT, Select(kOne, MF_HILITE), L(recent)},
      {WM_MENUSELECT, Select(kTwo, MF_HILITE), L(recent)},
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
      {WM_EXITMENULOOP, FALSE, 0},
      {WM_COMMAND, MAKEWPARAM(kTwo, 0), 0},
  };
  EXPECT_EQ(Menus(), expected);
}

TEST_F(MenuLoopTest, F10SelectsTheBarAndAPressedMenuKeyLeavesIt) {
  pt::PressKey(VK_F10);
  pt::PressKey(VK_RIGHT);  // the bar moves on without opening anything
  pt::PressKey(VK_F10);    // and the menu key leaves it again
  pt::PumpUntilIdle();
  std::vector<Sent> expected = {
      {WM_SYSCOMMAND, SC_KEYMENU, 0},
      {WM_ENTERMENULOOP, FALSE, 0},
      {WM_INITMENU, W(bar), 0},
      {WM_MENUSELECT, Select(0, MF_POPUP | MF_HILITE), L(bar)},
      {WM_MENUSELECT, Select(1, MF_POPUP | MF_HILITE), L(bar)},
      {WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0},
      {WM_EXITMENULOOP, FALSE, 0},
  };
  EXPECT_EQ(Menus(), expected);  // and the release of F10 did not open the bar again
  EXPECT_EQ(Count(WM_INITMENUPOPUP), 0);
}

TEST_F(MenuLoopTest, MnemonicsOpenAndExecuteAndAnUnknownLetterAsksTheOwner) {
  // Alt+O opens Option with its first item selected; R picks Repeat.
  pt::KeyDown(VK_MENU);
  pt::PressKey('O');
  pt::KeyUp(VK_MENU);
  pt::PressKey('R');
  pt::PumpUntilIdle();
  auto sent = Menus();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), (Sent{WM_SYSCOMMAND, SC_KEYMENU, 'o'}));
  EXPECT_EQ(sent.back(), (Sent{WM_COMMAND, MAKEWPARAM(kRepeat, 0), 0}));
  EXPECT_EQ(Count(WM_INITMENUPOPUP), 1);

  Log().clear();
  pt::KeyDown(VK_MENU);
  pt::PressKey('Z');
  pt::KeyUp(VK_MENU);
  pt::PumpUntilIdle();
  std::vector<Sent> expected = {
      {WM_SYSCOMMAND, SC_KEYMENU, 'z'}, {WM_ENTERMENULOOP, FALSE, 0},
      {WM_INITMENU, W(bar), 0},         {WM_MENUCHAR, MAKEWPARAM('z', 0), L(bar)},
      {WM_EXITMENULOOP, FALSE, 0},
  };
  EXPECT_EQ(Menus(), expected);
}

TEST_F(MenuLoopTest, ADisabledItemSendsNothingAndTheMenuStaysOpen) {
  POINT o = BarItem(1);
  pt::Click(o.x, o.y);  // click-click: the release keeps the menu open
  pt::AtIdle([this] {
    POINT p = Item(option, 1);
    pt::Click(p.x, p.y);
  });
  pt::AtIdle([this] {
    EXPECT_EQ(ShownMenus(), 1);
    EXPECT_EQ(Count(WM_COMMAND), 0);
    pt::PressKey(VK_ESCAPE);  // closes the pop-up; the bar item stays selected
  });
  pt::AtIdle([this] {
    EXPECT_EQ(ShownMenus(), 0);
    EXPECT_NE(GetMenuState(bar, 1, MF_BYPOSITION) & MF_HILITE, 0u);
    pt::PressKey(VK_ESCAPE);
  });
  pt::PumpUntilIdle();
  auto sent = Menus();
  EXPECT_EQ(Count(WM_COMMAND), 0);
  EXPECT_EQ(Count(WM_EXITMENULOOP), 1);
  // Selecting the grey item was announced with its state.
  EXPECT_TRUE(InOrder(
      sent,
      {Sent{WM_MENUSELECT, Select(kSequence, MF_GRAYED | MF_HILITE | MF_MOUSESELECT), L(option)},
       Sent{WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0}}));
}

TEST_F(MenuLoopTest, ClickClickExecutesAndAPressOnTheOpenBarItemClosesIt) {
  POINT f = BarItem(0);
  pt::Click(f.x, f.y);
  pt::AtIdle([this] {
    POINT p = Item(file, 0);
    pt::Click(p.x, p.y);
  });
  pt::PumpUntilIdle();
  EXPECT_EQ(Menus().back(), (Sent{WM_COMMAND, MAKEWPARAM(kOpen, 0), 0}));

  Log().clear();
  pt::Click(f.x, f.y);
  pt::AtIdle([f] { pt::Click(f.x, f.y); });
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_EXITMENULOOP), 1);
  EXPECT_EQ(Count(WM_COMMAND), 0);

  // A press outside every menu closes it too, and reaches no window.
  Log().clear();
  pt::Click(f.x, f.y);
  pt::AtIdle([] { pt::Click(5, 5); });
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_EXITMENULOOP), 1);
  EXPECT_EQ(Count(WM_COMMAND), 0);
}

TEST_F(MenuLoopTest, AltF4ReachesCloseThroughTheSystemCommand) {
  pt::KeyDown(VK_MENU);
  pt::PressKey(VK_F4);
  pt::KeyUp(VK_MENU);
  pt::PumpUntilIdle();
  EXPECT_TRUE(InOrder(MessagesOf(window),
                      {static_cast<UINT>(WM_SYSKEYDOWN), static_cast<UINT>(WM_SYSCOMMAND),
                       static_cast<UINT>(WM_CLOSE), static_cast<UINT>(WM_DESTROY)}));
  EXPECT_FALSE(IsWindow(window));
  EXPECT_EQ(Count(WM_SYSCOMMAND), 1);  // and no SC_KEYMENU from the release of Alt
}

TEST_F(MenuLoopTest, AltSpaceOpensTheSystemMenuWhoseCommandsArriveAsSystemCommands) {
  HMENU system = GetSystemMenu(window, FALSE);
  pt::KeyDown(VK_MENU);
  pt::PressKey(VK_SPACE);
  pt::KeyUp(VK_MENU);
  pt::PressKey(VK_UP);  // from the first entry round to the last, Close
  pt::PressKey(VK_RETURN);
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsWindow(window));
  EXPECT_TRUE(InOrder(
      Menus(),
      {Sent{WM_SYSCOMMAND, SC_KEYMENU, ' '}, Sent{WM_INITMENU, W(system), 0},
       Sent{WM_INITMENUPOPUP, W(system), MAKELPARAM(0, TRUE)},
       Sent{WM_MENUSELECT, Select(SC_RESTORE, MF_GRAYED | MF_HILITE | MF_SYSMENU), L(system)},
       Sent{WM_MENUSELECT, Select(SC_CLOSE, MFS_DEFAULT | MF_HILITE | MF_SYSMENU), L(system)},
       Sent{WM_EXITMENULOOP, FALSE, 0}, Sent{WM_SYSCOMMAND, SC_CLOSE, 0}, Sent{WM_CLOSE, 0, 0}}));
}

TEST_F(MenuLoopTest, TrackPopupMenuCanReturnTheCommandInsteadOfPostingIt) {
  HMENU popup = CreatePopupMenu();
  AppendMenuA(popup, MF_STRING, 7, "&Play");
  AppendMenuA(popup, MF_STRING, 8, "&Stop");
  pt::AtIdle([popup] {
    POINT p = Item(popup, 1);
    pt::Click(p.x, p.y);
  });
  UINT chosen = static_cast<UINT>(
      TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON, 50, 60, 0, window, nullptr));
  EXPECT_EQ(chosen, 8u);
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_COMMAND), 0);
  EXPECT_TRUE(
      InOrder(Menus(), {Sent{WM_ENTERMENULOOP, TRUE, 0}, Sent{WM_INITMENU, W(popup), 0},
                        Sent{WM_INITMENUPOPUP, W(popup), 0}, Sent{WM_EXITMENULOOP, TRUE, 0}}));
  // Esc on the only pop-up ends the menu with nothing chosen.
  pt::AtIdle([] { pt::PressKey(VK_ESCAPE); });
  EXPECT_EQ(TrackPopupMenu(popup, TPM_RETURNCMD, 50, 60, 0, window, nullptr), 0);
  DestroyMenu(popup);
}

TEST_F(MenuLoopTest, CheckMarksShortcutsAndGreyItemsAreDrawnAndRedrawnWhenChanged) {
  POINT o = BarItem(1);
  pt::Click(o.x, o.y);
  RECT repeat{}, sequence{};
  pt::AtIdle([&] {
    GetMenuItemRect(nullptr, option, 0, &repeat);
    GetMenuItemRect(nullptr, option, 1, &sequence);
    CheckMenuItem(option, kSequence, MF_CHECKED);  // changed while open
  });
  bool checkedBefore = false, checkedAfter = false, shortcut = false, gap = false, embossed = false;
  pt::Image screen;
  auto pixel = [&screen](int x, int y) { return screen.Pixel(x, y); };
  auto markPixel = [&](const RECT& r) {
    // The lowest pixel of the check mark: third column of the seventh row of a 7x7 mark
    // centred in the 13-pixel check box.
    int x = r.left + 2 + (13 - 7) / 2 + 2, y = r.top + ((r.bottom - r.top) - 7) / 2 + 6;
    return pixel(x, y);
  };
  pt::AtIdle([&] {
    screen = pt::CaptureScreen();
    checkedBefore = markPixel(repeat) == RGB(0, 0, 0);
    checkedAfter = markPixel(sequence) == RGB(128, 128, 128);  // grey item: grey mark
    // "F2" ends where the arrow column starts; the space before it is empty.
    int middle = (repeat.top + repeat.bottom) / 2;
    for (int x = repeat.right - 14 - 12; x < repeat.right - 14; ++x)
      for (int y = repeat.top; y < repeat.bottom; ++y) shortcut |= pixel(x, y) == RGB(0, 0, 0);
    for (int x = repeat.right - 14 - 30; x < repeat.right - 14 - 14; ++x)
      gap |= pixel(x, middle) != RGB(192, 192, 192);
    for (int x = sequence.left + 17; x < sequence.left + 60; ++x)
      for (int y = sequence.top; y < sequence.bottom; ++y)
        embossed |= pixel(x, y) == RGB(255, 255, 255);
    pt::PressKey(VK_ESCAPE);
    pt::PressKey(VK_ESCAPE);
  });
  pt::PumpUntilIdle();
  EXPECT_TRUE(checkedBefore);
  EXPECT_TRUE(checkedAfter);
  EXPECT_TRUE(shortcut);
  EXPECT_FALSE(gap);
  EXPECT_TRUE(embossed);
}

TEST_F(MenuLoopTest, DestroyingTheOpenMenuEndsTheLoop) {
  POINT f = BarItem(0);
  pt::Click(f.x, f.y);
  pt::AtIdle([this] { DestroyMenu(bar); });
  pt::PumpUntilIdle();
  EXPECT_EQ(Count(WM_EXITMENULOOP), 1);
  EXPECT_EQ(FindWindowA("#32768", nullptr), nullptr);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(MenuLoopTest, DraggingTheCaptionMovesThroughTheSystemCommand) {
  RECT before;
  GetWindowRect(window, &before);
  int x = before.left + 60, y = before.top + 10;
  pt::MouseDown(x, y);
  pt::MouseMove(x + 25, y + 15);
  pt::MouseUp(x + 25, y + 15);
  pt::PumpUntilIdle();
  RECT after;
  GetWindowRect(window, &after);
  EXPECT_EQ(after.left - before.left, 25);
  EXPECT_EQ(after.top - before.top, 15);
  auto sent = Menus();
  ASSERT_FALSE(sent.empty());
  EXPECT_EQ(sent.front(), (Sent{WM_SYSCOMMAND, SC_MOVE + HTCAPTION, MAKELPARAM(x, y)}));
  EXPECT_TRUE(InOrder(MessagesOf(window),
                      {static_cast<UINT>(WM_SYSCOMMAND), static_cast<UINT>(WM_ENTERSIZEMOVE),
                       static_cast<UINT>(WM_EXITSIZEMOVE)}));
}

}  // namespace
