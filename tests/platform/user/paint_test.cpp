#include <cstdio>
#include <map>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

std::map<HWND, COLORREF> colours;
std::vector<HWND> painted;
std::vector<RECT> paintRects;

// Fills its whole client area with its colour on every WM_PAINT: what reaches the
// screen shows the clipping BeginPaint set up.
LRESULT Painter(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_PAINT) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(w, &ps);
    painted.push_back(w);
    paintRects.push_back(ps.rcPaint);
    RECT client;
    GetClientRect(w, &client);
    HBRUSH brush = CreateSolidBrush(colours[w]);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    EndPaint(w, &ps);
    return 0;
  }
  return Recorder(w, m, wp, lp);
}

constexpr COLORREF kRed = RGB(255, 0, 0);
constexpr COLORREF kGreen = RGB(0, 255, 0);
constexpr COLORREF kBlue = RGB(0, 0, 255);
constexpr COLORREF kTeal = RGB(0, 128, 128);

class PaintTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    colours.clear();
    painted.clear();
    paintRects.clear();
    WNDCLASSA wc{};
    wc.lpfnWndProc = Painter;
    wc.lpszClassName = "Painter";
    RegisterClassA(&wc);
  }
  HWND Painted(HWND parent, int x, int y, int cx, int cy, COLORREF colour, DWORD style) {
    HWND w =
        CreateWindowExA(0, "Painter", "", style, x, y, cx, cy, parent, nullptr, nullptr, nullptr);
    colours[w] = colour;
    return w;
  }
};

}  // namespace

TEST_F(PaintTest, TopLevelWindowsAreComposedOnTheDesktop) {
  HWND w = TopLevel(100, 100, 50, 40, WS_POPUP | WS_VISIBLE);  // white class background
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(99, 99), kTeal);
  EXPECT_EQ(pt::ScreenPixel(100, 100), RGB(255, 255, 255));
  EXPECT_EQ(pt::ScreenPixel(149, 139), RGB(255, 255, 255));
  EXPECT_EQ(pt::ScreenPixel(150, 140), kTeal);
  HWND above = Painted(nullptr, 120, 120, 50, 50, kRed, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(125, 125), kRed);
  SetWindowPos(w, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(125, 125), RGB(255, 255, 255));  // no repaint needed, only composing
  MoveWindow(above, 300, 300, 50, 50, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(310, 310), kRed);
  EXPECT_EQ(pt::ScreenPixel(160, 160), kTeal);
}

TEST_F(PaintTest, OnePaintPerUpdateAndTheBackgroundErasedOnce) {
  HWND w = Painted(nullptr, 0, 0, 100, 100, kRed, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  painted.clear();
  paintRects.clear();
  Log().clear();
  RECT a{10, 10, 20, 20}, b{50, 60, 70, 80};
  InvalidateRect(w, &a, TRUE);
  InvalidateRect(w, &b, FALSE);
  RECT update;
  EXPECT_TRUE(GetUpdateRect(w, &update, FALSE));
  EXPECT_EQ(update.left, 10);
  EXPECT_EQ(update.bottom, 80);
  pt::PumpUntilIdle();
  ASSERT_EQ(painted.size(), 1u);
  EXPECT_EQ(paintRects[0].left, 10);
  EXPECT_EQ(paintRects[0].top, 10);
  EXPECT_EQ(paintRects[0].right, 70);
  EXPECT_EQ(paintRects[0].bottom, 80);
  EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  ValidateRect(w, nullptr);
  InvalidateRect(w, &a, FALSE);
  ValidateRect(w, &a);
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
}

TEST_F(PaintTest, BeginPaintDrawsOnlyInsideTheUpdateRegion) {
  HWND w = Painted(nullptr, 0, 0, 100, 100, kBlue, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(w, 50, 50), kBlue);
  colours[w] = kGreen;
  RECT small{40, 40, 60, 60};
  InvalidateRect(w, &small, FALSE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::WindowPixel(w, 50, 50), kGreen);
  EXPECT_EQ(pt::WindowPixel(w, 39, 50), kBlue);
  EXPECT_EQ(pt::WindowPixel(w, 60, 50), kBlue);
}

TEST_F(PaintTest, ChildrenPaintAfterTheirParentAndSiblingsClipEachOther) {
  HWND parent = Painted(nullptr, 0, 0, 200, 200, kBlue, WS_POPUP | WS_VISIBLE);
  HWND lower = Painted(parent, 10, 10, 100, 100, kRed, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  HWND upper = Painted(parent, 50, 50, 100, 100, kGreen, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS);
  pt::PumpUntilIdle();
  ASSERT_GE(painted.size(), 3u);
  EXPECT_EQ(painted[0], parent);
  EXPECT_EQ(pt::ScreenPixel(20, 20), kRed);
  EXPECT_EQ(pt::ScreenPixel(60, 60), kGreen);
  EXPECT_EQ(pt::ScreenPixel(180, 20), kBlue);
  // The lower sibling repaints everything it owns but stays behind the upper one.
  InvalidateRect(lower, nullptr, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(60, 60), kGreen);
  EXPECT_EQ(pt::ScreenPixel(20, 20), kRed);
  (void)upper;
}

TEST_F(PaintTest, InvalidationReachesChildrenUnlessTheParentClipsThem) {
  HWND clipping = Painted(nullptr, 0, 0, 200, 200, kBlue, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND inClipping = Painted(clipping, 0, 0, 50, 50, kRed, WS_CHILD | WS_VISIBLE);
  HWND plain = Painted(nullptr, 300, 0, 200, 200, kBlue, WS_POPUP | WS_VISIBLE);
  HWND inPlain = Painted(plain, 0, 0, 50, 50, kRed, WS_CHILD | WS_VISIBLE);
  pt::PumpUntilIdle();
  painted.clear();
  InvalidateRect(clipping, nullptr, TRUE);
  InvalidateRect(plain, nullptr, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(std::count(painted.begin(), painted.end(), inClipping), 0);
  EXPECT_EQ(std::count(painted.begin(), painted.end(), inPlain), 1);
  // With WS_CLIPCHILDREN the parent's paint leaves the child alone.
  EXPECT_EQ(pt::ScreenPixel(10, 10), kRed);
  EXPECT_EQ(pt::ScreenPixel(310, 10), kRed);
}

TEST_F(PaintTest, MovingAChildRepaintsWhatItUncovers) {
  HWND parent = Painted(nullptr, 0, 0, 200, 200, kBlue, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND child = Painted(parent, 0, 0, 50, 50, kRed, WS_CHILD | WS_VISIBLE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(10, 10), kRed);
  MoveWindow(child, 100, 100, 50, 50, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(10, 10), kBlue);
  EXPECT_EQ(pt::ScreenPixel(110, 110), kRed);
  ShowWindow(child, SW_HIDE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(110, 110), kBlue);
}

TEST_F(PaintTest, HiddenWindowsGetNoPaintAndTheQueueGoesIdle) {
  HWND w = Painted(nullptr, 0, 0, 100, 100, kRed, WS_POPUP);
  InvalidateRect(w, nullptr, TRUE);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(GetQueueStatus(QS_PAINT), 0u);
  ShowWindow(w, SW_SHOWNA);
  EXPECT_TRUE(PeekMessageA(&msg, nullptr, WM_PAINT, WM_PAINT, PM_NOREMOVE));
}

TEST_F(PaintTest, UpdateWindowPaintsAtOnce) {
  HWND w = Painted(nullptr, 0, 0, 100, 100, kRed, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  painted.clear();
  InvalidateRect(w, nullptr, FALSE);
  UpdateWindow(w);
  EXPECT_EQ(painted.size(), 1u);
  UpdateWindow(w);
  EXPECT_EQ(painted.size(), 1u);
}

TEST_F(PaintTest, WindowDcDrawsAtOnceAndIsReleasedOnce) {
  HWND w = TopLevel(10, 10, 100, 100, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  HDC dc = GetDC(w);
  ASSERT_NE(dc, nullptr);
  EXPECT_EQ(WindowFromDC(dc), w);
  SetPixel(dc, 5, 5, kRed);
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(ReleaseDC(w, dc), 0);
  EXPECT_EQ(pt::ScreenPixel(15, 15), kRed);
}

TEST_F(PaintTest, FrameAndCaptionArePainted) {
  HWND w = TopLevel(10, 10, 200, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  // Active caption colour inside the caption, left of the title text.
  EXPECT_EQ(pt::ScreenPixel(10 + 4 + 30, 10 + 4 + 2), RGB(0, 0, 128));
  // The outer edge of the raised frame: light grey then white.
  EXPECT_EQ(pt::ScreenPixel(10, 50), RGB(192, 192, 192));
  EXPECT_EQ(pt::ScreenPixel(11, 50), RGB(255, 255, 255));
  HWND other = TopLevel(300, 300, 100, 100, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(10 + 4 + 30, 10 + 4 + 2), RGB(128, 128, 128));
  (void)other;
  (void)w;
}

TEST_F(PaintTest, ScreenshotsRoundTripThroughPng) {
  TopLevel(10, 10, 100, 100, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  std::string path = ::testing::TempDir() + "td_screenshot.png";
  pt::Image screen = pt::CaptureScreen();
  ASSERT_TRUE(pt::SavePng(screen, path));
  pt::Image loaded;
  ASSERT_TRUE(pt::LoadPng(path, &loaded));
  std::remove(path.c_str());
  EXPECT_EQ(loaded.width, screen.width);
  EXPECT_EQ(loaded.pixels, screen.pixels);
  pt::Image window = pt::CaptureWindow(GetTopWindow(nullptr));
  EXPECT_EQ(window.width, 100);
  EXPECT_EQ(window.Pixel(0, 0), RGB(255, 255, 255));
  EXPECT_EQ(window.Pixel(100, 0), CLR_INVALID);
  EXPECT_FALSE(pt::LoadPng(path, &loaded));
}

TEST_F(PaintTest, RedrawOffStopsPaintingWithoutBusyWaiting) {
  HWND w = Painted(nullptr, 0, 0, 100, 100, kRed, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  painted.clear();
  SendMessageA(w, WM_SETREDRAW, FALSE, 0);
  InvalidateRect(w, nullptr, TRUE);
  MSG msg;
  EXPECT_FALSE(PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE));
  EXPECT_EQ(GetQueueStatus(QS_ALLINPUT), 0u);
  SendMessageA(w, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(w, nullptr, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(painted.size(), 1u);
}

TEST_F(PaintTest, ClipChildrenKeepsTheParentsPaintOffItsChildren) {
  HWND parent = Painted(nullptr, 0, 0, 200, 200, kBlue, WS_POPUP | WS_VISIBLE | WS_CLIPCHILDREN);
  HWND child = Painted(parent, 50, 50, 50, 50, kRed, WS_CHILD | WS_VISIBLE);
  pt::PumpUntilIdle();
  colours[parent] = kGreen;
  InvalidateRect(parent, nullptr, TRUE);
  painted.clear();
  pt::PumpUntilIdle();
  EXPECT_EQ(painted, std::vector<HWND>{parent});
  EXPECT_EQ(pt::ScreenPixel(10, 10), kGreen);
  EXPECT_EQ(pt::ScreenPixel(60, 60), kRed);
  (void)child;
}

TEST_F(PaintTest, WindowDcReachesTheFrame) {
  HWND w = TopLevel(10, 10, 100, 100, WS_POPUP | WS_BORDER | WS_VISIBLE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(10, 10), RGB(0, 0, 0));  // the one-pixel border
  HDC dc = GetWindowDC(w);
  SetPixel(dc, 0, 0, kRed);
  ReleaseDC(w, dc);
  dc = GetDC(w);
  SetPixel(dc, -1, -1, kGreen);  // outside the client area: clipped away
  ReleaseDC(w, dc);
  EXPECT_EQ(pt::ScreenPixel(10, 10), kRed);
}

TEST_F(PaintTest, ADcKeptPastItsWindowDrawsNothingAndFails) {
  HWND w = Painted(nullptr, 10, 10, 100, 100, kGreen, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  HDC dc = GetDC(w);
  HDC whole = GetWindowDC(w);
  HBRUSH red = CreateSolidBrush(kRed);
  DestroyWindow(w);
  RECT r{0, 0, 50, 50};
  SetLastError(0);
  EXPECT_EQ(FillRect(dc, &r, red), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_FALSE(LineTo(dc, 40, 40));
  EXPECT_FALSE(TextOutA(whole, 0, 0, "gone", 4));
  EXPECT_FALSE(BitBlt(whole, 0, 0, 10, 10, dc, 0, 0, SRCCOPY));
  EXPECT_EQ(GetPixel(dc, 1, 1), CLR_INVALID);
  EXPECT_EQ(pt::ScreenPixel(20, 20), kTeal);
  EXPECT_EQ(ReleaseDC(w, dc), 1);
  EXPECT_EQ(ReleaseDC(w, whole), 1);
  DeleteObject(red);
  EXPECT_EQ(pt::LiveObjects(), pt::Counts{});
}

TEST_F(PaintTest, ADcFollowsItsWindowToANewParentAndPlace) {
  HWND moving = Painted(nullptr, 100, 100, 60, 60, kGreen, WS_POPUP | WS_VISIBLE);
  HWND host = Painted(nullptr, 300, 100, 200, 200, kBlue, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  HDC dc = GetDC(moving);
  SetWindowLongA(moving, GWL_STYLE, WS_CHILD | WS_VISIBLE);
  SetParent(moving, host);  // the old backing surface goes
  MoveWindow(moving, 10, 20, 60, 60, TRUE);
  pt::PumpUntilIdle();
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{0, 0, 5, 5};
  EXPECT_NE(FillRect(dc, &r, red), 0);
  EXPECT_EQ(pt::WindowPixel(host, 12, 22), kRed);
  EXPECT_EQ(pt::ScreenPixel(312, 122), kRed);
  EXPECT_EQ(pt::ScreenPixel(102, 102), kTeal);
  ReleaseDC(moving, dc);
  DeleteObject(red);
}

TEST_F(PaintTest, ScreenDcDrawingShowsUntilSomethingIsComposedOverIt) {
  HWND w = Painted(nullptr, 100, 100, 100, 100, kGreen, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  HDC screen = GetDC(nullptr);
  HBRUSH red = CreateSolidBrush(kRed);
  RECT r{50, 50, 150, 150};  // half on the desktop, half on the window
  FillRect(screen, &r, red);
  ReleaseDC(nullptr, screen);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(60, 60), kRed);
  EXPECT_EQ(pt::ScreenPixel(120, 120), kRed);
  EXPECT_EQ(pt::ScreenPixel(160, 160), kGreen);
  // The window paints again: its part is shown again, the desktop's part stays.
  InvalidateRect(w, nullptr, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(120, 120), kGreen);
  EXPECT_EQ(pt::ScreenPixel(60, 60), kRed);
  // A window moving over and away gives the desktop back.
  MoveWindow(w, 40, 40, 100, 100, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(60, 60), kGreen);
  MoveWindow(w, 300, 300, 100, 100, TRUE);
  pt::PumpUntilIdle();
  EXPECT_EQ(pt::ScreenPixel(60, 60), kTeal);
  // Reading the screen through a DC sees the windows as composed.
  screen = GetDC(nullptr);
  EXPECT_EQ(GetPixel(screen, 310, 310), kGreen);
  ReleaseDC(nullptr, screen);
  DeleteObject(red);
}

TEST_F(PaintTest, RedrawWindowKeepsToItsRegion) {
  HWND w = Painted(nullptr, 0, 0, 100, 100, kGreen, WS_POPUP | WS_VISIBLE);
  pt::PumpUntilIdle();
  InvalidateRect(w, nullptr, FALSE);
  HRGN left = CreateRectRgn(0, 0, 50, 100);
  // The region decides, not the rectangle beside it.
  RECT everything{0, 0, 100, 100};
  ASSERT_TRUE(RedrawWindow(w, &everything, left, RDW_VALIDATE));
  RECT update{};
  ASSERT_TRUE(GetUpdateRect(w, &update, FALSE));
  EXPECT_EQ(update.left, 50);
  EXPECT_EQ(update.right, 100);
  ValidateRgn(w, nullptr);
  EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));

  // Two separate pieces are painted, and nothing between them.
  HRGN pieces = CreateRectRgn(0, 0, 10, 10);
  HRGN other = CreateRectRgn(60, 60, 70, 70);
  CombineRgn(pieces, pieces, other, RGN_OR);
  colours[w] = kRed;
  paintRects.clear();
  InvalidateRgn(w, pieces, TRUE);
  pt::PumpUntilIdle();
  ASSERT_EQ(paintRects.size(), 1u);
  EXPECT_EQ(pt::WindowPixel(w, 5, 5), kRed);
  EXPECT_EQ(pt::WindowPixel(w, 65, 65), kRed);
  EXPECT_EQ(pt::WindowPixel(w, 30, 30), kGreen);

  // An empty region invalidates nothing; a dead one fails.
  HRGN empty = CreateRectRgn(0, 0, 0, 0);
  RedrawWindow(w, nullptr, empty, RDW_INVALIDATE);
  EXPECT_FALSE(GetUpdateRect(w, &update, FALSE));
  DeleteObject(empty);
  EXPECT_FALSE(RedrawWindow(w, nullptr, empty, RDW_INVALIDATE));
  for (HRGN r : {left, pieces, other}) DeleteObject(r);
}
