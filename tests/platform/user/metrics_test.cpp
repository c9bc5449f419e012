#include <cstring>

#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

TEST_F(UserTest, ClassicMetricsFollowTheScreen) {
  int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  EXPECT_GT(width, 0);
  EXPECT_EQ(GetSystemMetrics(SM_CXVIRTUALSCREEN), width);
  EXPECT_EQ(GetSystemMetrics(SM_CYMAXTRACK), height + 12);
  EXPECT_EQ(GetSystemMetrics(SM_CYCAPTION), 19);
  RECT work{};
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0));
  EXPECT_EQ(work.right, width);
  EXPECT_EQ(work.bottom, height);
  RECT desktop;
  GetWindowRect(GetDesktopWindow(), &desktop);
  EXPECT_EQ(desktop.right, width);
  EXPECT_EQ(GetSysColor(COLOR_BACKGROUND), RGB(0, 128, 128));
  EXPECT_EQ(GetSysColor(COLOR_INFOBK), RGB(255, 255, 225));
  HBRUSH face = GetSysColorBrush(COLOR_BTNFACE);
  EXPECT_EQ(GetSysColorBrush(COLOR_BTNFACE), face);
  LOGBRUSH logBrush{};
  ASSERT_NE(GetObjectA(face, sizeof logBrush, &logBrush), 0);
  EXPECT_EQ(logBrush.lbColor, GetSysColor(COLOR_BTNFACE));
}

TEST_F(UserTest, SettingsTheProgramReads) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0));
  EXPECT_EQ(metrics.iCaptionHeight + 1, GetSystemMetrics(SM_CYCAPTION));
  EXPECT_STREQ(metrics.lfMessageFont.lfFaceName, "MS Sans Serif");
  EXPECT_EQ(metrics.lfCaptionFont.lfWeight, FW_BOLD);
  metrics.cbSize = 12;
  EXPECT_FALSE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, 0, &metrics, 0));
  ANIMATIONINFO animation{sizeof animation, 1};
  ASSERT_TRUE(SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0));
  animation.iMinAnimate = 5;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETANIMATION, sizeof animation, &animation, 0));
  EXPECT_EQ(animation.iMinAnimate, 1);
  animation.iMinAnimate = 0;
  SystemParametersInfoA(SPI_SETANIMATION, sizeof animation, &animation, 0);
}

TEST_F(UserTest, HooksAreAcceptedAndNeverCalled) {
  static int calls = 0;
  HHOOK hook = SetWindowsHookExA(
      WH_GETMESSAGE,
      [](int, WPARAM, LPARAM) -> LRESULT {
        ++calls;
        return 0;
      },
      nullptr, 0);
  ASSERT_NE(hook, nullptr);
  PostMessageA(nullptr, WM_USER, 0, 0);
  pt::PumpUntilIdle();
  EXPECT_EQ(calls, 0);
  EXPECT_EQ(CallNextHookEx(hook, 0, 0, 0), 0);
  EXPECT_TRUE(UnhookWindowsHookEx(hook));
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
