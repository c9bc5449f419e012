#include "classes/lists.h"

#include <gtest/gtest.h>

#include "tests/support/messages.h"

#include <vector>

namespace {

void* P(std::intptr_t n) { return reinterpret_cast<void*>(n); }

TEST(PointerList, CapacityGrowsBy4Then8Then16) {
  TList list;
  std::vector<std::int32_t> capacities;
  for (int i = 0; i < 48; ++i) {
    list.Add(P(i + 1));
    if (capacities.empty() || capacities.back() != list.Capacity()) {
      capacities.push_back(list.Capacity());
    }
  }
  EXPECT_EQ(capacities, (std::vector<std::int32_t>{4, 8, 16, 32, 48}));
  list.Add(P(49));
  EXPECT_EQ(list.Capacity(), 64);
  for (int i = 0; i < 49; ++i) ASSERT_EQ(list.Get(i), P(i + 1));
}

TEST(PointerList, IndexRulesOfInsertDeleteGetPut) {
  TList list;
  list.Add(P(1));
  list.Add(P(3));
  list.Insert(1, P(2));
  list.Insert(list.Count(), P(4));  // at Count appends
  EXPECT_EQ(list.Count(), 4);
  EXPECT_EQ(list.Last(), P(4));
  EXPECT_EQ(list.Get(1), P(2));
  const std::string bounds = "List index out of bounds";
  EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(list.Count() + 1, P(9)); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Insert(-1, P(9)); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Delete(list.Count()); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Get(-1); }), bounds);
  EXPECT_EQ(MessageOf<EListError>([&] { list.Put(4, P(9)); }), bounds);
  EXPECT_EQ(list.Count(), 4);
  list.Delete(0);
  EXPECT_EQ(list.Get(0), P(2));
  EXPECT_EQ(list.Remove(P(3)), 1);
  EXPECT_EQ(list.Remove(P(3)), -1);
  EXPECT_EQ(list.IndexOf(P(4)), 1);
  TList empty;
  EXPECT_THROW(empty.Last(), EListError);
}

TEST(PointerList, CountAndCapacityLimits) {
  TList list;
  list.Add(P(1));
  list.SetCount(5);
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.Capacity(), 5);
  EXPECT_EQ(list.Get(4), nullptr);
  EXPECT_THROW(list.SetCapacity(4), EListError);  // below the count
  EXPECT_THROW(list.SetCount(-1), EListError);
  EXPECT_THROW(list.SetCount(TList::kMaxListSize + 1), EListError);
  EXPECT_THROW(list.SetCapacity(TList::kMaxListSize + 1), EListError);
  EXPECT_THROW(list.SetCapacity(0x7FFFFFFF), EListError);
  EXPECT_EQ(list.Capacity(), 5);
  list.SetCapacity(100);
  EXPECT_EQ(list.Capacity(), 100);
  EXPECT_EQ(list.Get(0), P(1));
  list.SetCount(2);
  EXPECT_EQ(list.Count(), 2);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
  EXPECT_EQ(list.Capacity(), 0);
}

TEST(PointerList, ExchangeAndMoveCheckBothIndices) {
  TList list;
  for (int i = 1; i <= 4; ++i) list.Add(P(i));
  list.Exchange(0, 3);
  EXPECT_EQ(list.Get(0), P(4));
  EXPECT_EQ(list.Get(3), P(1));
  EXPECT_THROW(list.Exchange(0, 4), EListError);
  list.Move(0, 2);
  EXPECT_EQ(list.Get(2), P(4));
  EXPECT_EQ(list.Get(0), P(2));
  EXPECT_THROW(list.Move(0, 4), EListError);
  EXPECT_EQ(list.Count(), 4);
}

TEST(BitSet, WritingPastTheSizeGrowsIt) {
  TBits bits;
  EXPECT_EQ(bits.FirstClear(), 0);
  bits.SetBits(40, true);
  EXPECT_EQ(bits.Size(), 41);
  EXPECT_TRUE(bits.Bits(40));
  EXPECT_FALSE(bits.Bits(39));
  for (int i = 0; i <= 40; ++i) bits.SetBits(i, true);
  EXPECT_EQ(bits.FirstClear(), 41);
  bits.SetBits(7, false);
  EXPECT_EQ(bits.FirstClear(), 7);
}

TEST(BitSet, RangeErrors) {
  TBits bits;
  bits.SetSize(10);
  const std::string range = "Bits index out of range";
  EXPECT_EQ(MessageOf<EBitsError>([&] { bits.Bits(10); }), range);
  EXPECT_EQ(MessageOf<EBitsError>([&] { bits.Bits(-1); }), range);
  EXPECT_EQ(MessageOf<EBitsError>([&] { bits.SetBits(-1, true); }), range);
  EXPECT_EQ(MessageOf<EBitsError>([&] { bits.SetSize(-1); }), range);
  // Size index + 1 would not be a 32-bit size.
  EXPECT_EQ(MessageOf<EBitsError>([&] { bits.SetBits(0x7FFFFFFF, true); }), range);
  EXPECT_EQ(bits.Size(), 10);
}

TEST(BitSet, ShrinkingClearsTheBitsBeyondTheSize) {
  TBits bits;
  for (int i = 0; i < 64; ++i) bits.SetBits(i, true);
  EXPECT_EQ(bits.FirstClear(), 64);
  bits.SetSize(35);
  EXPECT_EQ(bits.FirstClear(), 35);
  bits.SetSize(64);  // regrown bits come back clear
  EXPECT_FALSE(bits.Bits(40));
  EXPECT_TRUE(bits.Bits(34));
  EXPECT_EQ(bits.FirstClear(), 35);
  bits.SetSize(0);
  EXPECT_EQ(bits.FirstClear(), 0);
}

}  // namespace
