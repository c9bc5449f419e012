#include "controls_test_util.h"

using namespace controltest;

namespace {

class DialogTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    // Creation order is tab order here.
    ok_ = Button("&OK", BS_DEFPUSHBUTTON, IDOK);
    label_ = Make(WC_STATICA, "&Name", SS_LEFT, 10, 40, 60, 16, 50);
    SetWindowPos(label_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    retry_ = Button("&Retry", BS_PUSHBUTTON, IDRETRY);
    cancel_ = Button("Cancel", BS_PUSHBUTTON, IDCANCEL);
    SetFocus(ok_);
    Pump();
    Notes().clear();
  }
  HWND Button(const char* text, DWORD style, int id) {
    HWND b = Make(WC_BUTTONA, text, style | WS_TABSTOP, 10 + 70 * (id % 4), 70, 60, 24, id);
    SetWindowPos(b, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return b;
  }
  // The loop of a modeless dialog.
  int Pump() {
    int handled = 0;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!IsDialogMessageA(parent_, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      } else {
        ++handled;
      }
    }
    return handled;
  }
  std::vector<int> CommandIds() {
    std::vector<int> out;
    for (const Note& n : Notes())
      if (n.message == WM_COMMAND) out.push_back(LOWORD(n.wParam));
    return out;
  }
  static bool LooksDefault(HWND b) {
    return SendMessageA(b, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON;
  }

  HWND ok_, label_, retry_, cancel_;
};

}  // namespace

TEST_F(DialogTest, TabAndShiftTabFollowTheTabStopsAndWrap) {
  pt::PressKey(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), retry_);
  pt::PressKey(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), cancel_);
  pt::PressKey(VK_TAB);
  Pump();
  EXPECT_EQ(GetFocus(), ok_);
  pt::KeyDown(VK_SHIFT);
  pt::PressKey(VK_TAB);
  pt::KeyUp(VK_SHIFT);
  Pump();
  EXPECT_EQ(GetFocus(), cancel_);
  EXPECT_TRUE(Notes().empty() || CommandIds().empty());
}

TEST_F(DialogTest, EnterPressesTheFocusedButtonWhichBorrowsTheDefaultLook) {
  pt::PressKey(VK_RETURN);
  Pump();
  EXPECT_EQ(CommandIds(), std::vector<int>{IDOK});
  pt::PressKey(VK_TAB);
  Pump();
  EXPECT_TRUE(LooksDefault(retry_));
  EXPECT_FALSE(LooksDefault(ok_));
  pt::PressKey(VK_RETURN);
  Pump();
  EXPECT_EQ(CommandIds(), (std::vector<int>{IDOK, IDRETRY}));
  // Away from the buttons, Enter means the real default again.
  SetFocus(label_);
  Pump();
  pt::PressKey(VK_RETURN);
  Pump();
  EXPECT_EQ(CommandIds().back(), IDOK);
}

TEST_F(DialogTest, EscapeIsCancelAndMnemonicsPressButtons) {
  pt::PressKey(VK_ESCAPE);
  Pump();
  ASSERT_EQ(CommandIds(), std::vector<int>{IDCANCEL});
  EXPECT_EQ(Notes().back().lParam, reinterpret_cast<LPARAM>(cancel_));
  pt::KeyDown(VK_MENU);
  pt::PressKey('R');
  pt::KeyUp(VK_MENU);
  Pump();
  EXPECT_EQ(CommandIds().back(), IDRETRY);
}

TEST_F(DialogTest, MessagesOfOtherWindowsAreNotTaken) {
  HWND other = CreateWindowExA(0, "TestParent", "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                               nullptr, nullptr);
  MSG msg{other, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_FALSE(IsDialogMessageA(parent_, &msg));
  EXPECT_FALSE(IsDialogMessageA(parent_, nullptr));
  DestroyWindow(other);
  EXPECT_FALSE(IsDialogMessageA(other, &msg));
}
