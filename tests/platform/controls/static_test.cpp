#include "controls_test_util.h"

using namespace controltest;

namespace {

class StaticTest : public ControlTest {};

// The columns of a client rectangle that hold a pixel of `colour`.
std::pair<int, int> InkColumns(HWND w, const RECT& r, COLORREF colour) {
  int first = -1, last = -1;
  for (int x = r.left; x < r.right; ++x)
    for (int y = r.top; y < r.bottom; ++y)
      if (pt::WindowPixel(w, x, y) == colour) {
        if (first < 0) first = x;
        last = x;
        break;
      }
  return {first, last};
}

}  // namespace

TEST_F(StaticTest, TextIsPlacedByItsAlignmentOnTheParentsBrush) {
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  ParentHook() = [red](UINT m, WPARAM wp, LPARAM) -> LRESULT {
    if (m != WM_CTLCOLORSTATIC) return -12345;
    SetTextColor(reinterpret_cast<HDC>(wp), RGB(0, 0, 255));
    return reinterpret_cast<LRESULT>(red);
  };
  HWND left = Make(WC_STATICA, "Song", SS_LEFT, 10, 10, 120, 16);
  HWND centre = Make(WC_STATICA, "Song", SS_CENTER, 10, 30, 120, 16);
  HWND right = Make(WC_STATICA, "Song", SS_RIGHT, 10, 50, 120, 16);
  pt::PumpUntilIdle();
  RECT all{0, 0, 120, 16};
  auto [l0, l1] = InkColumns(left, all, RGB(0, 0, 255));
  auto [c0, c1] = InkColumns(centre, all, RGB(0, 0, 255));
  auto [r0, r1] = InkColumns(right, all, RGB(0, 0, 255));
  ASSERT_GE(l0, 0);
  EXPECT_LE(l0, 1);
  EXPECT_NEAR(c0, 120 - 1 - c1, 2);
  EXPECT_GE(r1, 117);
  EXPECT_EQ(l1 - l0, r1 - r0);
  EXPECT_EQ(pt::WindowPixel(centre, 2, 2), RGB(255, 0, 0));
  int colourRequests = 0;
  for (const Note& n : Notes())
    if (n.message == WM_CTLCOLORSTATIC && n.lParam == reinterpret_cast<LPARAM>(centre))
      ++colourRequests;
  EXPECT_GE(colourRequests, 1);
  ParentHook() = nullptr;
  DeleteObject(red);
}

TEST_F(StaticTest, ClicksPassThroughUnlessItNotifies) {
  HWND plain = Make(WC_STATICA, "a", SS_LEFT, 10, 10, 50, 16, 1);
  HWND notifying = Make(WC_STATICA, "b", SS_LEFT | SS_NOTIFY, 10, 40, 50, 16, 2);
  pt::PumpUntilIdle();
  Notes().clear();
  ClickAt(plain, 5, 5);
  pt::PumpUntilIdle();
  EXPECT_EQ(CountOf(WM_LBUTTONDOWN), 1);  // the parent got the press itself
  ClickAt(notifying, 5, 5);
  pt::PumpUntilIdle();
  EXPECT_EQ(CountOf(WM_LBUTTONDOWN), 1);
  ASSERT_EQ(Commands().size(), 1u);
  EXPECT_EQ(Commands()[0], STN_CLICKED);
  EXPECT_EQ(SendMessageA(plain, WM_GETDLGCODE, 0, 0), DLGC_STATIC);
}

TEST_F(StaticTest, IconStaticTakesItsIconsSize) {
  HWND icon = CreateWindowExA(0, WC_STATICA, IDI_HAND, WS_CHILD | WS_VISIBLE | SS_ICON, 10, 10, 5,
                              5, parent_, nullptr, nullptr, nullptr);
  ASSERT_NE(icon, nullptr);
  pt::PumpUntilIdle();
  HICON shown = reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0));
  ASSERT_NE(shown, nullptr);
  RECT r;
  GetClientRect(icon, &r);
  EXPECT_EQ(r.right, 32);
  EXPECT_EQ(r.bottom, 32);
  int drawn = 32 * 32 - PixelsOf(icon, r, kFace);
  EXPECT_GT(drawn, 100);
  HICON other = LoadIconA(nullptr, IDI_QUESTION);
  EXPECT_EQ(
      reinterpret_cast<HICON>(SendMessageA(icon, STM_SETICON, reinterpret_cast<WPARAM>(other), 0)),
      shown);
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageA(icon, STM_GETICON, 0, 0)), other);
}

TEST_F(StaticTest, DisabledTextIsEmbossed) {
  HWND s = Make(WC_STATICA, "Paused", SS_LEFT, 10, 10, 100, 16);
  pt::PumpUntilIdle();
  RECT all{0, 0, 100, 16};
  EXPECT_GT(PixelsOf(s, all, kBlack), 10);
  EnableWindow(s, FALSE);
  pt::PumpUntilIdle();
  EXPECT_EQ(PixelsOf(s, all, kBlack), 0);
  EXPECT_GT(PixelsOf(s, all, kShadow), 10);
  EXPECT_GT(PixelsOf(s, all, kWhite), 10);
}
