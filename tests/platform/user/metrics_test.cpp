#include <cstring>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

TEST_F(UserTest, MetricsDescribeTheWindowsTheWindowManagerMakes) {
  HWND w = TopLevel(10, 20, 300, 200, WS_OVERLAPPEDWINDOW | WS_VISIBLE);
  POINT origin{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.x, 10 + GetSystemMetrics(SM_CXFRAME));
  EXPECT_EQ(origin.y, 20 + GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CYCAPTION));
  RECT client, adjusted;
  GetClientRect(w, &client);
  adjusted = client;
  AdjustWindowRect(&adjusted, WS_OVERLAPPEDWINDOW, FALSE);
  EXPECT_EQ(adjusted.right - adjusted.left, 300);
  EXPECT_EQ(adjusted.bottom - adjusted.top, 200);

  // Maximised, the client area spans the work area's width with the frame just outside.
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.right, GetSystemMetrics(SM_CXSCREEN));
  ShowWindow(w, SW_SHOWMAXIMIZED);
  GetClientRect(w, &client);
  origin = POINT{0, 0};
  ClientToScreen(w, &origin);
  EXPECT_EQ(origin.x, 0);
  EXPECT_EQ(client.right, work.right);
  EXPECT_EQ(origin.y + client.bottom, work.bottom);

  // The caption font of the non-client metrics fits the caption it is drawn in.
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0));
  EXPECT_EQ(metrics.iCaptionHeight + 1, GetSystemMetrics(SM_CYCAPTION));
  HDC dc = GetDC(w);
  HFONT font = CreateFontIndirectA(&metrics.lfCaptionFont);
  HGDIOBJ old = SelectObject(dc, font);
  TEXTMETRICA text{};
  GetTextMetricsA(dc, &text);
  EXPECT_LE(text.tmHeight, metrics.iCaptionHeight);
  SelectObject(dc, old);
  DeleteObject(font);
  ReleaseDC(w, dc);
  metrics.cbSize = 12;
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0));
}

TEST_F(UserTest, SystemColoursPaintInTheirColours) {
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  EXPECT_TRUE(DeleteObject(face));  // shared: deleting it changes nothing
  HDC memory = CreateCompatibleDC(nullptr);
  HBITMAP bitmap = CreateBitmap(4, 4, 1, 32, nullptr);
  HGDIOBJ old = SelectObject(memory, bitmap);
  RECT all{0, 0, 4, 4};
  FillRect(memory, &all, face);
  EXPECT_EQ(GetPixel(memory, 1, 1), GetSysColor(COLOR_BTNFACE));
  FillRect(memory, &all, reinterpret_cast<HBRUSH>(static_cast<LONG_PTR>(COLOR_HIGHLIGHT + 1)));
  EXPECT_EQ(GetPixel(memory, 2, 2), GetSysColor(COLOR_HIGHLIGHT));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  EXPECT_EQ(pt::ScreenPixel(5, 5), GetSysColor(COLOR_BACKGROUND));

  ANIMATIONINFO animation{sizeof animation, 1};
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0));
  animation.iMinAnimate = 5;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0));
  EXPECT_EQ(animation.iMinAnimate, 1);
  animation.iMinAnimate = 0;
  SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
}

TEST_F(UserTest, TheClassCursorIsSetOverTheClientArea) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Recorder;
  wc.hCursor = LoadCursorA(nullptr, IDC_IBEAM);
  wc.lpszClassName = "Typing";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "Typing", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 200, 200,
                           nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(w, nullptr);
  pt::MouseMove(200, 200);
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCursor(), wc.hCursor);
  pt::MouseMove(101, 200);  // the left sizing border
  pt::PumpUntilIdle();
  EXPECT_EQ(GetCursor(), LoadCursorA(nullptr, IDC_SIZEWE));
}
