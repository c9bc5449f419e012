#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

TEST_F(UserTest, ActivationMovesInTheDocumentedOrder) {
  HWND a = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND b = TopLevel(200, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  SetActiveWindow(a);
  Log().clear();
  SetActiveWindow(b);
  // The focus moves when the new window's default WM_ACTIVATE handling takes it.
  std::vector<std::pair<HWND, UINT>> expected{{a, WM_NCACTIVATE}, {a, WM_ACTIVATE},  {b, WM_NCACTIVATE},
                                              {b, WM_ACTIVATE},   {a, WM_KILLFOCUS}, {b, WM_SETFOCUS}};
  auto pairs = Pairs();
  std::vector<std::pair<HWND, UINT>> relevant;
  for (auto& p : pairs)
    if (p.second == WM_NCACTIVATE || p.second == WM_ACTIVATE || p.second == WM_KILLFOCUS || p.second == WM_SETFOCUS)
      relevant.push_back(p);
  EXPECT_EQ(relevant, expected);
  EXPECT_EQ(Count(WM_ACTIVATEAPP), 0);  // the program stayed active
  for (const Entry& e : Log()) {
    if (e.message == WM_ACTIVATE && e.window == a) EXPECT_EQ(LOWORD(e.wParam), WA_INACTIVE);
    if (e.message == WM_ACTIVATE && e.window == b) EXPECT_EQ(reinterpret_cast<HWND>(e.lParam), a);
  }
  EXPECT_EQ(GetWindow(GetDesktopWindow(), GW_CHILD), b);  // activation brings it to the top
}

TEST_F(UserTest, FocusChangesSendKillFocusBeforeSetFocus) {
  HWND top = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND one = Child(top, 0, 0, 10, 10, 1);
  HWND two = Child(top, 20, 0, 10, 10, 2);
  SetFocus(one);
  Log().clear();
  EXPECT_EQ(SetFocus(two), one);
  EXPECT_EQ(Pairs(), (std::vector<std::pair<HWND, UINT>>{{one, WM_KILLFOCUS}, {two, WM_SETFOCUS}}));
  EXPECT_EQ(reinterpret_cast<HWND>(Log()[0].wParam), two);
  EXPECT_EQ(reinterpret_cast<HWND>(Log()[1].wParam), one);
  EXPECT_EQ(GetFocus(), two);
}

TEST_F(UserTest, FocusIntoAnInactiveWindowActivatesIt) {
  HWND a = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND b = TopLevel(200, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND child = Child(a, 0, 0, 10, 10, 1);
  SetActiveWindow(b);
  SetFocus(child);
  EXPECT_EQ(GetActiveWindow(), a);
  EXPECT_EQ(GetFocus(), child);
}

TEST_F(UserTest, DestroyingTheFocusOrCaptureWindowClearsThem) {
  HWND top = TopLevel(0, 0, 300, 300, WS_POPUP | WS_VISIBLE);
  HWND child = Child(top, 0, 0, 10, 10, 1);
  SetFocus(child);
  SetCapture(child);
  Log().clear();
  DestroyWindow(child);
  EXPECT_EQ(GetFocus(), top);  // a child going away hands the focus to its parent
  EXPECT_EQ(GetCapture(), nullptr);
  EXPECT_TRUE(InOrder(Pairs(), {{child, static_cast<UINT>(WM_KILLFOCUS)}, {child, static_cast<UINT>(WM_DESTROY)}}));
  EXPECT_EQ(Count(WM_CAPTURECHANGED, child), 1);
  // Input after the fact goes nowhere stale.
  pt::Click(5, 5);
  pt::PressKey('A');
  pt::PumpUntilIdle();
  EXPECT_EQ(GetActiveWindow(), top);
}

TEST_F(UserTest, HidingOrDestroyingTheActiveWindowActivatesAnother) {
  HWND owner = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND other = TopLevel(200, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND popup = CreateWindowExA(0, "Recorder", "", WS_POPUP | WS_VISIBLE, 50, 50, 50, 50, owner,
                               nullptr, nullptr, nullptr);
  EXPECT_EQ(GetActiveWindow(), popup);
  EXPECT_EQ(GetLastActivePopup(owner), popup);
  // The owner is preferred even though another window is above it.
  SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  ShowWindow(popup, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), owner);
  DestroyWindow(owner);
  EXPECT_EQ(GetActiveWindow(), other);
  Log().clear();
  DestroyWindow(other);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  EXPECT_EQ(GetFocus(), nullptr);
}

TEST_F(UserTest, ApplicationActivationIsAnnouncedToEveryTopLevelWindow) {
  HWND a = TopLevel(0, 0, 100, 100, WS_POPUP);
  HWND b = TopLevel(0, 0, 100, 100, WS_POPUP);
  Log().clear();
  ShowWindow(a, SW_SHOW);
  EXPECT_EQ(Count(WM_ACTIVATEAPP, a), 1);
  EXPECT_EQ(Count(WM_ACTIVATEAPP, b), 1);
  Log().clear();
  ShowWindow(a, SW_HIDE);
  EXPECT_EQ(GetActiveWindow(), nullptr);
  for (const Entry& e : Log())
    if (e.message == WM_ACTIVATEAPP) EXPECT_EQ(e.wParam, static_cast<WPARAM>(FALSE));
  EXPECT_EQ(Count(WM_ACTIVATEAPP, b), 1);
}

TEST_F(UserTest, ShowingWithoutActivation) {
  HWND a = TopLevel(0, 0, 100, 100, WS_POPUP | WS_VISIBLE);
  HWND b = TopLevel(0, 0, 100, 100, WS_POPUP);
  ShowWindow(b, SW_SHOWNA);
  EXPECT_TRUE(IsWindowVisible(b));
  EXPECT_EQ(GetActiveWindow(), a);
  Log().clear();
  EXPECT_TRUE(ShowWindow(b, SW_SHOW));  // was visible
  EXPECT_EQ(Count(WM_SHOWWINDOW, b), 0);
}
