#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <utility>

#include "engine/random_table.h"
#include "platform/classlib/random.h"

namespace {

// The generator, written out: seed := seed x 134775813 + 1 (mod 2^32), a float draw is
// the new seed x 2^-32.
Single NextDraw(Cardinal& seed) {
  seed = seed * 134775813u + 1u;
  return static_cast<Single>(static_cast<double>(seed) / 4294967296.0);
}

}  // namespace

TEST(RandomTable, FilledFromTheGeneratorAtLoad) {
  // Seeds 1, 134775814, 3698175007, 870078620 from seed 0, worked out by hand.
  EXPECT_EQ(RandomTableEntry(0), static_cast<Single>(1 / 4294967296.0));
  EXPECT_EQ(RandomTableEntry(1), static_cast<Single>(134775814 / 4294967296.0));
  EXPECT_EQ(RandomTableEntry(2), static_cast<Single>(3698175007.0 / 4294967296.0));
  EXPECT_EQ(RandomTableEntry(3), static_cast<Single>(870078620 / 4294967296.0));
  Cardinal seed = 0;
  for (Integer i = 0; i < kRandomTableSize; ++i) {
    const Single expected = NextDraw(seed);
    ASSERT_EQ(RandomTableEntry(i), expected) << "entry " << i;
    ASSERT_GE(expected, 0.0f);
    ASSERT_LT(expected, 1.0f);
  }
}

TEST(RandomTable, BuildDrawsFromTheCurrentSeedAndRewindsThePosition) {
  const Cardinal saved = RandSeed;
  RandSeed = 1513;
  BuildRandomTable();
  EXPECT_EQ(RandomTablePosition(), 0);
  Cardinal seed = 1513;
  for (Integer i = 0; i < kRandomTableSize; ++i) ASSERT_EQ(RandomTableEntry(i), NextDraw(seed)) << i;
  EXPECT_EQ(RandSeed, seed);
  // Back to the table of load time for the other tests.
  RandSeed = 0;
  BuildRandomTable();
  RandSeed = saved;
}

TEST(RandomTable, NextReadsInTurnAndWrapsAfter512) {
  const Integer start = RandomTablePosition();
  const Single first = NextTableRandom();
  EXPECT_EQ(first, RandomTableEntry(start));
  for (int i = 1; i < 512; ++i) EXPECT_EQ(NextTableRandom(), RandomTableEntry(start + i));
  EXPECT_EQ(NextTableRandom(), first);  // the 513th
  // The position stays a table index however long the reading goes on.
  for (int i = 0; i < 100000; ++i) {
    NextTableRandom();
    ASSERT_GE(RandomTablePosition(), 0);
    ASSERT_LT(RandomTablePosition(), kRandomTableSize);
  }
  EXPECT_EQ(RandomTablePosition(), (start + 513 + 100000) % kRandomTableSize);
}

TEST(RandomTable, FrameReadRoundsHalvesToEvenAndWrapsIntoTheTable) {
  const std::pair<Single, Integer> cases[] = {
      {7, 7}, {2.5f, 2}, {3.5f, 4}, {6.6f, 7}, {512, 0}, {1000, 488}, {-1, 511}, {-513, 511},
      {1099511627776.0f, 0},  // 2^40 is a multiple of 512; no integer overflow on the way
      {std::numeric_limits<Single>::quiet_NaN(), 0},
      {-std::numeric_limits<Single>::infinity(), 0},
  };
  for (const auto& [frame, entry] : cases) EXPECT_EQ(TableRandomAtFrame(frame), RandomTableEntry(entry)) << frame;
  // The frame read does not move the running position.
  const Integer pos = RandomTablePosition();
  TableRandomAtFrame(3);
  EXPECT_EQ(RandomTablePosition(), pos);
}
