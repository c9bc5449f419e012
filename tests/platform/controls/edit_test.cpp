#include <string>

#include "controls_test_util.h"

using namespace controltest;

namespace {

class EditTest : public ControlTest {
 protected:
  HWND Edit(DWORD style = ES_AUTOHSCROLL, const char* text = "") {
    HWND e = Make(WC_EDITA, text, style | WS_TABSTOP, 10, 10, 120, 21, 4, WS_EX_CLIENTEDGE);
    SetFocus(e);
    pt::PumpUntilIdle();
    Notes().clear();
    return e;
  }
  static std::string Text(HWND e) {
    char buffer[256];
    GetWindowTextA(e, buffer, sizeof buffer);
    return buffer;
  }
  static std::pair<DWORD, DWORD> Selection(HWND e) {
    DWORD from = 0, to = 0;
    SendMessageA(e, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    return {from, to};
  }
};

}  // namespace

TEST_F(EditTest, TypingInsertsAndNotifiesUpdateThenChange) {
  HWND e = Edit();
  pt::TypeText("Song");
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(e), "Song");
  EXPECT_EQ(GetWindowTextLengthA(e), 4);
  std::vector<int> expected;
  for (int i = 0; i < 4; ++i) {
    expected.push_back(EN_UPDATE);
    expected.push_back(EN_CHANGE);
  }
  EXPECT_EQ(Commands(), expected);
  EXPECT_TRUE(SendMessageA(e, EM_GETMODIFY, 0, 0));
  // The caret stands after the text.
  POINT caret;
  ASSERT_TRUE(GetCaretPos(&caret));
  EXPECT_EQ(caret.x, LOWORD(SendMessageA(e, EM_POSFROMCHAR, 4, 0)));
  EXPECT_EQ(SendMessageA(e, WM_GETDLGCODE, 0, 0),
            DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS);
}

TEST_F(EditTest, SelectionIsReplacedAndTheEditingKeysWork) {
  HWND e = Edit(ES_AUTOHSCROLL, "hello world");
  SendMessageA(e, EM_SETSEL, 0, -1);
  EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{0, 11}));
  pt::TypeText("x");
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(e), "x");
  SetWindowTextA(e, "one two three");
  pt::PressKey(VK_END);
  pt::KeyDown(VK_SHIFT);
  pt::KeyDown(VK_CONTROL);
  pt::PressKey(VK_LEFT);  // a word back, extending
  pt::KeyUp(VK_CONTROL);
  pt::KeyUp(VK_SHIFT);
  pt::PumpUntilIdle();
  EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{8, 13}));
  pt::PressKey(VK_BACK);
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(e), "one two ");
  pt::PressKey(VK_HOME);
  pt::PressKey(VK_DELETE);
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(e), "ne two ");
  EXPECT_TRUE(SendMessageA(e, EM_CANUNDO, 0, 0));
  SendMessageA(e, EM_UNDO, 0, 0);
  EXPECT_EQ(Text(e), "one two ");
  SendMessageA(e, EM_SETSEL, 4, 7);
  SendMessageA(e, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>("2"));
  EXPECT_EQ(Text(e), "one 2 ");
  // Cutting would lose the text with no clipboard to keep it.
  SendMessageA(e, EM_SETSEL, 0, -1);
  SendMessageA(e, WM_CUT, 0, 0);
  EXPECT_EQ(Text(e), "one 2 ");
}

TEST_F(EditTest, LimitCaseAndDigitsRules) {
  HWND e = Edit();
  SendMessageA(e, EM_LIMITTEXT, 3, 0);
  pt::TypeText("abcd");
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(e), "abc");
  int maxText = 0;
  for (int code : Commands()) maxText += code == EN_MAXTEXT;
  EXPECT_EQ(maxText, 1);
  EXPECT_EQ(SendMessageA(e, EM_GETLIMITTEXT, 0, 0), 3);
  HWND upper = Edit(ES_AUTOHSCROLL | ES_UPPERCASE);
  pt::TypeText("mid");
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(upper), "MID");
  HWND digits = Edit(ES_AUTOHSCROLL | ES_NUMBER);
  pt::TypeText("1a2");
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(digits), "12");
  HWND readOnly = Edit(ES_AUTOHSCROLL | ES_READONLY, "fixed");
  pt::TypeText("z");
  pt::PressKey(VK_BACK);
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(readOnly), "fixed");
}

TEST_F(EditTest, MultiByteCharactersMoveAndDeleteWhole) {
  HWND e = Edit(ES_AUTOHSCROLL,
                "a\xC3\xA9"
                "b");
  pt::PressKey(VK_END);
  pt::PressKey(VK_LEFT);
  pt::PressKey(VK_BACK);
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(e), "ab");
  char small[3];
  SetWindowTextA(e, "\xC3\xA9\xC3\xA9");
  EXPECT_EQ(GetWindowTextA(e, small, sizeof small), 2);  // no half character
}

TEST_F(EditTest, MousePlacesTheCaretSelectsWordsAndDragsASelection) {
  HWND e = Edit(ES_AUTOHSCROLL, "alpha beta");
  int betaX = LOWORD(SendMessageA(e, EM_POSFROMCHAR, 7, 0));
  ClickAt(e, betaX, 8);
  pt::PumpUntilIdle();
  EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{7, 7}));
  pt::AdvanceTime(1000);
  POINT p = At(e, betaX, 8);
  pt::DoubleClick(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{6, 10}));
  pt::AdvanceTime(1000);
  POINT start = At(e, LOWORD(SendMessageA(e, EM_POSFROMCHAR, 1, 0)), 8);
  pt::MouseDown(start.x, start.y);
  pt::MouseMove(p.x, p.y);
  pt::MouseUp(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Selection(e), (std::pair<DWORD, DWORD>{1, 7}));
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(EditTest, PasswordFieldShowsStarsAndKeepsTheText) {
  HWND secret = Edit(ES_AUTOHSCROLL | ES_PASSWORD, "abc");
  HWND stars = Make(WC_EDITA, "***", ES_AUTOHSCROLL, 10, 40, 120, 21, 5, WS_EX_CLIENTEDGE);
  SetFocus(parent_);
  pt::PumpUntilIdle();
  EXPECT_EQ(Text(secret), "abc");
  EXPECT_EQ(SendMessageA(secret, EM_GETPASSWORDCHAR, 0, 0), '*');
  for (int x = 0; x < 60; ++x)
    for (int y = 0; y < 17; ++y)
      ASSERT_EQ(pt::WindowPixel(secret, x, y), pt::WindowPixel(stars, x, y)) << x << ", " << y;
  SendMessageA(secret, EM_SETPASSWORDCHAR, 0, 0);  // 0: the text shows
  pt::PumpUntilIdle();
  bool differs = false;
  for (int x = 0; x < 60 && !differs; ++x)
    for (int y = 0; y < 17 && !differs; ++y)
      differs = pt::WindowPixel(secret, x, y) != pt::WindowPixel(stars, x, y);
  EXPECT_TRUE(differs);
}

TEST_F(EditTest, MarginsMoveTheTextAndTheParentColoursTheField) {
  HBRUSH yellow = CreateSolidBrush(RGB(255, 255, 0));
  ParentHook() = [&](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    if (m != WM_CTLCOLOREDIT) return -12345;
    SetBkColor(reinterpret_cast<HDC>(wp), RGB(255, 255, 0));
    return reinterpret_cast<LRESULT>(yellow);
  };
  HWND e = Edit(ES_AUTOHSCROLL, "text");
  int left = LOWORD(SendMessageA(e, EM_GETMARGINS, 0, 0));
  int before = LOWORD(SendMessageA(e, EM_POSFROMCHAR, 0, 0));
  SendMessageA(e, EM_SETMARGINS, EC_LEFTMARGIN, MAKELONG(10, 0));
  EXPECT_EQ(LOWORD(SendMessageA(e, EM_GETMARGINS, 0, 0)), 10);
  EXPECT_EQ(LOWORD(SendMessageA(e, EM_POSFROMCHAR, 0, 0)), before + 10 - left);
  pt::PumpUntilIdle();
  EXPECT_GE(CountOf(WM_CTLCOLOREDIT), 1);
  EXPECT_EQ(pt::WindowPixel(e, 110, 8), RGB(255, 255, 0));
  // A read-only field asks for the static colours instead.
  Notes().clear();
  SendMessageA(e, EM_SETREADONLY, TRUE, 0);
  pt::PumpUntilIdle();
  EXPECT_GE(CountOf(WM_CTLCOLORSTATIC), 1);
  EXPECT_EQ(CountOf(WM_CTLCOLOREDIT), 0);
  EXPECT_NE(pt::WindowPixel(e, 110, 8), RGB(255, 255, 0));
  DestroyWindow(e);
  ParentHook() = nullptr;
  DeleteObject(yellow);
}
