#include "controls_test_util.h"

using namespace controltest;

namespace {

class TrackBarTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    InitCommonControls();
  }
  HWND Bar(DWORD style = TBS_HORZ | TBS_AUTOTICKS | TBS_ENABLESELRANGE, int width = 150,
           int height = 45) {
    HWND t = Make(TRACKBAR_CLASSA, "", style | WS_TABSTOP, 10, 10, width, height, 11);
    pt::PumpUntilIdle();
    Notes().clear();
    return t;
  }
  static int Pos(HWND t) { return static_cast<int>(SendMessageA(t, TBM_GETPOS, 0, 0)); }
  // The TB_ codes of the scroll messages the parent got, with the position seen at each.
  std::vector<std::pair<int, int>> Scrolls(UINT message = WM_HSCROLL) {
    std::vector<std::pair<int, int>> out;
    for (const Note& n : Notes())
      if (n.message == message) out.emplace_back(LOWORD(n.wParam), HIWORD(n.wParam));
    return out;
  }
  static RECT Thumb(HWND t) {
    RECT r;
    SendMessageA(t, TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(&r));
    return r;
  }
};

}  // namespace

TEST_F(TrackBarTest, RangePositionTicksAndSelectionMessages) {
  HWND t = Bar();
  WNDCLASSA wc;
  ASSERT_TRUE(GetClassInfoA(nullptr, TRACKBAR_CLASSA, &wc));
  EXPECT_EQ(SendMessageA(t, TBM_GETRANGEMIN, 0, 0), 0);
  EXPECT_EQ(SendMessageA(t, TBM_GETRANGEMAX, 0, 0), 100);
  SendMessageA(t, TBM_SETPOS, TRUE, 250);
  EXPECT_EQ(Pos(t), 100);
  SendMessageA(t, TBM_SETRANGEMAX, TRUE, 40);
  EXPECT_EQ(Pos(t), 40);
  SendMessageA(t, TBM_SETRANGEMIN, TRUE, 10);
  SendMessageA(t, TBM_SETPOS, TRUE, -5);
  EXPECT_EQ(Pos(t), 10);
  SendMessageA(t, TBM_SETTICFREQ, 10, 0);
  EXPECT_EQ(SendMessageA(t, TBM_GETNUMTICS, 0, 0), 4);  // 10, 20, 30, 40
  EXPECT_EQ(SendMessageA(t, TBM_GETTIC, 0, 0), 20);
  EXPECT_EQ(SendMessageA(t, TBM_SETPAGESIZE, 0, 7), 6);  // a fifth of the range until set
  EXPECT_EQ(SendMessageA(t, TBM_GETPAGESIZE, 0, 0), 7);
  EXPECT_EQ(SendMessageA(t, TBM_SETLINESIZE, 0, 3), 1);
  SendMessageA(t, TBM_SETSEL, TRUE, MAKELONG(15, 30));
  EXPECT_EQ(SendMessageA(t, TBM_GETSELSTART, 0, 0), 15);
  EXPECT_EQ(SendMessageA(t, TBM_GETSELEND, 0, 0), 30);
  SendMessageA(t, TBM_CLEARSEL, TRUE, 0);
  EXPECT_EQ(SendMessageA(t, TBM_GETSELEND, 0, 0), 0);
  HWND manual = Bar(TBS_HORZ, 150, 45);
  EXPECT_TRUE(SendMessageA(manual, TBM_SETTIC, 0, 30));
  EXPECT_FALSE(SendMessageA(manual, TBM_SETTIC, 0, 300));
  EXPECT_EQ(SendMessageA(manual, TBM_GETNUMTICS, 0, 0), 3);
  EXPECT_EQ(SendMessageA(manual, TBM_GETTIC, 0, 0), 30);
  SendMessageA(manual, TBM_CLEARTICS, TRUE, 0);
  EXPECT_EQ(SendMessageA(manual, TBM_GETNUMTICS, 0, 0), 2);
  HWND none = Bar(TBS_HORZ | TBS_NOTICKS);
  EXPECT_EQ(SendMessageA(none, TBM_GETNUMTICS, 0, 0), 0);
  EXPECT_TRUE(Notes().empty());  // nothing of this is told to the parent
}

TEST_F(TrackBarTest, KeysMoveTheThumbAndTellTheParent) {
  HWND t = Bar();
  SendMessageA(t, TBM_SETPAGESIZE, 0, 10);
  std::vector<int> seen;
  ParentHook() = [t, &seen](UINT m, WPARAM, LPARAM) -> LRESULT {
    if (m == WM_HSCROLL) seen.push_back(Pos(t));  // the position is already the new one
    return -12345;
  };
  SetFocus(t);
  pt::PressKey(VK_RIGHT);
  pt::PressKey(VK_NEXT);
  pt::PressKey(VK_END);
  pt::PressKey(VK_LEFT);
  pt::PressKey(VK_HOME);
  pt::PumpUntilIdle();
  auto codes = Scrolls();
  std::vector<int> only;
  for (auto [code, pos] : codes) only.push_back(code);
  EXPECT_EQ(only, (std::vector<int>{TB_LINEDOWN, TB_ENDTRACK, TB_PAGEDOWN, TB_ENDTRACK, TB_BOTTOM,
                                    TB_ENDTRACK, TB_LINEUP, TB_ENDTRACK, TB_TOP, TB_ENDTRACK}));
  EXPECT_EQ(seen, (std::vector<int>{1, 1, 11, 11, 100, 100, 99, 99, 0, 0}));
  for (const Note& n : Notes())
    if (n.message == WM_HSCROLL) {
      EXPECT_EQ(n.lParam, reinterpret_cast<LPARAM>(t));
    }
  EXPECT_EQ(SendMessageA(t, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
  HWND vertical = Bar(TBS_VERT | TBS_AUTOTICKS, 45, 150);
  SetFocus(vertical);
  pt::PressKey(VK_DOWN);
  pt::PumpUntilIdle();
  EXPECT_EQ(Pos(vertical), 1);
  EXPECT_EQ(Scrolls(WM_VSCROLL).size(), 2u);
  ParentHook() = nullptr;
}

TEST_F(TrackBarTest, ProgramPositionIsSilentAndRepaintsOnlyTheTwoThumbs) {
  HWND t = Bar();
  SendMessageA(t, TBM_SETRANGEMAX, TRUE, 1000000);
  SendMessageA(t, TBM_SETTICFREQ, 50, 1);
  pt::PumpUntilIdle();
  Notes().clear();
  RECT before = Thumb(t);
  SendMessageA(t, TBM_SETPOS, TRUE, 600000);
  RECT after = Thumb(t);
  EXPECT_EQ(CountOf(WM_HSCROLL), 0);
  RECT update;
  ASSERT_TRUE(GetUpdateRect(t, &update, FALSE));
  RECT both;
  UnionRect(&both, &before, &after);
  EXPECT_TRUE(EqualRect(&update, &both));
  // Nothing but the two thumbs waits to be painted.
  ValidateRect(t, &before);
  ValidateRect(t, &after);
  EXPECT_FALSE(GetUpdateRect(t, &update, FALSE));
  pt::PumpUntilIdle();
  EXPECT_EQ(Pos(t), 600000);
}

TEST_F(TrackBarTest, PressesPageAndTheThumbIsDragged) {
  HWND t = Bar();
  SendMessageA(t, TBM_SETPAGESIZE, 0, 10);
  RECT thumb = Thumb(t);
  POINT right = At(t, thumb.right + 40, (thumb.top + thumb.bottom) / 2);
  pt::Click(right.x, right.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Pos(t), 10);
  auto codes = Scrolls();
  ASSERT_EQ(codes.size(), 2u);
  EXPECT_EQ(codes[0].first, TB_PAGEDOWN);
  EXPECT_EQ(codes[1].first, TB_ENDTRACK);
  Notes().clear();
  pt::AdvanceTime(1000);
  pt::MouseDown(right.x, right.y);
  pt::PumpUntilIdle();
  pt::AdvanceTime(400 + 100 + 100);  // then every 100 ms until the thumb reaches the pointer
  pt::MouseUp(right.x, right.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Pos(t), 40);
  Notes().clear();
  thumb = Thumb(t);
  POINT grab = At(t, (thumb.left + thumb.right) / 2, (thumb.top + thumb.bottom) / 2);
  RECT channel;
  SendMessageA(t, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&channel));
  pt::MouseDown(grab.x, grab.y);
  pt::MouseMove(grab.x - 200, grab.y);  // far past the start: the thumb stops at the minimum
  pt::MouseUp(grab.x - 200, grab.y);
  pt::PumpUntilIdle();
  EXPECT_EQ(Pos(t), 0);
  codes = Scrolls();
  ASSERT_EQ(codes.size(), 3u);
  EXPECT_EQ(codes[0], (std::pair<int, int>{TB_THUMBTRACK, 0}));
  EXPECT_EQ(codes[1], (std::pair<int, int>{TB_THUMBPOSITION, 0}));
  EXPECT_EQ(codes[2].first, TB_ENDTRACK);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(TrackBarTest, ClassicLookChannelThumbAndTicks) {
  HWND t = Bar(TBS_HORZ | TBS_AUTOTICKS | TBS_ENABLESELRANGE);
  SendMessageA(t, TBM_SETTICFREQ, 10, 1);
  SendMessageA(t, TBM_SETSEL, TRUE, MAKELONG(50, 80));
  SendMessageA(t, TBM_SETPOS, TRUE, 20);
  pt::PumpUntilIdle();
  RECT c;
  SendMessageA(t, TBM_GETCHANNELRECT, 0, reinterpret_cast<LPARAM>(&c));
  ASSERT_EQ(c.bottom - c.top, 8);  // wide enough to show the selection range
  // A sunken groove: grey and black above, light and white below, white inside.
  EXPECT_EQ(pt::WindowPixel(t, c.left + 3, c.top), kShadow);
  EXPECT_EQ(pt::WindowPixel(t, c.left + 3, c.top + 1), kBlack);
  EXPECT_EQ(pt::WindowPixel(t, c.left + 3, c.bottom - 1), kWhite);
  int selected = static_cast<int>(SendMessageA(t, TBM_GETTICPOS, 4, 0));  // the tick at 60
  EXPECT_EQ(pt::WindowPixel(t, selected, c.top + 2), kNavy);
  EXPECT_EQ(pt::WindowPixel(t, c.left + 3, c.top + 2), kWhite);
  RECT thumb = Thumb(t);
  EXPECT_EQ(pt::WindowPixel(t, thumb.left, thumb.top), kWhite);
  EXPECT_EQ(pt::WindowPixel(t, thumb.right - 1, thumb.top + 3), kBlack);
  EXPECT_EQ(pt::WindowPixel(t, thumb.left + 4, thumb.top + 4), kFace);
  // The point at the bottom ends in one pixel in the middle.
  EXPECT_EQ(pt::WindowPixel(t, thumb.left, thumb.bottom - 1), kFace);
  // Ticks below the thumb's band, one every 10.
  int tick = static_cast<int>(SendMessageA(t, TBM_GETTICPOS, 6, 0));  // the tick at 80
  int below = -1;
  for (int y = thumb.bottom; y < 45; ++y)
    if (pt::WindowPixel(t, tick, y) == kBlack) {
      below = y;
      break;
    }
  EXPECT_GT(below, thumb.bottom);
  EXPECT_EQ(pt::WindowPixel(t, tick + 3, below), kFace);
}
