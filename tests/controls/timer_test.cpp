// The timer: ticks on the virtual clock, the settings that start and stop it, and a
// handler that raises or destroys its timer.
#include "controls/timer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "forms/bridges.h"
#include "platform/testing.h"
#include "runtime/exceptions.h"

namespace pt = platform::testing;

namespace {

class TTickCounter : public TObject {
 public:
  void Tick(TObject* sender) {
    ++ticks;
    lastSender = sender;
    if (onTick) onTick();
  }
  int ticks = 0;
  TObject* lastSender = nullptr;
  std::function<void()> onTick;
};

// Stands in for the application's exception display: counts the displays and, like a
// modal message box, keeps the queue running for a while before it returns.
class TDisplayBridge : public TApplicationBridge {
 public:
  void HandleException(TObject* sender) override {
    ++shown;
    senders.push_back(sender);
    try {
      throw;
    } catch (const Exception& e) {
      lastMessage = e.Message();
    } catch (...) {
    }
    if (realBox)
      MessageBoxA(nullptr, (lastMessage + ".").c_str(), "Tunedeck", MB_OK | MB_ICONERROR);
    else if (modalMilliseconds > 0)
      pt::AdvanceTime(modalMilliseconds);
  }
  int shown = 0;
  std::vector<TObject*> senders;
  std::string lastMessage;
  std::uint64_t modalMilliseconds = 0;
  bool realBox = false;  // a modal message box with its own loop, as the application shows
};

class TimerTest : public ::testing::Test {
 protected:
  void SetUp() override { pt::StartSession(); }
  void TearDown() override {
    SetApplicationBridge(nullptr);
    pt::EndSession();
  }
  TTickCounter counter;
  TNotifyEvent tick{&counter, &TTickCounter::Tick};
};

TEST_F(TimerTest, FiftyMillisecondsFireTwentyTimesASecondAndNoneOnceDisabled) {
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = tick;
  pt::AdvanceTime(49);
  EXPECT_EQ(counter.ticks, 0) << "the first tick comes one interval after the start";
  pt::AdvanceTime(951);
  EXPECT_EQ(counter.ticks, 20);
  EXPECT_EQ(counter.lastSender, &timer);
  timer.SetEnabled(false);
  pt::AdvanceTime(1000);
  EXPECT_EQ(counter.ticks, 20);
}

TEST_F(TimerTest, RunsOnlyWithAnIntervalAHandlerAndEnabled) {
  TTimer timer(nullptr);
  EXPECT_TRUE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000u);
  timer.SetInterval(50);
  pt::AdvanceTime(200);
  EXPECT_EQ(counter.ticks, 0) << "no handler, no platform timer";

  timer.SetInterval(0);
  timer.OnTimer = tick;
  pt::AdvanceTime(200);
  EXPECT_EQ(counter.ticks, 0) << "interval 0";

  timer.SetInterval(50);
  pt::AdvanceTime(100);
  EXPECT_EQ(counter.ticks, 2);
  timer.OnTimer = nullptr;
  pt::AdvanceTime(200);
  EXPECT_EQ(counter.ticks, 2) << "removing the handler stops the timer";
}

TEST_F(TimerTest, EveryRealChangeRestartsTheCountButRepeatingEnabledDoesNot) {
  TTimer timer(nullptr);
  timer.SetInterval(100);
  timer.OnTimer = tick;
  pt::AdvanceTime(60);
  timer.SetEnabled(true);
  pt::AdvanceTime(40);
  EXPECT_EQ(counter.ticks, 1) << "setting Enabled to its value restarts nothing";

  pt::AdvanceTime(60);   // t = 160, the next tick is due at 200
  timer.OnTimer = tick;  // the same handler again restarts: next tick at 260
  pt::AdvanceTime(90);
  EXPECT_EQ(counter.ticks, 1);
  pt::AdvanceTime(10);
  EXPECT_EQ(counter.ticks, 2);

  timer.SetInterval(30);  // restart at 260 with the new interval
  pt::AdvanceTime(30);
  EXPECT_EQ(counter.ticks, 3);
}

TEST_F(TimerTest, ARaisingHandlerIsShownOnceAndTheTimerGoesOnAfterTheDisplayCloses) {
  TDisplayBridge display;
  display.modalMilliseconds = 500;  // the box stays open for ten intervals
  SetApplicationBridge(&display);
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = tick;
  counter.onTick = [] { throw EInvalidOperation("tick failed"); };

  pt::AdvanceTime(50);
  EXPECT_EQ(display.shown, 1) << "no display nests inside the open one";
  EXPECT_EQ(counter.ticks, 1) << "the timer does not fire while its own error is shown";
  EXPECT_EQ(display.lastMessage, "tick failed");
  ASSERT_EQ(display.senders.size(), 1u);
  EXPECT_EQ(display.senders[0], &timer);

  display.modalMilliseconds = 0;
  counter.onTick = nullptr;
  int before = counter.ticks;
  pt::AdvanceTime(100);
  EXPECT_EQ(counter.ticks, before + 2) << "ticks go on after the display closed";
  EXPECT_EQ(display.shown, 1);
}

TEST_F(TimerTest, TheTimerWaitsWhileAModalBoxShowsItsErrorAndGoesOnWhenItCloses) {
  TDisplayBridge display;
  display.realBox = true;
  SetApplicationBridge(&display);
  TTimer timer(nullptr);
  timer.SetInterval(50);
  timer.OnTimer = tick;
  counter.onTick = [] { throw EInvalidOperation("tick failed"); };
  // Inside the box's loop: ten intervals pass, then Enter closes the box.
  pt::AtIdle([] { pt::AdvanceTime(500); });
  pt::AtIdle([] { pt::PressKey(VK_RETURN); });
  pt::AdvanceTime(50);
  EXPECT_EQ(display.shown, 1);
  EXPECT_EQ(counter.ticks, 1);

  counter.onTick = nullptr;
  pt::AdvanceTime(100);
  EXPECT_EQ(counter.ticks, 3);
  EXPECT_EQ(display.shown, 1);
}

TEST_F(TimerTest, AHandlerMayDestroyItsTimer) {
  TDisplayBridge display;
  SetApplicationBridge(&display);
  auto* timer = new TTimer(nullptr);
  timer->SetInterval(50);
  timer->OnTimer = tick;
  counter.onTick = [&] { delete timer; };
  pt::AdvanceTime(200);
  EXPECT_EQ(counter.ticks, 1);
  EXPECT_EQ(display.shown, 0);

  timer = new TTimer(nullptr);
  timer->SetInterval(50);
  timer->OnTimer = tick;
  counter.onTick = [&] {
    delete timer;
    throw EInvalidOperation("gone");
  };
  pt::AdvanceTime(200);
  EXPECT_EQ(counter.ticks, 2);
  EXPECT_EQ(display.shown, 1);
  EXPECT_EQ(display.senders[0], nullptr) << "a destroyed timer is not handed to the display";
}

TEST_F(TimerTest, TheUtilityClassIsRegisteredAgainWhenFoundWithAnotherProcedure) {
  WNDCLASSA foreign{};
  foreign.lpfnWndProc = [](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    return DefWindowProcA(w, m, wp, lp);
  };
  foreign.hInstance = GetModuleHandleA(nullptr);
  foreign.lpszClassName = "TPUtilWindow";
  ASSERT_NE(RegisterClassA(&foreign), 0);

  TTimer timer(nullptr);
  WNDCLASSA found{};
  ASSERT_TRUE(GetClassInfoA(GetModuleHandleA(nullptr), "TPUtilWindow", &found));
  EXPECT_EQ(found.lpfnWndProc, &DefWindowProcA);
  EXPECT_FALSE(IsWindowVisible(timer.WindowHandle()));
  TTimer second(nullptr);
  EXPECT_NE(second.WindowHandle(), timer.WindowHandle()) << "one window per timer, one class";

  timer.SetInterval(50);
  timer.OnTimer = tick;
  pt::AdvanceTime(50);
  EXPECT_EQ(counter.ticks, 1);
}

TEST_F(TimerTest, DestructionStopsTheTimerAndFreesItsWindow) {
  HWND window = nullptr;
  {
    TTimer timer(nullptr);
    timer.SetInterval(50);
    timer.OnTimer = tick;
    window = timer.WindowHandle();
    ASSERT_TRUE(IsWindow(window));
  }
  EXPECT_FALSE(IsWindow(window));
  pt::AdvanceTime(200);
  EXPECT_EQ(counter.ticks, 0);
}

}  // namespace
