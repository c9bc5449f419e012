// Between the mixer's volumes and the two faders of a column.
#include "faders/levels.h"

#include <gtest/gtest.h>

TEST(Levels, EveryFaderPairSurvivesTheWayThroughTheMixer) {
  for (int fader = 1; fader <= kVolumeSteps; ++fader)
    for (int balance = -kBalanceSteps; balance <= kBalanceSteps; ++balance) {
      std::uint32_t volume = VolumeOfFaders(fader, balance);
      ASSERT_EQ(FaderOfVolume(volume), fader) << fader << " " << balance;
      ASSERT_EQ(BalanceOfVolume(volume, 99), balance) << fader << " " << balance;
    }
}

TEST(Levels, TheLouderChannelIsTheVolumeAndTheBalanceScalesTheOther) {
  EXPECT_EQ(VolumeOfFaders(kVolumeSteps, 0), PackVolume(0xFFFF, 0xFFFF));
  EXPECT_EQ(VolumeOfFaders(50, 0), PackVolume(0x8000, 0x8000));
  EXPECT_EQ(VolumeOfFaders(kVolumeSteps, -kBalanceSteps), PackVolume(0xFFFF, 0));
  EXPECT_EQ(VolumeOfFaders(kVolumeSteps, kBalanceSteps / 2), PackVolume(0x8000, 0xFFFF));
  EXPECT_EQ(VolumeOfFaders(0, 10), 0u);
  // Out of range steps are held to the ends.
  EXPECT_EQ(VolumeOfFaders(500, -500), PackVolume(0xFFFF, 0));
  EXPECT_EQ(VolumeOfFaders(-3, 0), 0u);
}

TEST(Levels, VolumesSetElsewhereShowAsTheNearestSteps) {
  EXPECT_EQ(FaderOfVolume(PackVolume(0x1000, 0x0800)), 6);  // 4096 of 65535 is 6.25 %
  EXPECT_EQ(BalanceOfVolume(PackVolume(0x1000, 0x0800), 0), -16);
  EXPECT_EQ(BalanceOfVolume(PackVolume(0, 0xFFFF), 0), kBalanceSteps);
  EXPECT_EQ(BalanceOfVolume(PackVolume(0x4000, 0x4000), 7), 0);
  // Silence has no balance: the fader keeps where it was.
  EXPECT_EQ(BalanceOfVolume(0, -7), -7);
  EXPECT_EQ(FaderOfVolume(0), 0);
}
