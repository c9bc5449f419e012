#include "controls_test_util.h"

using namespace controltest;

namespace {

// Each row of the window's client area in its own colour, so moved pixels show where they
// came from.
COLORREF RowColour(int y) { return RGB(0, 2 * y, 255 - 2 * y); }

int paints = 0;

LRESULT Banded(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    ++paints;
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    for (int y = ps.rcPaint.top; y < ps.rcPaint.bottom; ++y) {
      HBRUSH brush = CreateSolidBrush(RowColour(y));
      RECT row{ps.rcPaint.left, y, ps.rcPaint.right, y + 1};
      FillRect(dc, &row, brush);
      DeleteObject(brush);
    }
    EndPaint(w, &ps);
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

class ScrollWindowTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Banded;
    wc.lpszClassName = "Banded";
    RegisterClassA(&wc);
  }
  HWND Window(DWORD style = 0) {
    HWND w = CreateWindowExA(0, "Banded", "", WS_POPUP | WS_VISIBLE | style, 50, 50, 100, 100,
                             nullptr, nullptr, nullptr, nullptr);
    pt::PumpUntilIdle();
    paints = 0;
    return w;
  }
  static RECT Box(HRGN region) {
    RECT r;
    GetRgnBox(region, &r);
    return r;
  }
};

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

}  // namespace

TEST_F(ScrollWindowTest, PixelsMoveAndOnlyTheUncoveredStripIsPaintedAgain) {
  HWND w = Window();
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  RECT bounds;
  EXPECT_EQ(ScrollWindowEx(w, 0, -20, nullptr, nullptr, update, &bounds, SW_INVALIDATE),
            SIMPLEREGION);
  EXPECT_TRUE(Same(bounds, RECT{0, 80, 100, 100}));
  EXPECT_TRUE(Same(Box(update), bounds));
  EXPECT_EQ(pt::WindowPixel(w, 7, 0), RowColour(20));
  EXPECT_EQ(pt::WindowPixel(w, 7, 79), RowColour(99));
  RECT waiting;
  ASSERT_TRUE(GetUpdateRect(w, &waiting, FALSE));
  EXPECT_TRUE(Same(waiting, bounds));
  pt::PumpUntilIdle();
  EXPECT_EQ(paints, 1);
  EXPECT_EQ(pt::WindowPixel(w, 7, 90), RowColour(90));
  EXPECT_EQ(pt::WindowPixel(w, 7, 10), RowColour(30));

  // Sideways and down together: an L-shaped strip, two rectangles.
  EXPECT_EQ(ScrollWindowEx(w, 5, 5, nullptr, nullptr, update, nullptr, 0), COMPLEXREGION);
  EXPECT_TRUE(Same(Box(update), RECT{0, 0, 100, 100}));
  EXPECT_FALSE(GetUpdateRect(w, nullptr, FALSE));  // nothing invalidated without the flag
  EXPECT_EQ(pt::WindowPixel(w, 50, 50), RowColour(65));
  DeleteObject(update);
  DestroyWindow(w);
  EXPECT_EQ(ScrollWindowEx(w, 0, 5, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE), ERROR);
}

TEST_F(ScrollWindowTest, ScrolledRectangleCarriesItsPendingPaintAndCaretButNothingOutside) {
  HWND w = Window();
  ASSERT_TRUE(CreateCaret(w, nullptr, 2, 5));
  SetCaretPos(50, 40);
  ShowCaret(w);
  RECT pending{0, 30, 10, 40};
  InvalidateRect(w, &pending, TRUE);
  RECT area{0, 20, 100, 80};
  RECT bounds;
  ScrollWindowEx(w, 0, 10, &area, nullptr, nullptr, &bounds, 0);
  EXPECT_TRUE(Same(bounds, RECT{0, 20, 100, 30}));
  RECT waiting;
  ASSERT_TRUE(GetUpdateRect(w, &waiting, FALSE));
  EXPECT_TRUE(Same(waiting, RECT{0, 40, 10, 50}));
  EXPECT_EQ(pt::WindowPixel(w, 60, 79), RowColour(69));
  EXPECT_EQ(pt::WindowPixel(w, 60, 80), RowColour(80));  // below the area: untouched
  EXPECT_EQ(pt::WindowPixel(w, 60, 19), RowColour(19));
  POINT caret;
  GetCaretPos(&caret);
  EXPECT_EQ(caret.y, 50);
  // The caret went with the pixels and was not copied with them: one caret, at its place.
  EXPECT_EQ(pt::WindowPixel(w, 50, 40), RowColour(30));
  EXPECT_NE(pt::WindowPixel(w, 50, 50), RowColour(40));

  // A clip takes in the pixels scrolled into it and leaves those outside it alone.
  RECT clip{0, 0, 100, 50};
  EXPECT_EQ(ScrollWindowEx(w, 0, -5, nullptr, &clip, nullptr, &bounds, SW_INVALIDATE), NULLREGION);
  EXPECT_EQ(pt::WindowPixel(w, 60, 45), RowColour(40));  // from row 50, which held row 40
  EXPECT_EQ(pt::WindowPixel(w, 60, 60), RowColour(50));
  DestroyCaret();
}

TEST_F(ScrollWindowTest, ChildrenMoveWithTheWholeClientAreaOrWhenAsked) {
  HWND w = Window(WS_CLIPCHILDREN);
  HWND child = CreateWindowExA(0, WC_STATICA, "", WS_CHILD | WS_VISIBLE | SS_BLACKRECT, 10, 60, 20,
                               20, w, nullptr, nullptr, nullptr);
  pt::PumpUntilIdle();
  auto childTop = [&] {
    RECT r;
    GetWindowRect(child, &r);
    POINT p{r.left, r.top};
    ScreenToClient(w, &p);
    return p.y;
  };
  RECT above{0, 0, 100, 40};
  ScrollWindow(w, 0, 5, &above, nullptr);  // a rectangle: children stay
  EXPECT_EQ(childTop(), 60);
  ScrollWindow(w, 0, -15, nullptr, nullptr);
  EXPECT_EQ(childTop(), 45);
  ScrollWindowEx(w, 0, 10, &above, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
  EXPECT_EQ(childTop(), 45);  // it does not meet the rectangle
  RECT middle{0, 40, 100, 70};
  ScrollWindowEx(w, 0, 10, &middle, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE);
  EXPECT_EQ(childTop(), 55);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(child, 5, 5), kBlack);
}

TEST_F(ScrollWindowTest, ScrollDCMovesBitsInLogicalCoordinatesAndReportsTheUncovered) {
  HDC screen = GetDC(nullptr);
  HDC dc = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 40, 40);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(dc, bitmap);
  for (int x = 0; x < 40; ++x)
    for (int y = 0; y < 40; ++y) SetPixel(dc, x, y, RGB(x * 5, y * 5, 0));
  SetWindowOrgEx(dc, 10, 10, nullptr);  // logical (10, 10) is the bitmap's (0, 0)
  RECT scroll{10, 10, 50, 50};
  RECT clip{10, 10, 30, 50};
  HRGN update = CreateRectRgn(0, 0, 0, 0);
  RECT bounds;
  ASSERT_TRUE(ScrollDC(dc, 5, 0, &scroll, &clip, update, &bounds));
  EXPECT_TRUE(Same(bounds, RECT{10, 10, 15, 50}));
  EXPECT_TRUE(Same(Box(update), bounds));
  EXPECT_EQ(GetPixel(dc, 25, 12), RGB(10 * 5, 2 * 5, 0));  // from logical (20, 12)
  EXPECT_EQ(GetPixel(dc, 35, 12), RGB(25 * 5, 2 * 5, 0));  // outside the clip: unchanged
  // Without a rectangle the DC's whole area scrolls.
  ASSERT_TRUE(ScrollDC(dc, 0, -8, nullptr, nullptr, update, &bounds));
  EXPECT_TRUE(Same(bounds, RECT{10, 42, 50, 50}));
  EXPECT_EQ(GetPixel(dc, 45, 10), RGB(35 * 5, 8 * 5, 0));
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  EXPECT_FALSE(ScrollDC(dc, 1, 1, nullptr, nullptr, nullptr, nullptr));
  DeleteObject(update);
}
