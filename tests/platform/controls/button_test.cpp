#include "controls_test_util.h"

using namespace controltest;

namespace {

class ButtonTest : public ControlTest {
 protected:
  HWND Button(const char* text = "OK", DWORD style = BS_PUSHBUTTON, int id = 7) {
    HWND b = Make(WC_BUTTONA, text, style | WS_TABSTOP, 10, 10, 60, 24, id);
    pt::PumpUntilIdle();
    Notes().clear();
    return b;
  }
  static std::vector<Note> Clicks() {
    std::vector<Note> out;
    for (const Note& n : Notes())
      if (n.message == WM_COMMAND && HIWORD(n.wParam) == BN_CLICKED) out.push_back(n);
    return out;
  }
};

// The raised look: white and black outside, face and grey inside, face in the middle.
void RaisedButton(HDC dc, int left, int top, int right, int bottom) {
  Fill(dc, left, top, right, bottom, kFace);
  Fill(dc, left, top, right, top + 1, kWhite);
  Fill(dc, left, top, left + 1, bottom, kWhite);
  Fill(dc, left, bottom - 1, right, bottom, kBlack);
  Fill(dc, right - 1, top, right, bottom, kBlack);
  Fill(dc, left + 1, bottom - 2, right - 1, bottom - 1, kShadow);
  Fill(dc, right - 2, top + 1, right - 1, bottom - 1, kShadow);
}

}  // namespace

TEST_F(ButtonTest, ClickReleasedInsideNotifiesOnceWithIdAndHandle) {
  HWND b = Button();
  ClickAt(b, 30, 12);
  pt::PumpUntilIdle();
  auto clicks = Clicks();
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(LOWORD(clicks[0].wParam), 7);
  EXPECT_EQ(clicks[0].lParam, reinterpret_cast<LPARAM>(b));
  EXPECT_EQ(GetFocus(), b);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ButtonTest, ReleaseOutsideCancelsAndComingBackRestoresThePress) {
  HWND b = Button();
  POINT in = At(b, 30, 12), out = At(b, 100, 12);
  pt::MouseDown(in.x, in.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  pt::MouseMove(out.x, out.y);
  pt::PumpUntilIdle();
  EXPECT_FALSE(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  pt::MouseUp(out.x, out.y);
  pt::PumpUntilIdle();
  EXPECT_TRUE(Clicks().empty());

  pt::MouseDown(in.x, in.y);
  pt::MouseMove(out.x, out.y);
  pt::MouseMove(in.x, in.y);
  pt::MouseUp(in.x, in.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Clicks().size(), 1u);
}

TEST_F(ButtonTest, DoubleClickIsTwoClicks) {
  HWND b = Button();
  POINT p = At(b, 30, 12);
  pt::DoubleClick(p.x, p.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Clicks().size(), 2u);
}

TEST_F(ButtonTest, SpaceClicksOnReleaseAndEnterClicksOnlyTheDefault) {
  HWND b = Button();
  HWND other = Make(WC_BUTTONA, "Def", BS_DEFPUSHBUTTON, 100, 10, 60, 24, 8);
  SetFocus(b);
  pt::KeyDown(VK_SPACE);
  pt::PumpUntilIdle();
  EXPECT_TRUE(SendMessageA(b, BM_GETSTATE, 0, 0) & BST_PUSHED);
  EXPECT_TRUE(Clicks().empty());
  pt::KeyUp(VK_SPACE);
  pt::PumpUntilIdle();
  ASSERT_EQ(Clicks().size(), 1u);
  pt::PressKey(VK_RETURN);
  pt::PumpUntilIdle();
  EXPECT_EQ(Clicks().size(), 1u);
  SetFocus(other);
  pt::PressKey(VK_RETURN);
  pt::PumpUntilIdle();
  ASSERT_EQ(Clicks().size(), 2u);
  EXPECT_EQ(LOWORD(Clicks()[1].wParam), 8);
}

TEST_F(ButtonTest, StateMessagesAndClickMessage) {
  HWND b = Button();
  EXPECT_EQ(SendMessageA(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_UNDEFPUSHBUTTON);
  SendMessageA(b, BM_SETSTATE, TRUE, 0);
  EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0), BST_PUSHED);
  SendMessageA(b, BM_SETSTATE, FALSE, 0);
  EXPECT_TRUE(Clicks().empty());
  SendMessageA(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  EXPECT_EQ(SendMessageA(b, WM_GETDLGCODE, 0, 0), DLGC_BUTTON | DLGC_DEFPUSHBUTTON);
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_EQ(Clicks().size(), 1u);
  EnableWindow(b, FALSE);
  SendMessageA(b, BM_CLICK, 0, 0);
  EXPECT_EQ(Clicks().size(), 1u);
}

// A program that superclasses "Button" under its own name reaches the same behaviour, and
// a control id changed after creation is the one reported.
WNDPROC buttonProcedure = nullptr;
LRESULT SuperButton(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return CallWindowProcA(buttonProcedure, w, m, wp, lp);
}

TEST_F(ButtonTest, SuperclassedButtonWorksAndReportsItsCurrentId) {
  WNDCLASSA wc{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "BUTTON", &wc));
  EXPECT_TRUE(wc.style & CS_DBLCLKS);
  EXPECT_GE(wc.cbWndExtra, 0);
  buttonProcedure = wc.lpfnWndProc;
  wc.lpfnWndProc = SuperButton;
  wc.lpszClassName = "TMyButton";
  wc.hInstance = nullptr;
  ASSERT_NE(RegisterClassA(&wc), 0);
  HWND b = Make("TMyButton", "Go", 0, 10, 10, 60, 24, 3);
  SetWindowLongA(b, GWLP_ID, static_cast<LONG_PTR>(reinterpret_cast<ULONG_PTR>(b)));
  Notes().clear();
  ClickAt(b, 5, 5);
  pt::PumpUntilIdle();
  auto clicks = Clicks();
  ASSERT_EQ(clicks.size(), 1u);
  EXPECT_EQ(LOWORD(clicks[0].wParam), LOWORD(reinterpret_cast<ULONG_PTR>(b)));
}

TEST_F(ButtonTest, ClassicLookRaisedDefaultAndPressed) {
  HWND b = Button("");
  RECT all{0, 0, 60, 24};
  EXPECT_TRUE(LooksLike(b, all, [](HDC dc) { RaisedButton(dc, 0, 0, 60, 24); }));

  SendMessageA(b, BM_SETSTYLE, BS_DEFPUSHBUTTON, TRUE);
  pt::PumpUntilIdle();
  EXPECT_TRUE(LooksLike(b, all, [](HDC dc) {
    Frame(dc, 0, 0, 60, 24, kBlack);
    RaisedButton(dc, 1, 1, 59, 23);
  }));

  SendMessageA(b, BM_SETSTATE, TRUE, 0);
  pt::PumpUntilIdle();
  EXPECT_TRUE(LooksLike(b, all, [](HDC dc) {
    Fill(dc, 0, 0, 60, 24, kFace);
    Frame(dc, 0, 0, 60, 24, kBlack);
    Frame(dc, 1, 1, 59, 23, kShadow);
  }));
}

TEST_F(ButtonTest, TextIsBlackAndDisabledTextIsEmbossed) {
  HWND b = Button("OK");
  RECT inside{3, 3, 57, 21};
  EXPECT_GT(PixelsOf(b, inside, kBlack), 10);
  EnableWindow(b, FALSE);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(b, inside, kBlack), 0);
  EXPECT_GT(PixelsOf(b, inside, kShadow), 10);
  EXPECT_GT(PixelsOf(b, inside, kWhite), 10);
}

TEST_F(ButtonTest, FocusRectangleFollowsTheFocus) {
  HWND b = Button("");
  COLORREF dotted = RGB(63, 63, 63);  // button face with every other pixel inverted
  RECT ring{3, 3, 57, 21};
  EXPECT_EQ(PixelsOf(b, ring, dotted), 0);
  SetFocus(b);
  pt::PumpUntilIdle();
  EXPECT_GT(PixelsOf(b, ring, dotted), 40);
  SetFocus(parent_);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(b, ring, dotted), 0);
}

TEST_F(ButtonTest, DestroyedInsideItsClickHandlerStopsCleanly) {
  HWND b = Button();
  ParentHook() = [b](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    if (m == WM_COMMAND && HIWORD(wp) == BN_CLICKED) DestroyWindow(b);
    return -12345;
  };
  ClickAt(b, 30, 12);
  pt::PumpUntilIdle();
  EXPECT_FALSE(IsWindow(b));
  EXPECT_EQ(SendMessageA(b, BM_GETSTATE, 0, 0), 0);
}
