#include "platform/clock.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

TEST(VirtualClock, MovesOnlyWhenAdvancedAndTellsListenersTheSpan) {
  platform::UseVirtualClock(1000);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;
  int id = platform::AddClockListener([&](std::uint64_t from, std::uint64_t to) {
    spans.push_back({from, to});
  });
  EXPECT_EQ(GetTickCount(), 1000u);
  platform::AdvanceVirtualClock(50);
  platform::AdvanceVirtualClock(0);
  EXPECT_EQ(timeGetTime(), 1050u);
  platform::RemoveClockListener(id);
  platform::AdvanceVirtualClock(10);
  ASSERT_EQ(spans.size(), 1u);
  EXPECT_EQ(spans[0], std::make_pair(std::uint64_t{1000}, std::uint64_t{1050}));
  platform::UseRealClock();
  EXPECT_FALSE(platform::ClockIsVirtual());
}

// Work that keeps real time never overlaps virtual time: it does not run on the virtual
// clock, switching waits for it to finish, and it learns when real time resumed.
TEST(VirtualClock, RealTimeWorkAndSwitchingExcludeEachOther) {
  platform::UseRealClock();
  std::uint64_t beforeSpell = platform::ClockMilliseconds();
  std::atomic<bool> inside{false};
  std::atomic<bool> leave{false};
  std::atomic<bool> switched{false};
  std::thread worker([&] {
    platform::WithRealTime([&](std::uint64_t, std::uint64_t) {
      inside = true;
      while (!leave) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    });
  });
  while (!inside) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  std::thread switcher([&] {
    platform::UseVirtualClock(5);
    switched = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  EXPECT_FALSE(switched);
  leave = true;
  worker.join();
  switcher.join();
  EXPECT_TRUE(platform::ClockIsVirtual());
  EXPECT_FALSE(platform::WithRealTime([](std::uint64_t, std::uint64_t) { ADD_FAILURE(); }));

  platform::UseRealClock();
  std::uint64_t now = 0, resumed = 0;
  EXPECT_TRUE(platform::WithRealTime([&](std::uint64_t n, std::uint64_t r) {
    now = n;
    resumed = r;
  }));
  EXPECT_GE(resumed, beforeSpell);
  EXPECT_GE(now, resumed);
}
