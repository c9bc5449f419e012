// The form's scroll bars: they follow the children's extent on the window itself, and
// scrolling by them moves the children.
#include <limits>

#include "tests/forms/forms_fixture.h"

namespace {

class ScrollingTest : public FormsTest {
 protected:
  bool Shows(int styleBit) { return (GetWindowLongA(form->Handle(), GWL_STYLE) & styleBit) != 0; }
  SCROLLINFO Info(int bar) {
    SCROLLINFO info{sizeof(SCROLLINFO), SIF_ALL, 0, 0, 0, 0, 0};
    EXPECT_TRUE(GetScrollInfo(form->Handle(), bar, &info));
    return info;
  }
  void Scroll(UINT msg, int code, int position = 0) {
    SendMessageA(form->Handle(), msg, MAKEWPARAM(code, position), 0);
  }
};

TEST_F(ScrollingTest, BarsComeAndGoWithTheChildrenExtent) {
  auto* inside = Add<TTestWinControl>(form, RECT{10, 10, 60, 40});
  pt::PumpUntilIdle();
  EXPECT_FALSE(Shows(WS_VSCROLL));
  EXPECT_FALSE(Shows(WS_HSCROLL));
  EXPECT_FALSE(form->VertScrollBar()->IsScrollBarVisible());

  int height = form->ClientHeight();
  auto* below = Add<TTestGraphic>(form, RECT{10, height + 50, 40, height + 100});
  pt::PumpUntilIdle();
  EXPECT_TRUE(Shows(WS_VSCROLL));
  EXPECT_FALSE(Shows(WS_HSCROLL));
  EXPECT_TRUE(form->VertScrollBar()->IsScrollBarVisible());
  SCROLLINFO info = Info(SB_VERT);
  EXPECT_EQ(info.nMin, 0);
  EXPECT_EQ(info.nMax, height + 100 - 1);
  EXPECT_EQ(static_cast<int>(info.nPage), form->ClientHeight());
  EXPECT_EQ(info.nPos, 0);

  // Back inside: the bar goes, and so does a hidden child's extent.
  below->SetBoundsRect(RECT{10, 50, 40, 80});
  pt::PumpUntilIdle();
  EXPECT_FALSE(Shows(WS_VSCROLL));
  below->SetTop(height + 50);
  below->SetVisible(false);
  pt::PumpUntilIdle();
  EXPECT_FALSE(Shows(WS_VSCROLL));

  // Visible false keeps the bar away whatever the extent; AutoScroll off keeps the range.
  below->SetVisible(true);
  form->VertScrollBar()->SetVisible(false);
  pt::PumpUntilIdle();
  EXPECT_FALSE(Shows(WS_VSCROLL));
  form->VertScrollBar()->SetVisible(true);
  EXPECT_TRUE(Shows(WS_VSCROLL));
  (void)inside;
}

TEST_F(ScrollingTest, OneBarBringsTheOther) {
  // Wider than the client area less a vertical bar, but not wider than the client area.
  int width = form->ClientWidth(), height = form->ClientHeight();
  Add<TTestWinControl>(form, RECT{width - 10, 0, width - 2, 10});
  pt::PumpUntilIdle();
  EXPECT_FALSE(Shows(WS_HSCROLL));
  Add<TTestWinControl>(form, RECT{0, height + 20, 10, height + 30});
  pt::PumpUntilIdle();
  EXPECT_TRUE(Shows(WS_VSCROLL));
  EXPECT_TRUE(Shows(WS_HSCROLL));
  EXPECT_EQ(static_cast<int>(Info(SB_HORZ).nPage), form->ClientWidth());
  EXPECT_EQ(static_cast<int>(Info(SB_VERT).nPage), form->ClientHeight());
  EXPECT_EQ(form->ClientWidth(), width - GetSystemMetrics(SM_CXVSCROLL));
  EXPECT_EQ(form->ClientHeight(), height - GetSystemMetrics(SM_CYHSCROLL));
}

TEST_F(ScrollingTest, ScrollMessagesMoveTheChildren) {
  int height = form->ClientHeight();
  auto* top = Add<TTestWinControl>(form, RECT{10, 10, 60, 40});
  auto* far = Add<TTestGraphic>(form, RECT{10, 2 * height, 40, 2 * height + 40});
  pt::PumpUntilIdle();
  int page = form->ClientHeight();
  int limit = 2 * height + 40 - page;

  Scroll(WM_VSCROLL, SB_LINEDOWN);
  EXPECT_EQ(form->VertScrollBar()->Position(), 8);
  EXPECT_EQ(Info(SB_VERT).nPos, 8);
  EXPECT_EQ(top->Top(), 2);
  RECT onScreen{};
  GetWindowRect(top->Handle(), &onScreen);
  EXPECT_EQ(onScreen.top, form->ClientToScreen(POINT{0, 2}).y);

  Scroll(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_EQ(Info(SB_VERT).nPos, 8 + page);
  EXPECT_EQ(far->Top(), 2 * height - 8 - page);

  Scroll(WM_VSCROLL, SB_LINEUP);
  Scroll(WM_VSCROLL, SB_PAGEUP);
  Scroll(WM_VSCROLL, SB_PAGEUP);
  EXPECT_EQ(Info(SB_VERT).nPos, 0);
  EXPECT_EQ(top->Top(), 10);

  Scroll(WM_VSCROLL, SB_BOTTOM);
  EXPECT_EQ(Info(SB_VERT).nPos, limit);
  EXPECT_EQ(far->Top() + far->Height(), page);

  // The thumb's position comes from the bar; SB_ENDSCROLL changes nothing.
  SCROLLINFO pos{sizeof(SCROLLINFO), SIF_POS, 0, 0, 0, 30, 0};
  SetScrollInfo(form->Handle(), SB_VERT, &pos, FALSE);
  Scroll(WM_VSCROLL, SB_THUMBPOSITION, 30);
  Scroll(WM_VSCROLL, SB_ENDSCROLL);
  EXPECT_EQ(form->VertScrollBar()->Position(), 30);
  EXPECT_EQ(top->Top(), -20);
  EXPECT_FALSE(Shows(WS_HSCROLL));
  Scroll(WM_HSCROLL, SB_LINERIGHT);
  EXPECT_EQ(top->Left(), 10);

  // Growing the window until everything fits scrolls the children back.
  form->SetHeight(form->Height() + 2 * height);
  pt::PumpUntilIdle();
  EXPECT_FALSE(Shows(WS_VSCROLL));
  EXPECT_EQ(form->VertScrollBar()->Position(), 0);
  EXPECT_EQ(top->Top(), 10);
  EXPECT_EQ(far->Top(), 2 * height);
}

TEST_F(ScrollingTest, ClickOnTheArrowScrollsAndRecreatingKeepsTheBar) {
  int height = form->ClientHeight();
  auto* top = Add<TTestWinControl>(form, RECT{10, 10, 60, 40});
  Add<TTestWinControl>(form, RECT{10, height + 100, 60, height + 140});
  pt::PumpUntilIdle();
  // The lower arrow of the vertical bar, right of the client area.
  POINT arrow = ScreenOf(form, form->ClientWidth() + GetSystemMetrics(SM_CXVSCROLL) / 2,
                         form->ClientHeight() - 4);
  pt::Click(arrow.x, arrow.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(form->VertScrollBar()->Position(), 8);
  EXPECT_EQ(Info(SB_VERT).nPos, 8);
  EXPECT_EQ(top->Top(), 2);

  form->RebuildWindow();
  pt::PumpUntilIdle();
  EXPECT_TRUE(Shows(WS_VSCROLL));
  EXPECT_EQ(Info(SB_VERT).nPos, 8);
  EXPECT_EQ(top->Top(), 2);
}

TEST_F(ScrollingTest, FocusScrollsTheControlIntoView) {
  int height = form->ClientHeight();
  Add<TTestWinControl>(form, RECT{10, 10, 60, 40});
  auto* far = Add<TTestWinControl>(form, RECT{10, height + 100, 60, height + 140});
  pt::PumpUntilIdle();
  far->SetFocus();
  pt::PumpUntilIdle();
  EXPECT_EQ(far->Top() + far->Height(), form->ClientHeight());
  EXPECT_EQ(Info(SB_VERT).nPos, form->VertScrollBar()->Position());
  EXPECT_GT(Info(SB_VERT).nPos, 0);
}

}  // namespace

namespace {

TEST_F(ScrollingTest, GeometryBeyondAnyScreenIsClampedSoNoSumOverflows) {
  constexpr int kMax = std::numeric_limits<int>::max();
  constexpr int kMin = std::numeric_limits<int>::min();
  auto* far = Add<TTestGraphic>(form, RECT{10, 10, 40, 40});
  far->SetLeft(kMax);
  far->SetWidth(kMax);
  EXPECT_EQ(far->Left(), kMaxCoordinate);
  EXPECT_EQ(far->BoundsRect().right, 2 * kMaxCoordinate);
  far->SetBoundsRect(RECT{kMin, kMin, kMax, kMax});
  EXPECT_EQ(far->Left(), -kMaxCoordinate);
  EXPECT_EQ(far->Width(), kMaxCoordinate);
  far->SetTop(kMax);
  far->SetHeight(kMin);
  EXPECT_EQ(far->Height(), -kMaxCoordinate);

  auto* window = Add<TTestWinControl>(form, RECT{10, 10, 40, 40});
  window->SetBoundsRect(RECT{kMax - 5, kMax - 5, kMax, kMax});
  window->SetClientWidth(kMax);
  pt::PumpUntilIdle();
  EXPECT_LE(window->Left(), kMaxCoordinate);
  EXPECT_LE(window->Width(), kMaxCoordinate);

  // Scroll ranges and margins from a description or a call.
  far->SetBoundsRect(RECT{kMaxCoordinate, 10, kMaxCoordinate + 30, 40});
  form->HorzScrollBar()->SetRange(kMax);
  form->HorzScrollBar()->SetMargin(kMax);
  EXPECT_EQ(form->HorzScrollBar()->Range(), kMaxCoordinate);
  form->ScrollInView(far);
  Scroll(WM_HSCROLL, SB_BOTTOM);
  Scroll(WM_HSCROLL, SB_PAGEDOWN);
  pt::PumpUntilIdle();
  EXPECT_GE(form->HorzScrollBar()->Position(), 0);
  EXPECT_LE(form->HorzScrollBar()->Position(), kMaxCoordinate);
  form->Rescale(3, 1);
  EXPECT_LE(far->Left(), kMaxCoordinate);
}

}  // namespace
