#include "controls_test_util.h"

using namespace controltest;

namespace {

class CaretTest : public ControlTest {
 protected:
  HWND Field() {
    HWND w = Make(WC_STATICA, "", SS_WHITERECT, 10, 10, 100, 40, 1);
    pt::PumpUntilIdle();
    return w;
  }
};

}  // namespace

TEST_F(CaretTest, ShownBlinkingHiddenMovedAndDestroyed) {
  HWND w = Field();
  ASSERT_TRUE(CreateCaret(w, nullptr, 2, 10));
  EXPECT_TRUE(SetCaretPos(20, 5));
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(w, 20, 5), kWhite);  // a new caret is hidden
  ASSERT_TRUE(ShowCaret(w));
  EXPECT_EQ(pt::WindowPixel(w, 20, 5), kBlack);
  EXPECT_EQ(pt::WindowPixel(w, 21, 14), kBlack);
  EXPECT_EQ(pt::WindowPixel(w, 22, 5), kWhite);
  EXPECT_EQ(GetCaretBlinkTime(), 530u);
  pt::AdvanceTime(530);
  EXPECT_EQ(pt::WindowPixel(w, 20, 5), kWhite);
  pt::AdvanceTime(530);
  EXPECT_EQ(pt::WindowPixel(w, 20, 5), kBlack);
  // Painting the window does not leave the caret inverted twice.
  InvalidateRect(w, nullptr, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(w, 20, 5), kBlack);
  SetCaretPos(40, 5);
  POINT p;
  ASSERT_TRUE(GetCaretPos(&p));
  EXPECT_EQ(p.x, 40);
  EXPECT_EQ(pt::WindowPixel(w, 20, 5), kWhite);
  EXPECT_EQ(pt::WindowPixel(w, 40, 5), kBlack);
  HideCaret(w);
  HideCaret(w);
  ShowCaret(w);  // hiding counts: still hidden
  EXPECT_EQ(pt::WindowPixel(w, 40, 5), kWhite);
  pt::AdvanceTime(2000);
  EXPECT_EQ(pt::WindowPixel(w, 40, 5), kWhite);
  ShowCaret(w);
  EXPECT_EQ(pt::WindowPixel(w, 40, 5), kBlack);
  EXPECT_TRUE(SetCaretBlinkTime(100));
  EXPECT_FALSE(SetCaretBlinkTime(0));
  EXPECT_TRUE(DestroyCaret());
  EXPECT_EQ(pt::WindowPixel(w, 40, 5), kWhite);
  EXPECT_FALSE(DestroyCaret());
  SetCaretBlinkTime(530);
}

TEST_F(CaretTest, OnlyTheCaretsWindowShowsItAndItGoesWithTheWindow) {
  HWND w = Field();
  HWND other = Make(WC_STATICA, "", SS_WHITERECT, 10, 60, 100, 40, 2);
  ASSERT_TRUE(CreateCaret(w, nullptr, 1, 8));
  EXPECT_FALSE(ShowCaret(other));
  EXPECT_TRUE(ShowCaret(nullptr));
  DestroyWindow(w);
  POINT p;
  EXPECT_FALSE(GetCaretPos(&p));
  EXPECT_FALSE(ShowCaret(nullptr));
  pt::AdvanceTime(2000);  // the blink timer of a gone caret does nothing
  EXPECT_FALSE(CreateCaret(w, nullptr, 1, 8));
}
