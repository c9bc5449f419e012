// Check boxes, radio buttons and group boxes of the "BUTTON" class.
#include "controls_test_util.h"

using namespace controltest;

namespace {

class CheckBoxTest : public ControlTest {
 protected:
  // Made in tab order: each new window goes below the ones before it.
  HWND Box(const char* text, DWORD style, int x, int y, int id, int cx = 90) {
    HWND b = Make(WC_BUTTONA, text, style, x, y, cx, 17, id);
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    pt::PumpUntilIdle();
    Notes().clear();
    return b;
  }
  static LRESULT Check(HWND b) { return SendMessageA(b, BM_GETCHECK, 0, 0); }
  static std::vector<int> ClickedIds() {
    std::vector<int> out;
    for (const Note& n : Notes())
      if (n.message == WM_COMMAND && HIWORD(n.wParam) == BN_CLICKED)
        out.push_back(LOWORD(n.wParam));
    return out;
  }
  // The loop of a modeless dialog.
  void DialogPump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) IsDialogMessageA(parent_, &msg);
  }
};

}  // namespace

TEST_F(CheckBoxTest, AutomaticBoxesChangeBeforeTheyTellTheParent) {
  HWND box = Box("&Mute", BS_AUTOCHECKBOX | WS_TABSTOP, 10, 10, 5);
  std::vector<LRESULT> seen;
  ParentHook() = [&](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    if (m == WM_COMMAND && HIWORD(wp) == BN_CLICKED) seen.push_back(Check(box));
    return -12345;
  };
  ClickAt(box, 5, 8);
  pt::PumpUntilIdle();
  EXPECT_EQ(Check(box), BST_CHECKED);
  EXPECT_EQ(GetFocus(), box);
  pt::PressKey(VK_SPACE);
  pt::PumpUntilIdle();
  EXPECT_EQ(Check(box), BST_UNCHECKED);
  EXPECT_EQ(seen, (std::vector<LRESULT>{BST_CHECKED, BST_UNCHECKED}));
  EXPECT_EQ(SendMessageA(box, WM_GETDLGCODE, 0, 0), DLGC_BUTTON);

  // Pressed, dragged off and let go: nothing changes.
  POINT in = At(box, 5, 8), out = At(box, 200, 8);
  pt::MouseDown(in.x, in.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(SendMessageA(box, BM_GETSTATE, 0, 0), BST_PUSHED | BST_FOCUS);
  pt::MouseMove(out.x, out.y);
  pt::MouseUp(out.x, out.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Check(box), BST_UNCHECKED);
  EXPECT_EQ(seen.size(), 2u);
}

TEST_F(CheckBoxTest, ThreeStatesCycleAndPlainBoxesLeaveTheCheckToTheParent) {
  HWND three = Box("Three", BS_AUTO3STATE, 10, 10, 5);
  std::vector<LRESULT> cycle;
  for (int i = 0; i < 4; ++i) {
    SendMessageA(three, BM_CLICK, 0, 0);
    cycle.push_back(Check(three));
  }
  EXPECT_EQ(cycle,
            (std::vector<LRESULT>{BST_CHECKED, BST_INDETERMINATE, BST_UNCHECKED, BST_CHECKED}));
  EXPECT_EQ(ClickedIds(), (std::vector<int>{5, 5, 5, 5}));

  HWND plain = Box("Plain", BS_CHECKBOX, 10, 40, 6);
  SendMessageA(plain, BM_CLICK, 0, 0);
  EXPECT_EQ(Check(plain), BST_UNCHECKED);
  EXPECT_EQ(ClickedIds(), std::vector<int>{6});
  // A two-state box holds the third state as checked; a three-state one keeps it.
  SendMessageA(plain, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(Check(plain), BST_CHECKED);
  HWND manual = Box("Manual", BS_3STATE, 10, 70, 7);
  SendMessageA(manual, BM_SETCHECK, BST_INDETERMINATE, 0);
  EXPECT_EQ(SendMessageA(manual, BM_GETSTATE, 0, 0), BST_INDETERMINATE);
  SendMessageA(manual, BM_CLICK, 0, 0);
  EXPECT_EQ(Check(manual), BST_INDETERMINATE);
}

TEST_F(CheckBoxTest, AutomaticRadioButtonsKeepOneCheckedPerGroup) {
  HWND a = Box("A", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 1);
  HWND b = Box("B", BS_AUTORADIOBUTTON, 10, 30, 2);
  HWND c = Box("C", BS_AUTORADIOBUTTON, 10, 50, 3);
  HWND other = Box("Other", BS_AUTORADIOBUTTON | WS_GROUP, 10, 80, 4);
  SendMessageA(other, BM_SETCHECK, BST_CHECKED, 0);
  SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(SendMessageA(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_RADIOBUTTON);

  ClickAt(c, 5, 8);
  pt::PumpUntilIdle();
  EXPECT_EQ(Check(a), BST_UNCHECKED);
  EXPECT_EQ(Check(b), BST_UNCHECKED);
  EXPECT_EQ(Check(c), BST_CHECKED);
  EXPECT_EQ(Check(other), BST_CHECKED);  // another group
  // The checked button is the group's tab stop.
  EXPECT_FALSE(GetWindowLongA(a, GWL_STYLE) & WS_TABSTOP);
  EXPECT_TRUE(GetWindowLongA(c, GWL_STYLE) & WS_TABSTOP);
  // Clicking the checked one again keeps it checked and still tells the parent.
  SendMessageA(c, BM_CLICK, 0, 0);
  EXPECT_EQ(Check(c), BST_CHECKED);
  EXPECT_EQ(ClickedIds(), (std::vector<int>{3, 3}));
}

TEST_F(CheckBoxTest, ArrowsSelectWithinTheGroupAndTabLandsOnTheCheckedOne) {
  HWND ok = Box("OK", BS_PUSHBUTTON | WS_TABSTOP, 150, 10, IDOK, 60);
  HWND a = Box("A", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 10, 10, 1);
  HWND b = Box("B", BS_AUTORADIOBUTTON, 10, 30, 2);
  HWND c = Box("C", BS_AUTORADIOBUTTON, 10, 50, 3);
  HWND after = Box("After", BS_AUTOCHECKBOX | WS_GROUP | WS_TABSTOP, 10, 80, 4);
  SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
  SetFocus(a);
  DialogPump();
  Notes().clear();

  pt::PressKey(VK_DOWN);
  DialogPump();
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(Check(b), BST_CHECKED);
  EXPECT_EQ(Check(a), BST_UNCHECKED);
  pt::PressKey(VK_DOWN);
  pt::PressKey(VK_DOWN);  // wraps within the group
  DialogPump();
  EXPECT_EQ(GetFocus(), a);
  EXPECT_EQ(Check(a), BST_CHECKED);
  EXPECT_EQ(ClickedIds(), (std::vector<int>{2, 3, 1}));

  pt::PressKey(VK_UP);
  DialogPump();
  EXPECT_EQ(GetFocus(), c);
  SetFocus(ok);
  DialogPump();
  pt::PressKey(VK_TAB);
  DialogPump();
  EXPECT_EQ(GetFocus(), c);
  pt::PressKey(VK_TAB);
  DialogPump();
  EXPECT_EQ(GetFocus(), after);
  EXPECT_EQ(Check(after), BST_UNCHECKED);  // only radio buttons select on focus
}

TEST_F(CheckBoxTest, APressTakesTheFocusWithoutSelectingUntilTheRelease) {
  HWND a = Box("A", BS_AUTORADIOBUTTON | WS_GROUP, 10, 10, 1);
  HWND b = Box("B", BS_AUTORADIOBUTTON, 10, 30, 2);
  SendMessageA(a, BM_SETCHECK, BST_CHECKED, 0);
  POINT in = At(b, 5, 8), out = At(b, 200, 8);
  pt::MouseDown(in.x, in.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(Check(b), BST_UNCHECKED);
  pt::MouseMove(out.x, out.y);
  pt::MouseUp(out.x, out.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Check(a), BST_CHECKED);
  EXPECT_TRUE(ClickedIds().empty());
}

TEST_F(CheckBoxTest, GroupBoxLetsTheMouseThroughAndTakesNoCheck) {
  HWND group = Box("Volume", BS_GROUPBOX, 10, 10, 9, 150);
  SetWindowPos(group, nullptr, 0, 0, 150, 100, SWP_NOMOVE | SWP_NOZORDER);
  EXPECT_EQ(SendMessageA(group, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
  SendMessageA(group, BM_SETCHECK, BST_CHECKED, 0);
  EXPECT_EQ(Check(group), BST_UNCHECKED);
  ClickAt(group, 60, 50);
  pt::PumpUntilIdle();
  EXPECT_EQ(CountOf(WM_LBUTTONDOWN), 1);  // the parent got the press
  EXPECT_NE(GetFocus(), group);
  SendMessageA(group, BM_CLICK, 0, 0);
  EXPECT_TRUE(ClickedIds().empty());
}

TEST_F(CheckBoxTest, ClassicBoxCheckMarkPressedAndDisabledLooks) {
  HWND box = Box("", BS_AUTOCHECKBOX, 10, 10, 5);
  RECT cell{0, 2, 13, 15};  // a 13-pixel box centred on the 17-pixel height
  auto sunkenBox = [](HDC dc, COLORREF inside) {
    Fill(dc, 0, 2, 13, 15, inside);
    Fill(dc, 0, 2, 13, 3, kShadow);
    Fill(dc, 0, 2, 1, 15, kShadow);
    Fill(dc, 0, 14, 13, 15, kWhite);
    Fill(dc, 12, 2, 13, 15, kWhite);
    Fill(dc, 1, 3, 12, 4, kBlack);
    Fill(dc, 1, 3, 2, 14, kBlack);
    Fill(dc, 1, 13, 12, 14, kFace);
    Fill(dc, 11, 3, 12, 14, kFace);
  };
  EXPECT_TRUE(LooksLike(box, cell, [&](HDC dc) { sunkenBox(dc, kWhite); }));
  RECT inside{2, 4, 11, 13};
  SendMessageA(box, BM_SETCHECK, BST_CHECKED, 0);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(box, inside, kBlack), 21);  // the mark: 7 x 7, three pixels thick
  SendMessageA(box, BM_SETSTATE, TRUE, 0);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(box, inside, kWhite), 0);
  SendMessageA(box, BM_SETSTATE, FALSE, 0);
  EnableWindow(box, FALSE);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(box, inside, kBlack), 0);
  EXPECT_EQ(PixelsOf(box, inside, kShadow), 21);
  EXPECT_EQ(PixelsOf(box, inside, kFace), 81 - 21);
}

TEST_F(CheckBoxTest, ThirdStateIsACheckerWithAGreyMark) {
  HWND box = Box("", BS_AUTO3STATE, 10, 10, 5);
  SendMessageA(box, BM_SETCHECK, BST_INDETERMINATE, 0);
  pt::PumpUntilIdle();
  RECT inside{2, 4, 11, 13};
  EXPECT_EQ(PixelsOf(box, inside, kShadow), 21);
  EXPECT_GT(PixelsOf(box, inside, kWhite), 20);
  EXPECT_GT(PixelsOf(box, inside, kFace), 20);
}

TEST_F(CheckBoxTest, RadioButtonIsRoundWithADot) {
  HWND radio = Box("", BS_AUTORADIOBUTTON, 10, 10, 5);
  RECT cell{0, 2, 12, 14};
  // Round: the corners show the parent's background, the middle is white.
  EXPECT_EQ(pt::WindowPixel(radio, 0, 2), kFace);
  EXPECT_EQ(pt::WindowPixel(radio, 11, 13), kFace);
  EXPECT_EQ(pt::WindowPixel(radio, 5, 2), kShadow);  // the top of the outer ring
  EXPECT_EQ(pt::WindowPixel(radio, 5, 13), kWhite);  // its bottom
  EXPECT_EQ(pt::WindowPixel(radio, 5, 8), kWhite);
  EXPECT_EQ(PixelsOf(radio, cell, kBlack), 13);  // the inner ring's dark half
  SendMessageA(radio, BM_SETCHECK, BST_CHECKED, 0);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(radio, cell, kBlack), 13 + 12);  // and a dot of 4 x 4 less its corners
  EXPECT_EQ(pt::WindowPixel(radio, 5, 8), kBlack);
}

TEST_F(CheckBoxTest, CaptionBesideTheBoxWithFocusRectangleAndLeftTextPutsTheBoxRight) {
  HWND box = Box("Mute", BS_AUTOCHECKBOX, 10, 10, 5, 80);
  RECT text{17, 0, 80, 17};
  EXPECT_GT(PixelsOf(box, text, kBlack), 20);
  COLORREF dotted = RGB(63, 63, 63);  // face with every other pixel inverted
  EXPECT_EQ(PixelsOf(box, text, dotted), 0);
  SetFocus(box);
  pt::PumpUntilIdle();
  EXPECT_GT(PixelsOf(box, text, dotted), 20);
  EnableWindow(box, FALSE);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(box, text, kBlack), 0);  // embossed
  EXPECT_GT(PixelsOf(box, text, kShadow), 20);

  HWND right = Box("Mute", BS_AUTOCHECKBOX | BS_LEFTTEXT, 10, 40, 6, 80);
  EXPECT_EQ(pt::WindowPixel(right, 67, 2), kShadow);  // the box's top edge at the right
  EXPECT_EQ(pt::WindowPixel(right, 0, 2), kFace);
  EXPECT_GT(PixelsOf(right, RECT{0, 0, 63, 17}, kBlack), 20);
}

TEST_F(CheckBoxTest, GroupBoxIsAnEtchedFrameBrokenByItsCaption) {
  HWND group = Box("Wave", BS_GROUPBOX, 10, 10, 9, 120);
  SetWindowPos(group, nullptr, 0, 0, 120, 80, SWP_NOMOVE | SWP_NOZORDER);
  pt::PumpUntilIdle();
  // The caption's line is 13 pixels high: the frame's top runs along row 6.
  EXPECT_EQ(pt::WindowPixel(group, 2, 6), kShadow);
  EXPECT_EQ(pt::WindowPixel(group, 2, 7), kWhite);
  EXPECT_EQ(pt::WindowPixel(group, 0, 40), kShadow);
  EXPECT_EQ(pt::WindowPixel(group, 1, 40), kWhite);
  EXPECT_EQ(pt::WindowPixel(group, 60, 78), kShadow);
  EXPECT_EQ(pt::WindowPixel(group, 60, 79), kWhite);
  EXPECT_EQ(pt::WindowPixel(group, 118, 40), kShadow);
  EXPECT_EQ(pt::WindowPixel(group, 119, 40), kWhite);
  // Behind the caption the line is broken; the text is there.
  EXPECT_EQ(PixelsOf(group, RECT{6, 6, 10, 8}, kShadow), 0);
  EXPECT_GT(PixelsOf(group, RECT{8, 0, 40, 13}, kBlack), 15);
  EXPECT_EQ(pt::WindowPixel(group, 100, 6), kShadow);
}
