#include "controls_test_util.h"

using namespace controltest;

namespace {

std::vector<std::pair<int, int>> scrolls;  // (code, 16-bit position)

// A window with its own vertical bar that follows the thumb as programs do.
LRESULT Scrolled(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_VSCROLL) {
    scrolls.emplace_back(LOWORD(wp), HIWORD(wp));
    int pos = GetScrollPos(w, SB_VERT);
    switch (LOWORD(wp)) {
      case SB_LINEDOWN:
        SetScrollPos(w, SB_VERT, pos + 1, TRUE);
        break;
      case SB_PAGEDOWN:
        SetScrollPos(w, SB_VERT, pos + 10, TRUE);
        break;
      case SB_THUMBTRACK:
        SetScrollPos(w, SB_VERT, HIWORD(wp), TRUE);
        break;
      default:
        break;
    }
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

class ScrollBarTest : public ControlTest {
 protected:
  void SetUp() override {
    ControlTest::SetUp();
    scrolls.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Scrolled;
    wc.lpszClassName = "Scrolled";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_WINDOW + 1));
    RegisterClassA(&wc);
  }
  // A top-level window 200 x 200 with a vertical bar and no frame: the bar's screen
  // column is 284..299 and its rows 100..299.
  HWND Window() {
    HWND w = CreateWindowExA(0, "Scrolled", "", WS_POPUP | WS_VISIBLE | WS_VSCROLL, 100, 100, 200,
                             200, nullptr, nullptr, nullptr, nullptr);
    pt::PumpUntilIdle();
    return w;
  }
  static std::vector<int> Codes() {
    std::vector<int> out;
    for (auto [code, pos] : scrolls) out.push_back(code);
    return out;
  }
};

}  // namespace

TEST_F(ScrollBarTest, ValuesAreKeptConsistentAndTheBarComesAndGoes) {
  HWND w = Window();
  SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
  ASSERT_TRUE(GetScrollInfo(w, SB_VERT, &info));
  EXPECT_EQ(info.nMax, 100);
  info = SCROLLINFO{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 49, 10, 45, 0};
  EXPECT_EQ(SetScrollInfo(w, SB_VERT, &info, TRUE), 40);  // max - (page - 1)
  info = SCROLLINFO{sizeof info, SIF_PAGE, 0, 0, 500, 0, 0};
  SetScrollInfo(w, SB_VERT, &info, TRUE);
  info.fMask = SIF_ALL;
  GetScrollInfo(w, SB_VERT, &info);
  EXPECT_EQ(info.nPage, 50u);  // cut to the range
  EXPECT_EQ(info.nPos, 0);
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 200);  // nothing to scroll: the bar went
  EXPECT_FALSE(GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL);
  EXPECT_TRUE(SetScrollRange(w, SB_VERT, 0, 99, TRUE));
  info = SCROLLINFO{sizeof info, SIF_PAGE, 0, 0, 10, 0, 0};
  SetScrollInfo(w, SB_VERT, &info, TRUE);
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 184);
  EXPECT_EQ(SetScrollPos(w, SB_VERT, 30, TRUE), 0);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), 30);
  info = SCROLLINFO{sizeof info, SIF_RANGE | SIF_DISABLENOSCROLL, 0, 0, 0, 0, 0};
  SetScrollInfo(w, SB_VERT, &info, TRUE);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_VSCROLL);  // kept, disabled

  HWND plain = CreateWindowExA(0, "Scrolled", "", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr, nullptr,
                               nullptr);
  EXPECT_FALSE(GetScrollInfo(plain, SB_HORZ, &info));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_SCROLLBARS));
  info.cbSize = 3;
  EXPECT_EQ(SetScrollInfo(w, SB_VERT, &info, TRUE), 0);
}

TEST_F(ScrollBarTest, DraggingTheThumbTracksAndEndsWithItsPosition) {
  HWND w = Window();
  SetScrollRange(w, SB_VERT, 0, 100, TRUE);
  pt::PumpUntilIdle();
  // The thumb starts under the up arrow: rows 116..131 of the bar.
  pt::MouseDown(291, 120);
  pt::MouseMove(291, 150);
  pt::MouseMove(291, 170);
  pt::MouseUp(291, 170);
  pt::PumpUntilIdle();
  ASSERT_GE(scrolls.size(), 3u);
  EXPECT_EQ(scrolls[scrolls.size() - 2].first, SB_THUMBPOSITION);
  EXPECT_EQ(scrolls.back().first, SB_ENDSCROLL);
  int finalPosition = scrolls[scrolls.size() - 2].second;
  // 50 pixels of a 152-pixel movable track, over positions 0 to 100.
  EXPECT_NEAR(finalPosition, 50 * 100 / 152, 1);
  EXPECT_EQ(scrolls.front().first, SB_THUMBTRACK);
  EXPECT_EQ(GetScrollPos(w, SB_VERT), finalPosition);
  EXPECT_EQ(GetCapture(), nullptr);
}

TEST_F(ScrollBarTest, HeldArrowRepeatsOnTheClock) {
  HWND w = Window();
  (void)w;
  pt::MouseDown(291, 290);                                 // the down arrow
  pt::AtIdle([] { platform::AdvanceVirtualClock(600); });  // 400 ms, then every 50
  pt::AtIdle([] { pt::MouseUp(291, 290); });
  pt::PumpUntilIdle();
  std::vector<int> codes = Codes();
  int lines = static_cast<int>(std::count(codes.begin(), codes.end(), SB_LINEDOWN));
  EXPECT_EQ(lines, 2);  // at the press and once when the clock stood past the first delay
  EXPECT_EQ(Codes().back(), SB_ENDSCROLL);
  pt::MouseDown(291, 250);  // the page area below the thumb
  pt::MouseUp(291, 250);
  pt::PumpUntilIdle();
  EXPECT_EQ(scrolls[scrolls.size() - 2].first, SB_PAGEDOWN);
}

TEST_F(ScrollBarTest, ScrollBarControlNotifiesItsParentAndRepeats) {
  HWND bar = Make(WC_SCROLLBARA, "", SBS_VERT | WS_TABSTOP, 10, 10, 16, 120, 9);
  SendMessageA(bar, SBM_SETRANGE, 0, 20);
  EXPECT_EQ(SendMessageA(bar, SBM_SETPOS, 5, TRUE), 0);
  EXPECT_EQ(SendMessageA(bar, SBM_GETPOS, 0, 0), 5);
  pt::PumpUntilIdle();
  Notes().clear();
  POINT arrow = At(bar, 8, 112);
  pt::MouseDown(arrow.x, arrow.y);
  pt::PumpUntilIdle();
  pt::AdvanceTime(480);  // 400 ms, then every 50: two more
  pt::MouseUp(arrow.x, arrow.y);
  pt::PumpUntilIdle();
  std::vector<int> codes;
  for (const Note& n : Notes())
    if (n.message == WM_VSCROLL) {
      codes.push_back(LOWORD(n.wParam));
      EXPECT_EQ(n.lParam, reinterpret_cast<LPARAM>(bar));
    }
  EXPECT_EQ(codes, (std::vector<int>{SB_LINEDOWN, SB_LINEDOWN, SB_LINEDOWN, SB_ENDSCROLL}));
  Notes().clear();
  SetFocus(bar);
  pt::PressKey(VK_END);
  pt::PumpUntilIdle();
  ASSERT_EQ(CountOf(WM_VSCROLL), 2);
  EXPECT_EQ(LOWORD(Notes()[0].wParam), SB_BOTTOM);
  EXPECT_EQ(SendMessageA(bar, WM_GETDLGCODE, 0, 0), DLGC_WANTARROWS);
}

TEST_F(ScrollBarTest, ClassicLookOfArrowsAndThumb) {
  HWND bar = Make(WC_SCROLLBARA, "", SBS_VERT, 10, 10, 16, 100, 9);
  SendMessageA(bar, SBM_SETRANGE, 0, 10);
  pt::PumpUntilIdle();
  // A raised square: grey-on-grey and white above and left, grey and black below and right.
  auto raised = [](HDC dc, int top) {
    Fill(dc, 0, top, 16, top + 16, kFace);
    Fill(dc, 1, top + 1, 15, top + 2, kWhite);
    Fill(dc, 1, top + 1, 2, top + 15, kWhite);
    Fill(dc, 0, top + 15, 16, top + 16, kBlack);
    Fill(dc, 15, top, 16, top + 16, kBlack);
    Fill(dc, 1, top + 14, 15, top + 15, kShadow);
    Fill(dc, 14, top + 1, 15, top + 15, kShadow);
  };
  EXPECT_TRUE(LooksLike(bar, RECT{0, 0, 16, 32}, [&](HDC dc) {
    raised(dc, 0);
    for (int row = 0; row < 4; ++row) Fill(dc, 7 - row, 6 + row, 8 + row, 7 + row, kBlack);
    raised(dc, 16);  // the thumb at the top of the track
  }));
  EXPECT_TRUE(LooksLike(bar, RECT{0, 84, 16, 100}, [&](HDC dc) {
    raised(dc, 84);
    for (int row = 0; row < 4; ++row) Fill(dc, 7 - row, 93 - row, 8 + row, 94 - row, kBlack);
  }));
  RECT track{0, 32, 16, 84};
  EXPECT_EQ(PixelsOf(bar, track, kWhite) + PixelsOf(bar, track, kFace), 16 * 52);
  EXPECT_NEAR(PixelsOf(bar, track, kWhite), 16 * 52 / 2, 1);
}

TEST_F(ScrollBarTest, BarsShownHiddenAndArrowsDisabledOnRequest) {
  HWND w = Window();
  RECT client;
  ASSERT_TRUE(ShowScrollBar(w, SB_HORZ, TRUE));
  GetClientRect(w, &client);
  EXPECT_EQ(client.bottom, 184);
  EXPECT_TRUE(GetWindowLongA(w, GWL_STYLE) & WS_HSCROLL);
  // The vertical bar now ends above the size box: its down arrow is at rows 268..283.
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(291, 277), kBlack);  // the down arrow's tip row, drawn black
  EXPECT_TRUE(EnableScrollBar(w, SB_VERT, ESB_DISABLE_RTDN));
  EXPECT_FALSE(EnableScrollBar(w, SB_VERT, ESB_DISABLE_RTDN));  // nothing changed
  pt::PumpUntilIdle();
  EXPECT_NE(pt::ScreenPixel(291, 277), kBlack);  // greyed
  scrolls.clear();
  pt::MouseDown(291, 277);
  pt::MouseUp(291, 277);
  pt::PumpUntilIdle();
  std::vector<int> codes = Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), SB_LINEDOWN), 0);
  pt::MouseDown(291, 105);  // the up arrow still works
  pt::MouseUp(291, 105);
  pt::PumpUntilIdle();
  codes = Codes();
  EXPECT_EQ(std::count(codes.begin(), codes.end(), SB_LINEUP), 1);
  EXPECT_TRUE(EnableScrollBar(w, SB_BOTH, ESB_ENABLE_BOTH));
  ASSERT_TRUE(ShowScrollBar(w, SB_BOTH, FALSE));
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, 200);
  EXPECT_EQ(client.bottom, 200);
  EXPECT_FALSE(ShowScrollBar(w, 7, TRUE));
}
