#include "user_test_util.h"

using namespace usertest;
namespace pt = platform::testing;

namespace {

std::vector<std::pair<UINT_PTR, DWORD>> ticks;
DWORD slowFor = 0;

LRESULT TimerWindow(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  if (m == WM_TIMER) {
    ticks.emplace_back(wp, GetTickCount());
    if (DWORD slow = slowFor) {  // a handler that takes its time, once
      slowFor = 0;
      platform::AdvanceVirtualClock(slow);
    }
    return 0;
  }
  return DefWindowProcA(w, m, wp, lp);
}

class TimerTest : public UserTest {
 protected:
  void SetUp() override {
    UserTest::SetUp();
    ticks.clear();
    slowFor = 0;
    WNDCLASSA wc{};
    wc.lpfnWndProc = TimerWindow;
    wc.lpszClassName = "TimerWindow";
    RegisterClassA(&wc);
    window = CreateWindowExA(0, "TimerWindow", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  }
  std::vector<DWORD> Times(UINT_PTR id) {
    std::vector<DWORD> out;
    for (auto& t : ticks)
      if (t.first == id) out.push_back(t.second);
    return out;
  }
  HWND window = nullptr;
};

}  // namespace

TEST_F(TimerTest, FirstTickOneIntervalAfterStartThenEveryInterval) {
  ASSERT_EQ(SetTimer(window, 1, 100, nullptr), 1u);
  pt::AdvanceTime(99);
  EXPECT_TRUE(ticks.empty());
  pt::AdvanceTime(251);
  EXPECT_EQ(Times(1), (std::vector<DWORD>{100, 200, 300}));
}

TEST_F(TimerTest, SettingAnExistingIdRestartsIt) {
  SetTimer(window, 1, 100, nullptr);
  pt::AdvanceTime(60);
  SetTimer(window, 1, 100, nullptr);
  pt::AdvanceTime(140);
  EXPECT_EQ(Times(1), (std::vector<DWORD>{160}));
}

TEST_F(TimerTest, ASlowHandlerDelaysInsteadOfBursting) {
  SetTimer(window, 1, 100, nullptr);
  slowFor = 350;
  pt::AdvanceTime(100);  // first tick at 100; the handler returns at 450
  pt::AdvanceTime(200);  // up to 650
  // One late tick when the handler returns, then the interval again: no ticks at 200..400.
  EXPECT_EQ(Times(1), (std::vector<DWORD>{100, 450, 550, 650}));
}

TEST_F(TimerTest, OnlyOneTimerMessageWaitsHoweverLate) {
  SetTimer(window, 1, 10, nullptr);
  platform::AdvanceVirtualClock(1000);
  MSG msg;
  int timers = 0;
  while (PeekMessageA(&msg, nullptr, WM_TIMER, WM_TIMER, PM_REMOVE)) ++timers;
  EXPECT_EQ(timers, 1);
}

TEST_F(TimerTest, TimersFireInOrderEachAtItsOwnTime) {
  SetTimer(window, 1, 30, nullptr);
  SetTimer(window, 2, 50, nullptr);
  pt::AdvanceTime(100);
  std::vector<std::pair<UINT_PTR, DWORD>> expected{{1, 30}, {2, 50}, {1, 60}, {1, 90}, {2, 100}};
  EXPECT_EQ(ticks, expected);
}

TEST_F(TimerTest, KillTimerStopsItAndDestroyingTheWindowKillsItsTimers) {
  SetTimer(window, 1, 10, nullptr);
  SetTimer(window, 2, 10, nullptr);
  pt::AdvanceTime(10);
  EXPECT_TRUE(KillTimer(window, 1));
  EXPECT_FALSE(KillTimer(window, 1));
  pt::AdvanceTime(30);
  EXPECT_EQ(Times(1).size(), 1u);
  EXPECT_EQ(Times(2).size(), 4u);
  DestroyWindow(window);
  ticks.clear();
  pt::AdvanceTime(100);
  EXPECT_TRUE(ticks.empty());
}

TEST_F(TimerTest, ThreadTimersCallTheirProcedure) {
  static std::vector<DWORD> calls;
  calls.clear();
  TIMERPROC procedure = [](HWND w, UINT m, UINT_PTR, DWORD time) {
    EXPECT_EQ(w, nullptr);
    EXPECT_EQ(m, static_cast<UINT>(WM_TIMER));
    calls.push_back(time);
  };
  UINT_PTR first = SetTimer(nullptr, 0, 40, procedure);
  UINT_PTR second = SetTimer(nullptr, 0, 1000, procedure);
  EXPECT_NE(first, 0u);
  EXPECT_NE(first, second);
  pt::AdvanceTime(100);
  EXPECT_EQ(calls, (std::vector<DWORD>{40, 80}));
  EXPECT_TRUE(KillTimer(nullptr, first));
  // A forged WM_TIMER naming a procedure calls nothing.
  MSG forged{nullptr, WM_TIMER, first, reinterpret_cast<LPARAM>(procedure), 0, {0, 0}};
  DispatchMessageA(&forged);
  EXPECT_EQ(calls.size(), 2u);
}

TEST_F(TimerTest, IntervalsBelowTheMinimumAreRaised) {
  SetTimer(window, 1, 0, nullptr);
  pt::AdvanceTime(25);
  EXPECT_EQ(Times(1), (std::vector<DWORD>{10, 20}));
}
