// The process-wide generator must reproduce the original sequence draw for draw: the
// preview and the renderer seed it with 1513 and expect identical particles.
#include <gtest/gtest.h>

#include <cstdint>

#include "platform/classlib/random.h"

namespace {

constexpr std::uint64_t kMod = 4294967296ull;  // 2^32
constexpr double kTwoPowMinus32 = 1.0 / 4294967296.0;

std::uint64_t Next(std::uint64_t seed) { return (seed * 134775813ull + 1ull) % kMod; }

class RandomTest : public ::testing::Test {
 protected:
  void SetUp() override { saved_ = RandSeed; }
  void TearDown() override { RandSeed = saved_; }
  Cardinal saved_ = 0;
};

TEST_F(RandomTest, FloatDrawsFromSeedZero) {
  // 0 -> 1 -> 134775814 -> 134775814*134775813+1 mod 2^32 = 3698175007 -> 870078620
  const std::uint64_t s1 = Next(0), s2 = Next(s1), s3 = Next(s2), s4 = Next(s3);
  ASSERT_EQ(s1, 1u);
  ASSERT_EQ(s2, 134775814u);
  ASSERT_EQ(s3, 3698175007u);
  ASSERT_EQ(s4, 870078620u);

  RandSeed = 0;
  EXPECT_DOUBLE_EQ(Random(), 2.3283064365386963e-10);  // 1 * 2^-32
  EXPECT_DOUBLE_EQ(Random(), 134775814.0 * kTwoPowMinus32);
  EXPECT_DOUBLE_EQ(Random(), 0.8610484672244638);
  EXPECT_DOUBLE_EQ(Random(), 0.20258096512407064);
  EXPECT_EQ(RandSeed, 870078620u);
}

TEST_F(RandomTest, MixedDrawsFromSeed1513) {
  // 1513*134775813+1 = 203915805070 = 47 * 2^32 + 2052342158
  const std::uint64_t s1 = Next(1513), s2 = Next(s1), s3 = Next(s2), s4 = Next(s3);
  ASSERT_EQ(s1, 2052342158u);
  ASSERT_EQ(s2, 1373798343u);
  ASSERT_EQ(s3, 2575768292u);
  ASSERT_EQ(s4, 2694911605u);

  RandSeed = 1513;
  EXPECT_EQ(Random(100), 47);  // (100 * 2052342158) >> 32 = 205234215800 / 2^32 = 47.78
  EXPECT_DOUBLE_EQ(Random(), 1373798343.0 * kTwoPowMinus32);  // 0.31986235245130956
  EXPECT_EQ(Random(7774444), 4662472);                        // (7774444 * 2575768292) >> 32
  EXPECT_EQ(Random(7774444), static_cast<Integer>((7774444ull * s4) >> 32));  // 4878137
  EXPECT_EQ(RandSeed, s4);
}

TEST_F(RandomTest, RangeIsTakenAsUnsigned) {
  // n = 0 still advances the seed; n = -1 is 0xFFFFFFFF, so the draw is seed - 1.
  RandSeed = 0;
  EXPECT_EQ(Random(0), 0);
  EXPECT_EQ(RandSeed, 1u);
  EXPECT_EQ(Random(-1), static_cast<Integer>(134775814u - 1u));
  RandSeed = 0x7FFFFFFFu;
  for (int i = 0; i < 1000; ++i) {
    double r = Random();
    ASSERT_GE(r, 0.0);
    ASSERT_LT(r, 1.0);
  }
}

}  // namespace
