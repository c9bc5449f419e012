#include <gtest/gtest.h>

#include <vector>

#include "platform/clock.h"

TEST(VirtualClock, MovesOnlyWhenAdvancedAndTellsListenersTheSpan) {
  platform::UseVirtualClock(1000);
  std::vector<std::pair<std::uint64_t, std::uint64_t>> spans;
  int id = platform::AddClockListener([&](std::uint64_t from, std::uint64_t to) { spans.push_back({from, to}); });
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
